// zanfiro-db: the companion tool that creates and maintains the database
// file of the Zanfiro window program.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "demo_stock.h"
#include "store/connection_string.h"
#include "store/database_file.h"
#include "store/failure.h"

namespace {

constexpr const char* kUsage =
    "usage: zanfiro-db COMMAND [PATH]\n"
    "\n"
    "commands:\n"
    "  init [PATH]   create the database with an empty Gears table\n"
    "  demo [PATH]   fill an empty Gears table with a small sample stock\n"
    "  path          print where the program keeps its database\n"
    "\n"
    "PATH defaults to the program's database, ~/NDB/DB.mdb.\n";

std::filesystem::path databasePath(const std::vector<std::string>& args) {
    if (args.size() > 1) return std::filesystem::absolute(args[1]);
    return zanfiro::store::programDatabasePath();
}

int init(const std::filesystem::path& path) {
    zanfiro::store::createGearsDatabase(path);
    std::cout << "Created an empty gear database at " << path.string() << "\n";
    return 0;
}

int demo(const std::filesystem::path& path) {
    const int written = zanfiro::tools::writeDemoStock(path);
    std::cout << "Wrote " << written << " sample gears to " << path.string() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        std::cout << kUsage;
        return args.empty() ? 2 : 0;
    }
    const std::string& command = args[0];
    if (command == "path" && args.size() == 1) {
        std::cout << zanfiro::store::programDatabasePath().string() << "\n";
        return 0;
    }
    if ((command != "init" && command != "demo") || args.size() > 2) {
        std::cerr << "zanfiro-db: unknown command or too many arguments\n\n" << kUsage;
        return 2;
    }
    try {
        const auto path = databasePath(args);
        return command == "init" ? init(path) : demo(path);
    } catch (const zanfiro::store::Failure& failure) {
        std::cerr << "zanfiro-db: " << failure.description() << " (error " << failure.number() << ")\n";
        return 1;
    }
}
