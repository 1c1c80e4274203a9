// zanfiro-db: the companion tool that creates and maintains the database
// of the Zanfiro window program (a file, or a link to a server), brings the
// gears of the old Access database over, takes the stock out as CSV or on
// paper, keeps the gears' minimum levels and prints what to reorder, takes
// stock, prints bin labels, backs the database up and restores it, and
// shows the history of changes.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "access_import.h"
#include "backups.h"
#include "base/failure.h"
#include "base/text.h"
#include "check.h"
#include "counting.h"
#include "csv_export.h"
#include "demo_stock.h"
#include "desktop.h"
#include "failed_write.h"
#include "history.h"
#include "labels.h"
#include "labels_pdf.h"
#include "levels.h"
#include "renumber.h"
#include "reorder.h"
#include "report.h"
#include "report_pdf.h"
#include "sentence.h"
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
    tools::sayingState(tools::sentence("Nothing was written at %1.", {path.string()}),
                       [&] { store::createDatabase(path); });
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
    std::ostringstream said;
    tools::backUp(store::programDatabasePath(), destination, said);
    std::cout << said.str();
    if (args.has("--notify")) tools::notifyDesktop(said.str(), false);
    return 0;
}

int restore(const Arguments& args) {
    tools::restore(fs::absolute(args.words[0]), store::programDatabasePath(), std::cout);
    return 0;
}

// --type and --module as the sheets read them; what is wrong with them, if anything.
std::optional<std::string> readFilter(const Arguments& args, tools::ReportFilter& filter) {
    if (args.has("--type")) {
        const std::string& type = args.options.at("--type");
        if (type != "C" && type != "P") return "--type is C (crown gears) or P (pinions), not " + type;
        filter.type = type;
    }
    if (args.has("--module")) {
        const std::string& module = args.options.at("--module");
        if (std::ranges::find(tools::kReportModules, module) == std::end(tools::kReportModules))
            return "--module is 0.4, 0.6, 48 or 64, not " + module;
        filter.module = module;
    }
    return std::nullopt;
}

std::optional<std::int64_t> gearId(const std::string& text) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

// Where a sheet goes: -o, or a name of its kind and today's date, in the
// current folder or, for the menu's actions (--open), in the folder of sheets.
fs::path sheetFile(const Arguments& args, const std::string& kind) {
    if (args.has("-o")) return fs::absolute(args.options.at("-o"));
    const std::string name = kind + "-" + today("%Y-%m-%d") + ".pdf";
    return args.has("--open") ? tools::sheetsFolder() / name : fs::absolute(name);
}

// For the menu's actions: the sheet opened in the desktop's viewer, or what
// was done told in a notification where no viewer could open it.
void openSheet(const Arguments& args, const fs::path& file, const std::string& said) {
    if (!args.has("--open") || tools::openOnDesktop(file)) return;
    if (!tools::notifyDesktop(said + "No viewer could open it.", false))
        std::cerr << "zanfiro-db: no viewer could open " << file.string() << "\n";
}

std::size_t gearsIn(const std::vector<tools::ReportSection>& sections) {
    std::size_t gears = 0;
    for (const auto& section : sections) gears += section.gears.size();
    return gears;
}

// A sentence about a sheet, "Wrote the stock sheet (%1, %2, %3) to %4.", its
// places filled with the counts of gears, sections and pages, and the file.
std::string wroteSheet(std::string_view said, const std::vector<tools::ReportSection>& sections, std::size_t pages,
                       const fs::path& file) {
    return tools::sentence(said,
                           {counted(static_cast<long long>(gearsIn(sections)), "gear", "gears"),
                            counted(static_cast<long long>(sections.size()), "section", "sections"),
                            counted(static_cast<long long>(pages), "page", "pages"),
                            file.string()}) +
           "\n";
}

// The CSV beside a sheet: the same name, ending in .csv.
fs::path besideAsCsv(fs::path file) { return file.replace_extension(".csv"); }

std::ofstream csvFile(const fs::path& file) {
    std::ofstream out(file, std::ios::binary);
    if (!out) throw Failure(failure::kCannotWriteFile, "cannot write the CSV file " + file.string());
    return out;
}

void closeCsv(std::ofstream& out, const fs::path& file) {
    out.close();
    if (!out) throw Failure(failure::kCannotWriteFile, "cannot write the CSV file " + file.string());
}

int report(const Arguments& args) {
    tools::ReportFilter filter;
    filter.outOfStockOnly = args.has("--out-of-stock");
    if (const auto wrong = readFilter(args, filter)) return usageError(*wrong);
    const fs::path file = sheetFile(args, "stock");
    auto session = store::openDatabase(store::programDatabasePath());
    const tools::StockLevels levels = tools::stockLevels(*session);
    const tools::GearSheet sheet = tools::stockSheet(
        tools::stockSections(store::allGears(*session), filter), levels, tools::reportTitle(filter), today("%d/%m/%Y"));
    session.reset();
    const std::string said =
        wroteSheet("Wrote the stock sheet (%1, %2, %3) to %4", sheet.sections, tools::writeSheetPdf(sheet, file), file);
    std::cout << said;
    openSheet(args, file, said);
    return 0;
}

int reorder(const Arguments& args) {
    tools::ReportFilter filter;
    if (const auto wrong = readFilter(args, filter)) return usageError(*wrong);
    const fs::path file = sheetFile(args, "reorder");
    auto session = store::openDatabase(store::programDatabasePath());
    tools::requireLevels(*session, store::programDatabasePath());
    const tools::StockLevels levels = tools::stockLevels(*session);
    const tools::GearSheet sheet = tools::reorderSheet(
        tools::reorderSections(store::allGears(*session), levels, filter), levels, filter, today("%d/%m/%Y"));
    session.reset();
    std::string said = wroteSheet(
        "Wrote the reorder sheet (%1, %2, %3) to %4", sheet.sections, tools::writeSheetPdf(sheet, file), file);
    if (args.has("--csv")) {
        const fs::path csv = besideAsCsv(file);
        std::ofstream out = csvFile(csv);
        const std::int64_t pieces = tools::writeReorderCsv(sheet.sections, levels, out);
        closeCsv(out, csv);
        said += tools::sentence(
                    tools::plural(
                        pieces, "Wrote the order of 1 piece as CSV to %2", "Wrote the order of %1 pieces as CSV to %2"),
                    {std::to_string(pieces), csv.string()}) +
                "\n";
    }
    std::cout << said;
    openSheet(args, file, said);
    return 0;
}

int countSheet(const Arguments& args) {
    tools::ReportFilter filter;
    if (const auto wrong = readFilter(args, filter)) return usageError(*wrong);
    const fs::path file = sheetFile(args, "count");
    const std::string chosen = tools::filterText(filter);
    const tools::GearSheet sheet = tools::countSheet(
        tools::stockSections(store::allGears(*store::openDatabase(store::programDatabasePath())), filter),
        chosen.empty() ? "Inventario ingranaggi" : "Inventario ingranaggi - " + chosen,
        today("%d/%m/%Y %H:%M"));
    std::cout << wroteSheet(
        "Wrote the count sheet (%1, %2, %3) to %4", sheet.sections, tools::writeSheetPdf(sheet, file), file);
    if (args.has("--csv")) {
        const fs::path csv = besideAsCsv(file);
        std::ofstream out = csvFile(csv);
        tools::writeCountCsv(sheet.sections, out);
        closeCsv(out, csv);
        std::cout << "Wrote the counts to fill in as CSV to " << csv.string() << "\n";
    }
    return 0;
}

// Yes from the operator at a terminal; never without one.
bool askOnTerminal(std::size_t corrections) {
    if (isatty(STDIN_FILENO) != 1) return false;
    std::cout << tools::sentence(tools::plural(static_cast<long long>(corrections),
                                               "Apply 1 correction to the stock? [y/N] ",
                                               "Apply %1 corrections to the stock? [y/N] "),
                                 {std::to_string(corrections)})
              << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    const std::string word = lower(trimmed(answer, " \t"));
    return word == "y" || word == "yes" || word == "s" || word == "si" || word == "sì";
}

int count(const Arguments& args) {
    if (args.words[0] != "apply") return usageError("count knows only apply, not " + args.words[0]);
    if (args.words.size() < 2) return usageError("count apply needs the CSV file of the counts");
    const bool yes = args.has("--yes");
    tools::applyCounts(store::programDatabasePath(),
                       fs::absolute(args.words[1]),
                       {.force = args.has("--force"),
                        .confirm = [yes](std::size_t corrections) { return yes || askOnTerminal(corrections); }},
                       std::cout);
    return 0;
}

int labels(const Arguments& args) {
    tools::ReportFilter filter;
    if (const auto wrong = readFilter(args, filter)) return usageError(*wrong);
    std::vector<std::int64_t> ids;
    for (const std::string& word : args.words) {
        const auto id = gearId(word);
        if (!id) return usageError("the ID of a gear is a whole number, not " + word);
        ids.push_back(*id);
    }
    if (!ids.empty() && (filter.type || filter.module))
        return usageError("labels takes either IDs or --type and --module, not both");
    const std::string layoutName = args.has("--layout") ? args.options.at("--layout") : "3x8";
    const tools::LabelLayout* layout = tools::labelLayout(layoutName);
    if (!layout) return usageError("--layout is 3x8, 3x7 or 2x7, not " + layoutName);
    const fs::path file = args.has("-o") ? fs::absolute(args.options.at("-o")) : fs::absolute("labels.pdf");
    const auto gears =
        tools::labelledGears(store::allGears(*store::openDatabase(store::programDatabasePath())), ids, filter);
    const std::size_t pages = tools::writeLabelsPdf(gears, *layout, file);
    const std::string_view said = gears.size() == 1 ? "Wrote 1 label on 1 sheet of %3 to %4"
                                  : pages == 1      ? "Wrote %1 labels on 1 sheet of %3 to %4"
                                                    : "Wrote %1 labels on %2 sheets of %3 to %4";
    std::cout << tools::sentence(
                     said,
                     {std::to_string(gears.size()), std::to_string(pages), std::string(layout->name), file.string()})
              << "\n";
    return 0;
}

int levels(const Arguments& args) {
    const fs::path database = store::programDatabasePath();
    if (args.words.empty()) {
        tools::printLevels(database, args.has("--csv"), std::cout);
        return 0;
    }
    const std::string& action = args.words[0];
    if (action == "import") {
        if (args.words.size() != 2) return usageError("levels import needs the one CSV file of the levels");
        tools::importLevels(database, fs::absolute(args.words[1]), std::cout);
        return 0;
    }
    if (action != "set" && action != "clear") return usageError("levels knows set, clear and import, not " + action);
    tools::GearChoice gears;
    if (const auto wrong = readFilter(args, gears.section)) return usageError(*wrong);
    std::size_t next = 1;
    if (!gears.section.type && !gears.section.module) {
        if (args.words.size() < 2)
            return usageError("levels " + action + " needs the ID of a gear, or --type and --module");
        gears.id = gearId(args.words[1]);
        if (!gears.id) return usageError("the ID of a gear is a whole number, not " + args.words[1]);
        next = 2;
    }
    const std::vector<std::string> numbers(args.words.begin() + static_cast<std::ptrdiff_t>(next), args.words.end());
    if (action == "clear") {
        if (!numbers.empty()) return usageError("too many arguments for levels clear");
        tools::setLevels(database, gears, std::nullopt, std::cout);
        return 0;
    }
    if (numbers.empty() || numbers.size() > 2) return usageError("levels set needs MIN and, if you like, TARGET");
    const auto typed = tools::typedLevels(numbers[0], numbers.size() > 1 ? numbers[1] : "");
    if (const auto* why = std::get_if<std::string>(&typed)) return usageError(*why);
    tools::setLevels(database, gears, std::get<tools::Levels>(typed), std::cout);
    return 0;
}

int history(const Arguments& args) {
    store::ChangeFilter filter;
    if (!args.words.empty()) {
        filter.id = gearId(args.words[0]);
        if (!filter.id) return usageError("the ID of a gear is a whole number, not " + args.words[0]);
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

int check(const Arguments& args) {
    const tools::StockCheck found = tools::checkStock(store::programDatabasePath());
    if (args.has("--json"))
        tools::printStockCheckJson(found, std::cout);
    else
        tools::printStockCheck(found, std::cout);
    return tools::exitStatus(found.verdict());
}

int renumber(const Arguments& args) {
    const fs::path list = args.has("-o") ? fs::absolute(args.options.at("-o")) : fs::path();
    tools::renumberGears(store::programDatabasePath(), list, std::cout);
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
                    "server, lets the server's numbering go on after every ID either gave, puts a link to the\n"
                    "server in place of the file and keeps a copy of the file beside it as DB-local.mdb. All or\n"
                    "nothing; run it again after a failure to finish the move. Close every window first, and log\n"
                    "in as the server's administrator: an operator may not set the numbering.\n",
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
                    "made each change and from where; the changes of levels and the counts in it; the indexes\n"
                    "that read a file's lists in order; on a server, the operators' group role and its rights.\n"
                    "Says which it added; running it again changes nothing. On a server, run it as the\n"
                    "administrator who owns the tables.\n",
         .mostWords = 1,
         .run = upgrade},
        {.name = "backup",
         .synopsis = "[--notify] [DEST]",
         .summary = "copy the database, checked, to DEST or ~/NDB/backups",
         .details = "Makes a consistent copy of the program's database, also while the window is open, checks it\n"
                    "and says where it went. Without DEST the copy goes to ~/NDB/backups/DB-YYYY-MM-DD-HHMMSS.mdb\n"
                    "and that folder keeps the newest 30. DEST may be a file that does not exist yet or a folder.\n",
         .options = {{"--notify", "", "also say what it did in a desktop notification"}},
         .mostWords = 1,
         .run = backup},
        {.name = "restore",
         .synopsis = "BACKUP",
         .summary = "put a checked backup in place of the database",
         .details = "Checks BACKUP (a whole database with the table Gears), takes the database's write lock\n"
                    "(waiting for another writer as the window does, then refusing), keeps the current database\n"
                    "in ~/NDB/backups and writes the backup into it in one transaction: a crash at any moment\n"
                    "leaves either the old or the new database whole.\n",
         .leastWords = 1,
         .mostWords = 1,
         .missingWord = "restore needs the backup to restore",
         .run = restore},
        {.name = "report",
         .synopsis = "[-o FILE.pdf] [--type C|P] [--module 0.4|0.6|48|64] [--out-of-stock] [--open]",
         .summary = "write the stock as an A4 PDF",
         .details = "Writes the stock sheet as an A4 PDF: a summary page (pieces per type and module as a chart,\n"
                    "gears below their minimum and with none left), then one section per type and module in the\n"
                    "window's order, gears by teeth with ID, Denti and QTY, a total of pieces per section, gears\n"
                    "with none left or below their minimum marked, and the gears of any other type or module last.\n"
                    "Every page has the date and its number.\n",
         .options = {{"-o", "FILE.pdf", "where the PDF goes (default: stock-YYYY-MM-DD.pdf here)"},
                     {"--type", "C|P", "only crown gears (C) or pinions (P)"},
                     {"--module", "0.4|0.6|48|64", "only the gears of that module"},
                     {"--out-of-stock", "", "only the gears with a quantity of 0"},
                     {"--open", "", "open it in the desktop's viewer (by default in ~/NDB/fogli)"}},
         .run = report},
        {.name = "levels",
         .synopsis = "[set|clear ID|--type C|P --module M [MIN [TARGET]]] [import LEVELS.csv] [--csv]",
         .summary = "set, import and list the gears' minimum and target levels",
         .details = "Without arguments lists the gears that have levels, with how many to order where they are\n"
                    "below the minimum (--csv: every gear, as CSV that levels import reads back).\n"
                    "levels set ID MIN [TARGET] gives a gear the minimum below which it is reordered and the\n"
                    "quantity an order brings it up to; with --type and --module instead of ID, every gear of\n"
                    "that section. levels clear takes them away. levels import LEVELS.csv sets those of a CSV\n"
                    "file with the columns ID, Minimum and Target (an empty Minimum takes a gear's away), all or\n"
                    "nothing. A gear's levels go with it when it is deleted.\n",
         .options = {{"--type", "C|P", "set or clear the levels of the crown gears (C) or pinions (P)"},
                     {"--module", "0.4|0.6|48|64", "set or clear the levels of the gears of that module"},
                     {"--csv", "", "list every gear with its levels as CSV"}},
         .mostWords = 4,
         .run = levels},
        {.name = "reorder",
         .synopsis = "[-o FILE.pdf] [--csv] [--type C|P] [--module 0.4|0.6|48|64] [--open]",
         .summary = "write the gears below their minimum, with how many to order, as a PDF",
         .details = "Writes the reorder sheet as an A4 PDF: every gear below its minimum, by type and module as\n"
                    "the stock sheet orders them, with the quantity on hand, the minimum, the target and the\n"
                    "quantity to order up to the target (or up to the minimum where there is no target).\n",
         .options = {{"-o", "FILE.pdf", "where the PDF goes (default: reorder-YYYY-MM-DD.pdf here)"},
                     {"--csv", "", "also write the order as CSV beside it (FILE.csv)"},
                     {"--type", "C|P", "only crown gears (C) or pinions (P)"},
                     {"--module", "0.4|0.6|48|64", "only the gears of that module"},
                     {"--open", "", "open it in the desktop's viewer (by default in ~/NDB/fogli)"}},
         .run = reorder},
        {.name = "count-sheet",
         .synopsis = "[-o FILE.pdf] [--csv] [--type C|P] [--module 0.4|0.6|48|64]",
         .summary = "write the gears to count, with a box for each count, as a PDF",
         .details = "Writes the stocktaking sheet as an A4 PDF: the gears by type and module, each with the\n"
                    "quantity it has as the sheet is printed and an empty box for the count. count apply holds\n"
                    "back the count of a gear whose quantity is no longer the one printed.\n",
         .options = {{"-o", "FILE.pdf", "where the PDF goes (default: count-YYYY-MM-DD.pdf here)"},
                     {"--csv", "", "also write the counts to fill in as CSV beside it (FILE.csv)"},
                     {"--type", "C|P", "only crown gears (C) or pinions (P)"},
                     {"--module", "0.4|0.6|48|64", "only the gears of that module"}},
         .run = countSheet},
        {.name = "count",
         .synopsis = "apply [--yes] [--force] COUNTS.csv",
         .summary = "show the differences of a count from the stock, then apply them",
         .details = "Reads the counts of a CSV file with the columns ID and Counted (and QTY, the quantity the\n"
                    "count sheet printed, as count-sheet --csv writes it), shows every difference from the stock\n"
                    "and applies them all in one transaction, or none: with --yes, or after a yes at the\n"
                    "terminal. A gear whose quantity is no longer the one printed is listed apart and left as it\n"
                    "is unless --force. A file with wrong lines changes nothing and each wrong line is named.\n",
         .options = {{"--yes", "", "apply the differences without asking"},
                     {"--force", "", "apply the counts of gears changed since printing too"}},
         .leastWords = 1,
         .mostWords = 2,
         .missingWord = "count needs apply and the CSV file of the counts",
         .run = count},
        {.name = "labels",
         .synopsis = "[ID...] [--type C|P] [--module 0.4|0.6|48|64] [--layout 3x8|3x7|2x7] [-o FILE.pdf]",
         .summary = "write bin labels with a QR code of the ID, as a PDF",
         .details = "Writes a label per gear for A4 sheets of labels: the ID large, the teeth, module and type,\n"
                    "and a QR code that a phone reads back as the ID. The gears with the IDs given, or those of\n"
                    "--type and --module, or every gear, in the stock sheet's order. Layouts:\n"
                    "  3x8  24 labels of 70 x 37 mm, edge to edge (the default)\n"
                    "  3x7  21 labels of 63.5 x 38.1 mm (as Avery L7160)\n"
                    "  2x7  14 labels of 99.1 x 38.1 mm (as Avery L7163)\n",
         .options = {{"--type", "C|P", "only crown gears (C) or pinions (P)"},
                     {"--module", "0.4|0.6|48|64", "only the gears of that module"},
                     {"--layout", "3x8|3x7|2x7", "the sheet of labels"},
                     {"-o", "FILE.pdf", "where the PDF goes (default: labels.pdf here)"}},
         .mostWords = std::numeric_limits<std::size_t>::max(),
         .run = labels},
        {.name = "history",
         .synopsis = "[ID] [--since DATE] [--who ROLE]",
         .summary = "print the changes of the gears, newest first",
         .details = "Prints every recorded insert, change and delete of a gear, correction by a count, change of\n"
                    "its levels (with the minimum and target) and move by renumber (under both IDs), newest first,\n"
                    "a changed value as \"12 → 7\", with who made it and from where: on a server the login role\n"
                    "and the program, workstation and address it connected from; on a file the account and the\n"
                    "workstation of changes made by zanfiro or zanfiro-db, others unknown. With ID only that\n"
                    "gear's; times are local.\n",
         .options = {{"--since", "DATE", "only changes from DATE on: YYYY-MM-DD or YYYY-MM-DD HH:MM"},
                     {"--who", "ROLE", "only changes made by ROLE (on a file, by that account)"}},
         .mostWords = 1,
         .run = history},
        {.name = "check",
         .synopsis = "[--json]",
         .summary = "tell how the stock stands, with an exit status",
         .details = "Checks the program's database and prints one line per check: a file's integrity, or a server's\n"
                    "table, columns, identity and answer, and whether the login is the administrator or an\n"
                    "operator and with which rights; each gear against its last recorded change; whether the\n"
                    "history signs the changes and the table of levels is there; the IDs left below 32767, the\n"
                    "last the window can pick (a warning from 30000 on); gears the window cannot pick; a file's\n"
                    "newest backup and whether the daily backup timer is on. Exits with 0 when all is sound, 3\n"
                    "with warnings only, 1 when a problem needs attention.\n",
         .options = {{"--json", "", "print the findings as one JSON object, for scripts"}},
         .run = check},
        {.name = "renumber",
         .synopsis = "[-o FILE.csv]",
         .summary = "move gears above ID 32767 to free IDs the window can pick",
         .details = "The window cannot pick, change or delete a gear whose ID is above 32767. Moves every such gear\n"
                    "with its levels to the lowest ID below that no gear holds, in the order of their IDs, all or\n"
                    "nothing, records each move in the history and prints the old and new ID of each, for\n"
                    "relabelling shelves. Refused, changing nothing, while they do not fit. New gears still get\n"
                    "IDs after the largest ever given. On a server it is the administrator's: it relabels the\n"
                    "history, which operators may only read.\n",
         .options = {{"-o", "FILE.csv", "also write the old and new IDs as CSV (never over an existing file)"}},
         .run = renumber},
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
        // A negative number is a value (refused where it is wrong), not an option.
        if (arg.size() < 2 || arg[0] != '-' || std::isdigit(static_cast<unsigned char>(arg[1]))) {
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
    // A menu action has no terminal: its failure is told in a notification too.
    const auto failed = [&parsed](const std::string& why) {
        std::cerr << "zanfiro-db: " << why << "\n";
        if (parsed.has("--open") || parsed.has("--notify")) tools::notifyDesktop(why, true);
        return 1;
    };
    try {
        return command->run(parsed);
    } catch (const tools::FailedWrite& failure) {
        return failed(failure.description() + " (error " + std::to_string(failure.number()) + ")\n" + failure.state());
    } catch (const Failure& failure) {
        return failed(failure.description() + " (error " + std::to_string(failure.number()) + ")");
    } catch (const std::exception& error) {
        return failed(error.what());
    }
}
