// zanfiro-db: the companion tool that creates and maintains the database
// file of the Zanfiro window program, brings the gears of the old Access
// database over, and takes the stock out as CSV.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "access_import.h"
#include "base/failure.h"
#include "csv_export.h"
#include "demo_stock.h"
#include "server_setup.h"
#include "store/connection_string.h"
#include "store/engine.h"

namespace {

constexpr const char* kUsage =
    "usage: zanfiro-db COMMAND [ARGUMENTS]\n"
    "\n"
    "commands:\n"
    "  init [PATH]                       create the database with an empty Gears table\n"
    "  init --server CONNINFO [PATH]     use the stock on a PostgreSQL server: create its Gears table\n"
    "                                    when missing and write a link to it at PATH\n"
    "  move-to-server CONNINFO           move the stock of the local database to an empty table on the\n"
    "                                    server; the file stays beside the new link as DB-local.mdb\n"
    "  demo [PATH]                       fill an empty Gears table with a small sample stock\n"
    "  import [--replace] OLD.mdb [PATH] copy every gear of an old Access DB.mdb, keeping the IDs;\n"
    "                                    --replace lets it replace the gears PATH holds\n"
    "  export [PATH]                     write every gear as CSV to standard output\n"
    "  path                              print where the program keeps its database (and, on standard\n"
    "                                    error, whether it is a file or a link to a server)\n"
    "\n"
    "PATH defaults to the program's database, ~/NDB/DB.mdb. CONNINFO is a libpq connection string\n"
    "(service=gears, host=office dbname=gears, postgresql://office/gears) without a password:\n"
    "passwords belong in ~/.pgpass.\n";

std::filesystem::path databasePath(const std::vector<std::string>& args, std::size_t at) {
    if (args.size() > at) return std::filesystem::absolute(args[at]);
    return zanfiro::store::programDatabasePath();
}

int init(const std::filesystem::path& path) {
    zanfiro::store::createDatabase(path);
    std::cout << "Created an empty gear database at " << path.string() << "\n";
    return 0;
}

int demo(const std::filesystem::path& path) {
    const int written = zanfiro::tools::writeDemoStock(path);
    std::cout << "Wrote " << written << " sample gears to " << path.string() << "\n";
    return 0;
}

int importAccess(const std::vector<std::string>& args, bool replace) {
    const auto source = std::filesystem::absolute(args[1]);
    const auto summary = zanfiro::tools::importAccessGears(source, databasePath(args, 2), replace);
    zanfiro::tools::printImportSummary(summary, std::cout);
    return 0;
}

int exportCsv(const std::filesystem::path& path) {
    zanfiro::tools::exportGearsCsv(path, std::cout);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "zanfiro-db: cannot write the CSV to standard output\n";
        return 1;
    }
    return 0;
}

int usageError(const std::string& why) {
    std::cerr << "zanfiro-db: " << why << "\n\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        std::cout << kUsage;
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    bool replace = false;
    std::string server;
    if (const auto flag = std::ranges::find(args, std::string("--server")); command == "init" && flag != args.end()) {
        if (flag + 1 == args.end()) return usageError("--server needs the server's connection string");
        server = *(flag + 1);
        args.erase(flag, flag + 2);
    }
    if (command == "move-to-server") {
        if (args.size() < 2) return usageError("move-to-server needs the server's connection string");
        server = args[1];
        args.erase(args.begin() + 1);
    }
    if (command == "import") {
        replace = std::erase(args, std::string("--replace")) > 0;
        if (args.size() < 2) return usageError("import needs the Access file to read");
    }
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i].starts_with("-")) return usageError("unknown option " + args[i]);
    const std::size_t most = command == "path" ? 1 : command == "import" ? 3 : 2;
    const bool known = command == "path" || command == "init" || command == "demo" || command == "import" ||
                       command == "export" || command == "move-to-server";
    if (!known) return usageError("unknown command " + command);
    if (args.size() > most) return usageError("too many arguments for " + command);
    try {
        if (command == "path") {
            // The path alone on standard output, so that scripts can use it.
            const auto place = zanfiro::store::programDatabasePath();
            std::cout << place.string() << std::endl;
            std::cerr << "(" << zanfiro::tools::describeDatabase(place) << ")\n";
            return 0;
        }
        if (command == "import") return importAccess(args, replace);
        const auto path = databasePath(args, 1);
        if (command == "move-to-server") return zanfiro::tools::moveToServer(server, path, std::cout), 0;
        if (command == "init" && !server.empty()) return zanfiro::tools::initServer(server, path, std::cout), 0;
        if (command == "export") return exportCsv(path);
        return command == "init" ? init(path) : demo(path);
    } catch (const zanfiro::Failure& failure) {
        std::cerr << "zanfiro-db: " << failure.description() << " (error " << failure.number() << ")\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "zanfiro-db: " << error.what() << "\n";
        return 1;
    }
}
