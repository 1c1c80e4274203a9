// zanfiro-db: the companion tool that creates and maintains the database
// of the Zanfiro window program (a file, or a link to a server), brings the
// gears of the old Access database over, takes the stock out as CSV or on
// paper, backs the database up and restores it, and shows the history of
// changes.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "access_import.h"
#include "backups.h"
#include "base/failure.h"
#include "base/text.h"
#include "csv_export.h"
#include "demo_stock.h"
#include "history.h"
#include "report.h"
#include "report_pdf.h"
#include "server_setup.h"
#include "store/connection_string.h"
#include "store/engine.h"
#include "store/gear_table.h"

namespace {

namespace fs = std::filesystem;
using namespace zanfiro;

// A command line cut into what a command reads: its words in order, and
// its options with their values ("" for a flag).
struct Arguments {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
    bool has(const std::string& option) const { return options.contains(option); }
};

struct Option {
    std::string name;   // "--since", "-o"
    std::string value;  // what follows it ("DATE"), empty for a flag
    std::string help;
};

struct Command {
    std::string name;
    std::string synopsis = {};  // the words and options after the name
    std::string summary;        // one line, for the list of commands
    std::string details;        // for COMMAND --help
    std::vector<Option> options = {};
    std::size_t leastWords = 0, mostWords = 0;
    std::string missingWord = {};  // why too few words is wrong
    std::function<int(const Arguments&)> run;
};

const std::vector<Command>& commands();

// The text in a column of `width`; a longer one gets a line of its own.
std::string pad(const std::string& text, std::size_t width) {
    if (text.size() >= width) return text + "\n" + std::string(width + 2, ' ');
    return text + std::string(width - text.size(), ' ');
}

// "backup [DEST]".
std::string commandLine(const Command& command) {
    return command.name + (command.synopsis.empty() ? "" : " " + command.synopsis);
}

std::string usage() {
    std::string text = "usage: zanfiro-db COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Command& command : commands()) text += "  " + pad(commandLine(command), 36) + command.summary + "\n";
    text +=
        "\nPATH defaults to the program's database, ~/NDB/DB.mdb. CONNINFO is a libpq connection string\n"
        "(service=gears, host=office dbname=gears, postgresql://office/gears) without a password:\n"
        "passwords belong in ~/.pgpass.\n"
        "zanfiro-db COMMAND --help tells more about one command; man zanfiro-db tells all.\n";
    return text;
}

std::string commandHelp(const Command& command) {
    std::string text = "usage: zanfiro-db " + commandLine(command) + "\n\n" + command.details;
    if (!command.options.empty()) {
        text += "\noptions:\n";
        for (const Option& option : command.options)
            text += "  " + pad(option.name + (option.value.empty() ? "" : " " + option.value), 20) + option.help + "\n";
    }
    return text;
}

int usageError(const std::string& why) {
    std::cerr << "zanfiro-db: " << why << "\n\n" << usage();
    return 2;
}

fs::path databasePath(const Arguments& args, std::size_t at) {
    if (args.words.size() > at) return fs::absolute(args.words[at]);
    return store::programDatabasePath();
}

std::string today(const char* format) {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

int init(const Arguments& args) {
    const auto path = databasePath(args, 0);
    if (args.has("--server")) {
        tools::initServer(args.options.at("--server"), path, std::cout);
        return 0;
    }
    store::createDatabase(path);
    std::cout << "Created an empty gear database at " << path.string() << "\n";
    return 0;
}

int moveToServer(const Arguments& args) {
    tools::moveToServer(args.words[0], store::programDatabasePath(), std::cout);
    return 0;
}

int demo(const Arguments& args) {
    const auto path = databasePath(args, 0);
    const int written = tools::writeDemoStock(path);
    std::cout << "Wrote " << written << " sample gears to " << path.string() << "\n";
    return 0;
}

int importAccess(const Arguments& args) {
    const auto summary =
        tools::importAccessGears(fs::absolute(args.words[0]), databasePath(args, 1), args.has("--replace"));
    tools::printImportSummary(summary, std::cout);
    return 0;
}

int exportCsv(const Arguments& args) {
    tools::exportGearsCsv(databasePath(args, 0), std::cout);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "zanfiro-db: cannot write the CSV to standard output\n";
        return 1;
    }
    return 0;
}

int upgrade(const Arguments& args) {
    tools::upgrade(databasePath(args, 0), std::cout);
    return 0;
}

int backup(const Arguments& args) {
    const fs::path destination = args.words.empty() ? fs::path() : fs::absolute(args.words[0]);
    tools::backUp(store::programDatabasePath(), destination, std::cout);
    return 0;
}

int restore(const Arguments& args) {
    tools::restore(fs::absolute(args.words[0]), store::programDatabasePath(), std::cout);
    return 0;
}

int report(const Arguments& args) {
    tools::ReportFilter filter;
    filter.outOfStockOnly = args.has("--out-of-stock");
    if (args.has("--type")) {
        const std::string& type = args.options.at("--type");
        if (type != "C" && type != "P") return usageError("--type is C (crown gears) or P (pinions), not " + type);
        filter.type = type;
    }
    if (args.has("--module")) {
        const std::string& module = args.options.at("--module");
        if (std::ranges::find(tools::kReportModules, module) == std::end(tools::kReportModules))
            return usageError("--module is 0.4, 0.6, 48 or 64, not " + module);
        filter.module = module;
    }
    const fs::path file = fs::absolute(args.has("-o") ? args.options.at("-o") : "stock-" + today("%Y-%m-%d") + ".pdf");
    const auto sections =
        tools::stockSections(store::allGears(*store::openDatabase(store::programDatabasePath())), filter);
    std::size_t gears = 0;
    for (const auto& section : sections) gears += section.gears.size();
    const std::size_t pages = tools::writeReportPdf(sections, tools::reportTitle(filter), today("%d/%m/%Y"), file);
    std::cout << "Wrote the stock sheet (" << counted(gears, "gear", "gears") << ", "
              << counted(sections.size(), "section", "sections") << ", " << counted(pages, "page", "pages") << ") to "
              << file.string() << "\n";
    return 0;
}

int history(const Arguments& args) {
    store::ChangeFilter filter;
    if (!args.words.empty()) {
        const std::string& text = args.words[0];
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size())
            return usageError("the ID of a gear is a whole number, not " + text);
        filter.id = number;
    }
    if (args.has("--since")) {
        filter.sinceUtc = tools::sinceUtc(args.options.at("--since"));
        if (!filter.sinceUtc)
            return usageError("--since wants a date as YYYY-MM-DD or YYYY-MM-DD HH:MM, not " +
                              args.options.at("--since"));
    }
    if (args.has("--who")) filter.who = args.options.at("--who");
    tools::printDatabaseHistory(store::programDatabasePath(), filter, std::cout);
    return 0;
}

int grantOperator(const Arguments& args) {
    tools::grantOperator(args.words[0], databasePath(args, 1), std::cout);
    return 0;
}

int path(const Arguments&) {
    // The path alone on standard output, so that scripts can use it.
    const fs::path place = store::programDatabasePath();
    std::cout << place.string() << std::endl;
    std::cerr << "(" << tools::describeDatabase(place) << ")\n";
    return 0;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> all{
        {.name = "init",
         .synopsis = "[--server CONNINFO] [PATH]",
         .summary = "create the database with an empty Gears table",
         .details = "Creates the gear database at PATH with an empty table Gears that records the history of its\n"
                    "changes. With --server the stock lives on a PostgreSQL server instead: its table Gears is\n"
                    "created when missing and PATH becomes a link to it. An existing file is left untouched.\n"
                    "Run by the server's administrator (a role that may create roles), --server makes the tables\n"
                    "the administrator's and gives the group role zanfiro_operators the right to read and change\n"
                    "the gears and read the history, and nothing else (see grant-operator).\n",
         .options = {{"--server", "CONNINFO", "use the stock on the PostgreSQL server CONNINFO names"}},
         .mostWords = 1,
         .run = init},
        {.name = "move-to-server",
         .synopsis = "CONNINFO",
         .summary = "move the local stock to an empty table on a PostgreSQL server",
         .details = "Copies every gear of the program's database file, with its ID, to an empty table Gears on the\n"
                    "server, lets the server's numbering go on after the file's, puts a link to the server in\n"
                    "place of the file and keeps the file beside it as DB-local.mdb. All or nothing. Close every\n"
                    "window first, and log in as the server's administrator: an operator may not set the numbering.\n",
         .leastWords = 1,
         .mostWords = 1,
         .missingWord = "move-to-server needs the server's connection string",
         .run = moveToServer},
        {.name = "grant-operator",
         .synopsis = "ROLE [PATH]",
         .summary = "make a login on the server one of the stock's operators",
         .details = "Makes the login ROLE on the PostgreSQL server that the link at PATH names a member of the\n"
                    "group role zanfiro_operators: it may then read and change the gears and read the history,\n"
                    "and nothing else. Run by the server's administrator; the login must exist (createuser).\n",
         .leastWords = 1,
         .mostWords = 2,
         .missingWord = "grant-operator needs the login role to make an operator",
         .run = grantOperator},
        {.name = "demo",
         .synopsis = "[PATH]",
         .summary = "fill an empty Gears table with a small sample stock",
         .details = "Writes 24 sample gears, crown gears and pinions of the four modules, into an empty table Gears.\n",
         .mostWords = 1,
         .run = demo},
        {.name = "import",
         .synopsis = "[--replace] OLD.mdb [PATH]",
         .summary = "copy every gear of an old Access DB.mdb, keeping the IDs",
         .details = "Copies every gear of the table Gears of an Access file into PATH, keeping the IDs; all or\n"
                    "nothing. When PATH is the Access file itself, it is kept beside as NAME-Access.mdb.\n",
         .options = {{"--replace", "", "replace the gears PATH holds"}},
         .leastWords = 1,
         .mostWords = 2,
         .missingWord = "import needs the Access file to read",
         .run = importAccess},
        {.name = "export",
         .synopsis = "[PATH]",
         .summary = "write every gear as CSV to standard output",
         .details = "Writes every gear as UTF-8 CSV with the header ID,D,M,T,QTY, by ID, lines ending in CR LF.\n",
         .mostWords = 1,
         .run = exportCsv},
        {.name = "upgrade",
         .synopsis = "[PATH]",
         .summary = "give an older database what new ones have",
         .details = "Adds what newer versions keep in every database to one made by an older version: the table\n"
                    "GearsHistory and its triggers, so that every change of a gear is recorded from now on; who\n"
                    "made each change and from where; the indexes that read a file's lists in order; on a\n"
                    "server, the operators' group role and its rights. Says which it added; running it again\n"
                    "changes nothing. On a server, run it as the administrator who owns the tables.\n",
         .mostWords = 1,
         .run = upgrade},
        {.name = "backup",
         .synopsis = "[DEST]",
         .summary = "copy the database, checked, to DEST or ~/NDB/backups",
         .details = "Makes a consistent copy of the program's database, also while the window is open, checks it\n"
                    "and says where it went. Without DEST the copy goes to ~/NDB/backups/DB-YYYY-MM-DD-HHMMSS.mdb\n"
                    "and that folder keeps the newest 30. DEST may be a file that does not exist yet or a folder.\n",
         .mostWords = 1,
         .run = backup},
        {.name = "restore",
         .synopsis = "BACKUP",
         .summary = "put a checked backup in place of the database",
         .details = "Checks BACKUP (a whole database with the table Gears), keeps the current database in\n"
                    "~/NDB/backups, then puts the backup in its place in one step: a crash at any moment leaves\n"
                    "either the old or the new database whole. Close the window first.\n",
         .leastWords = 1,
         .mostWords = 1,
         .missingWord = "restore needs the backup to restore",
         .run = restore},
        {.name = "report",
         .synopsis = "[-o FILE.pdf] [--type C|P] [--module 0.4|0.6|48|64] [--out-of-stock]",
         .summary = "write the stock as an A4 PDF",
         .details = "Writes the stock sheet as an A4 PDF: one section per type and module in the window's order,\n"
                    "gears by teeth with ID, Denti and QTY, a total of pieces per section, gears with none left\n"
                    "marked, and the gears of any other type or module last. Every page has the date and its number.\n",
         .options = {{"-o", "FILE.pdf", "where the PDF goes (default: stock-YYYY-MM-DD.pdf here)"},
                     {"--type", "C|P", "only crown gears (C) or pinions (P)"},
                     {"--module", "0.4|0.6|48|64", "only the gears of that module"},
                     {"--out-of-stock", "", "only the gears with a quantity of 0"}},
         .run = report},
        {.name = "history",
         .synopsis = "[ID] [--since DATE] [--who ROLE]",
         .summary = "print the changes of the gears, newest first",
         .details = "Prints every recorded insert, change and delete of a gear, newest first, a changed value as\n"
                    "\"12 → 7\", with who made it and from where: on a server the login role and the program,\n"
                    "workstation and address it connected from; on a file the account and the workstation of\n"
                    "changes made by zanfiro or zanfiro-db, others unknown. With ID only that gear's; times are\n"
                    "local.\n",
         .options = {{"--since", "DATE", "only changes from DATE on: YYYY-MM-DD or YYYY-MM-DD HH:MM"},
                     {"--who", "ROLE", "only changes made by ROLE (on a file, by that account)"}},
         .mostWords = 1,
         .run = history},
        {.name = "path",
         .summary = "print where the program keeps its database",
         .details = "Prints the path of the program's database, ~/NDB/DB.mdb for the user running it, and on\n"
                    "standard error what is there: an SQLite database file or a link to a PostgreSQL server.\n",
         .run = path},
    };
    return all;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        std::cout << usage();
        return args.empty() ? 2 : 0;
    }
    const auto command = std::ranges::find(commands(), args[0], &Command::name);
    if (command == commands().end()) return usageError("unknown command " + args[0]);

    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << commandHelp(*command);
            return 0;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            parsed.words.push_back(arg);
            continue;
        }
        const std::string name = arg.substr(0, arg.find('='));
        const auto option = std::ranges::find(command->options, name, &Option::name);
        if (option == command->options.end()) return usageError("unknown option " + arg);
        if (option->value.empty()) {
            if (name != arg) return usageError(name + " takes no value");
            parsed.options[name];
        } else if (name != arg) {
            parsed.options[name] = arg.substr(name.size() + 1);
        } else if (i + 1 < args.size()) {
            parsed.options[name] = args[++i];
        } else {
            return usageError(name + " needs " + option->value);
        }
    }
    if (parsed.words.size() < command->leastWords) return usageError(command->missingWord);
    if (parsed.words.size() > command->mostWords) return usageError("too many arguments for " + command->name);
    try {
        return command->run(parsed);
    } catch (const Failure& failure) {
        std::cerr << "zanfiro-db: " << failure.description() << " (error " << failure.number() << ")\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "zanfiro-db: " << error.what() << "\n";
        return 1;
    }
}
