// Every write of zanfiro-db killed at each of its steps: each call that writes, syncs, names, removes or (to the
// server) sends. After each kill the operator finds the old stock or the new one, whole, every file under its
// name whole, and running the command again finishes the job and leaves nothing behind.
#include <gmock/gmock.h>

#include <csignal>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "store/disk.h"
#include "store/gear_history.h"
#include "store/gear_levels.h"
#include "store/pg_session.h"
#include "store/server_link.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

// The calls by which a command changes files or the server, each a moment a crash may come at. Opening and
// creating a file changes nothing a later write would not.
constexpr const char* kSteps =
    "write,pwrite64,ftruncate,fsync,fdatasync,rename,renameat,renameat2,unlink,unlinkat,link,linkat,mkdir,mkdirat,"
    "sendto";

struct Step {
    std::string call;
    int nth;  // the nth call of that name
};

// The steps of one run of `command` in `home`, in order; the run itself is the command done in full.
std::vector<Step> stepsOf(const fs::path& home, const std::string& command, Outcome& done) {
    const fs::path log = home.parent_path() / (home.filename().string() + ".steps");
    done = run(home, {}, "strace -f -qq -o " + quoted(log.string()) + " -e trace=" + kSteps + " " + command);
    std::vector<Step> steps;
    std::map<std::string, int> seen;
    std::istringstream lines(bytesOf(log));
    for (std::string line; std::getline(lines, line);) {
        std::smatch call;
        if (std::regex_search(line, call, std::regex(R"(^\d+ +([a-z0-9_]+)\()")))
            steps.push_back({call[1], ++seen[call[1]]});
    }
    fs::remove(log);
    return steps;
}

// What the operator has at the database's place, as the window would find it: nothing, an Access or unreadable
// file by its size, or a database, file or server, whole, with its gears and their levels, its counter, its history
// (how many changes, unless told not to count them, and whether it signs them) and its schema: a file's tables,
// indexes and triggers, or a server's, with whether the operators have their rights there.
enum class History { Counted, Present };
std::string stockAt(const fs::path& place, History history = History::Counted) {
    if (!store::nameTaken(place)) return "nothing";
    if (store::isAccessFile(place)) return "an Access file of " + std::to_string(fs::file_size(place)) + " bytes";
    const bool server = store::isServerLink(place);
    if (!server) {
        try {
            store::checkDatabase(place);
        } catch (const Failure&) {
            return "an unreadable file of " + std::to_string(fs::file_size(place)) + " bytes";
        }
    }
    auto db = store::openDatabase(place);
    std::ostringstream stock;
    stock << (server ? "server" : "file") << ", next ID " << db->nextId() << ", history ";
    if (!db->keepsHistory())
        stock << "none";
    else if (history == History::Counted)
        stock << store::gearChanges(*db).size();
    else
        stock << "kept";
    stock << (db->keepsHistory() && db->signsChanges() ? ", signed" : "");
    for (const auto& gear : store::allGears(*db)) stock << "\n" << PrintToString(gear);
    if (store::keepsLevels(*db))
        for (const store::GearLevel& level : store::allLevels(*db))
            stock << "\nlevels " << level.id << " " << level.minimum << " " << level.target.value_or(-1);
    const char* schema = server ? "SELECT CASE relkind WHEN 'i' THEN 'index ' ELSE 'table ' END || relname FROM "
                                  "pg_class WHERE relnamespace = 'public'::regnamespace AND relkind IN ('r', 'i') "
                                  "UNION ALL SELECT 'trigger ' || tgname FROM pg_trigger WHERE NOT tgisinternal "
                                  "ORDER BY 1"
                                : "SELECT type || ' ' || name FROM sqlite_master ORDER BY 1";
    for (auto names = db->query(schema); names->next();) stock << "\n" << names->value(0).text();
    if (server) stock << "\noperators' rights " << store::serverLogin(*db).operators.all();
    return stock.str();
}

// The bytes of every file in `home`.
std::set<std::string> filesIn(const fs::path& home) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(home))
        if (entry.is_regular_file()) files.insert(bytesOf(entry));
    return files;
}

// Every file the operator may meet under its own name (the database's folder and its backups): a whole database,
// a link, an Access file, or a file the operator had before (kept as it was); what a write leaves while it works
// is hidden or a journal.
void expectNamedFilesWhole(const fs::path& home, const std::set<std::string>& had) {
    for (const fs::path& folder : {home / "NDB", home / "NDB" / "backups"}) {
        if (!fs::is_directory(folder)) continue;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file() || name.starts_with(".") || name.ends_with("-journal")) continue;
            if (store::isServerLink(entry) || store::isAccessFile(entry) || had.contains(bytesOf(entry))) continue;
            EXPECT_NO_THROW(store::checkDatabase(entry)) << name;
        }
    }
}

// What a write leaves while it works: files made beside, the link of a move, journals.
std::vector<std::string> leftovers(const fs::path& home) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".") || name.ends_with("-journal")) found.push_back(name);
    }
    return found;
}

// A write as the operator runs it in the home `prepare` makes, on the server's database as `server` leaves it
// after the tables are dropped.
struct Write {
    const char* what;
    std::function<void(const fs::path& home, const std::string& server)> prepare;
    std::string command;  // after zanfiro-db; @SERVER@ stands for the server's connection string
    std::function<void(const std::string& server)> server = [](const std::string&) {};
};

// A demo stock at the program's place, its counter ahead of its largest ID, and a gear with levels.
void demoStock(const fs::path& home, const std::string& = {}) {
    run(home, {"init"});
    run(home, {"demo"});
    run(home, {"levels", "set", "3", "2", "8"});
    store::openDatabase(home / "NDB/DB.mdb")->execute("DELETE FROM Gears WHERE ID = 24");
}

void sqlite(const fs::path& file, const std::string& statements) {
    ASSERT_EQ(run(file.parent_path(), {file.string(), statements}, "sqlite3").said(), "0 ");
}

const Write kWrites[] = {
    {.what = "init", .prepare = [](const fs::path&, const std::string&) {}, .command = "init"},
    {.what = "import into a new file",
     .prepare = [](const fs::path&, const std::string&) {},
     .command = "import " TEST_DATA_DIR "/gears-edge.mdb"},
    {.what = "import of the Access file at the place",
     .prepare =
         [](const fs::path& home, const std::string&) {
             fs::create_directories(home / "NDB");
             fs::copy_file(TEST_DATA_DIR "/gears-edge.mdb", home / "NDB/DB.mdb");
         },
     .command = "import NDB/DB.mdb"},
    {.what = "import --replace", .prepare = demoStock, .command = "import --replace " TEST_DATA_DIR "/gears-edge.mdb"},
    {.what = "restore",
     .prepare =
         [](const fs::path& home, const std::string&) {
             demoStock(home);
             store::createDatabase(home / "old.mdb");
             seed(home / "old.mdb", {gear(18, "0.6", "P", 3), gear(12, "48", "P", 0)});
         },
     .command = "restore old.mdb"},
    {.what = "restore over a file that is no database",
     .prepare =
         [](const fs::path& home, const std::string&) {
             fs::create_directories(home / "NDB");
             std::ofstream(home / "NDB/DB.mdb") << "notes the operator saved by mistake";
             std::ofstream(home / "NDB/DB.mdb-wal") << "a write-ahead log of something else";
             store::createDatabase(home / "old.mdb");
             seed(home / "old.mdb", {gear(18, "0.6", "P", 3)});
         },
     .command = "restore old.mdb"},
    {.what = "upgrade",
     .prepare =
         [](const fs::path& home, const std::string&) {
             fs::create_directories(home / "NDB");
             sqlite(home / "NDB/DB.mdb",
                    "CREATE TABLE Gears (ID INTEGER PRIMARY KEY AUTOINCREMENT, D INTEGER, M TEXT, T TEXT, QTY "
                    "INTEGER); INSERT INTO Gears VALUES (1, 40, '0.4', 'C', 12), (7, 12, '48', 'P', 0)");
         },
     .command = "upgrade"},
    {.what = "upgrade of an older stock on a server",
     .prepare =
         [](const fs::path& home, const std::string& server) {
             fs::create_directories(home / "NDB");
             store::writeServerLink(home / "NDB/DB.mdb", server);
         },
     .command = "upgrade",
     .server =
         [](const std::string& server) {
             store::createServerGearsTable(server);
             auto db = store::openServerDatabase(server);
             for (const store::GearRecord& each : {gear(40, "0.4", "C", 12), gear(12, "48", "P", 0)})
                 store::insertGear(*db, each);
             // As versions before the signatures, the levels, the operators and the lists' indexes left it.
             for (const char* sql : {"ALTER TABLE GearsHistory DROP COLUMN Who, DROP COLUMN Workstation, DROP COLUMN "
                                     "OldMinimum, DROP COLUMN OldTarget, DROP COLUMN NewMinimum, DROP COLUMN "
                                     "NewTarget",
                                     "DROP TRIGGER GearLevelsFollowGear ON Gears",
                                     "DROP TABLE GearLevels",
                                     "DROP INDEX GearsByModule, GearsByTeeth",
                                     "REVOKE ALL ON Gears, GearsHistory FROM zanfiro_operators"})
                 db->execute(sql);
         }},
    {.what = "renumber",
     .prepare =
         [](const fs::path& home, const std::string&) {
             demoStock(home);
             for (const int id : {32767, 40000, 40001, 40002})
                 store::openDatabase(home / "NDB/DB.mdb")
                     ->execute("INSERT INTO Gears VALUES (" + std::to_string(id) + ", 20, '64', 'P', 1)");
             run(home, {"levels", "set", "40001", "1", "4"});
         },
     .command = "renumber"},
    {.what = "move-to-server", .prepare = demoStock, .command = "move-to-server @SERVER@"},
};

void PrintTo(const Write& write, std::ostream* out) { *out << write.what; }

class EveryWrite : public TestWithParam<Write> {
protected:
    // A fresh home as the write finds it, a copy of the one prepared first, and the server's tables as the write
    // finds them.
    fs::path prepared(const std::string& name) {
        const fs::path home = folder.folder() / name, model = folder.folder() / "model";
        if (!fs::exists(model)) {
            fs::create_directories(model);
            GetParam().prepare(model, server.server());
        }
        fs::copy(model, home, fs::copy_options::recursive);
        store::openServerDatabase(server.server())->execute("DROP TABLE IF EXISTS Gears, GearsHistory, GearLevels");
        GetParam().server(server.server());
        return home;
    }
    std::string command() const {
        return ZANFIRO_DB " " + std::regex_replace(GetParam().command, std::regex("@SERVER@"), quoted(server.server()));
    }
    TempDatabase folder{TempDatabase::Content::NoFile};
    TempDatabase server{TempDatabase::Content::NoFile, Engine::Server};
};
INSTANTIATE_TEST_SUITE_P(, EveryWrite, ValuesIn(kWrites), [](const auto& info) {
    return std::regex_replace(info.param.what, std::regex("[^A-Za-z]+"), "_");
});

TEST_P(EveryWrite, KilledAtAnyStepLeavesTheOldOrTheNewStockWholeAndARerunFinishes) {
    const fs::path first = prepared("first");
    const std::string before = stockAt(first / "NDB/DB.mdb");
    Outcome done;
    const std::vector<Step> steps = stepsOf(first, command(), done);
    ASSERT_EQ(done.exit, 0) << done.out;
    const std::string after = stockAt(first / "NDB/DB.mdb");
    ASSERT_NE(after, before);
    EXPECT_THAT(leftovers(first), IsEmpty());
    ASSERT_GT(steps.size(), 3u);
    int old = 0, replaced = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        SCOPED_TRACE("killed at " + step.call + " " + std::to_string(step.nth) + ", step " + std::to_string(i + 1));
        const fs::path home = prepared("step" + std::to_string(i + 1));
        const std::set<std::string> had = filesIn(home);
        const Outcome killed = run(home,
                                   {},
                                   "strace -f -qq -o /dev/null -e trace=" + step.call + " -e inject=" + step.call +
                                       ":signal=SIGKILL:when=" + std::to_string(step.nth) + " " + command());
        ASSERT_EQ(killed.exit, 128 + SIGKILL) << killed.out;
        const std::string stock = stockAt(home / "NDB/DB.mdb");
        ASSERT_THAT(stock, AnyOf(Eq(before), Eq(after)));
        (stock == before ? old : replaced) += 1;
        expectNamedFilesWhole(home, had);
        // Run again on the new stock, a write may do its work once more (an import replaces the gears again).
        const Outcome again = run(home, {}, command());
        if (stock == before) {
            EXPECT_EQ(again.exit, 0) << again.out;
            EXPECT_EQ(stockAt(home / "NDB/DB.mdb"), after) << again.out;
        } else {
            EXPECT_EQ(stockAt(home / "NDB/DB.mdb", History::Present), stockAt(first / "NDB/DB.mdb", History::Present));
        }
        EXPECT_THAT(leftovers(home), IsEmpty());
        fs::remove_all(home);
    }
    EXPECT_GT(old, 0);
    EXPECT_GT(replaced, 0);
}

}  // namespace
}  // namespace zanfiro::testing
