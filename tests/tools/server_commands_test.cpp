// zanfiro-db pointing workstations at a stock on the tests' PostgreSQL server, and moving a file's stock there.
#include <gmock/gmock.h>

#include <csignal>

#include "store/engine.h"
#include "store/gear_table.h"
#include "store/pg_session.h"
#include "store/server_link.h"
#include "temp_database.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

// An operator's home with no database yet, and an empty database on the server without the table Gears.
class ServerCommands : public Test {
protected:
    Outcome zanfiroDb(const std::vector<std::string>& args) { return run(folder, args); }
    std::vector<store::GearRecord> serverGears() const {
        return store::allGears(*store::openServerDatabase(server.server()));
    }
    void addServerGear(const store::GearRecord& gear) const {
        store::createServerGearsTable(server.server());
        store::insertGear(*store::openServerDatabase(server.server()), gear);
    }
    TempDatabase server{TempDatabase::Content::NoFile, Engine::Server};
    const std::string conninfo = server.server();
    const fs::path folder = server.folder(), place = folder / "NDB/DB.mdb";
    const store::GearRecord gear{.ID = num(7), .D = num(40), .M = txt("0.6"), .T = txt("C"), .QTY = num(12)};
};

TEST_F(ServerCommands, InitCreatesTheTableAndWritesTheLink) {
    EXPECT_EQ(zanfiroDb({"init", "--server", conninfo}).said(),
              "0 Created the table Gears on the server " + conninfo +
                  "\nOperators are the members of the group role zanfiro_operators: zanfiro-db grant-operator LOGIN "
                  "makes a login one of them.\nWrote the link to it at " +
                  place.string() + "\n");
    EXPECT_EQ(bytesOf(place), "zanfiro-link\n" + conninfo + "\n");
    EXPECT_THAT(serverGears(), IsEmpty());
}

TEST_F(ServerCommands, InitKeepsATableThatIsThereWithItsGears) {
    addServerGear(gear);
    EXPECT_THAT(zanfiroDb({"init", "--server", conninfo}).said(),
                StartsWith("0 The server already has the table Gears: " + conninfo + "\n"));
    EXPECT_EQ(serverGears(), std::vector{gear});
}

TEST_F(ServerCommands, PathSaysTheStockIsOnTheServer) {
    zanfiroDb({"init", "--server", conninfo});
    EXPECT_EQ(zanfiroDb({"path"}).said(),
              "0 " + place.string() + "\n(a link to the PostgreSQL server " + conninfo + ")\n");
}

TEST_F(ServerCommands, InitRefusesAPasswordAndWritesNothing) {
    const Outcome refused = zanfiroDb({"init", "--server", conninfo + " password=guarded-secret"});
    EXPECT_EQ(refused.exit, 1);
    EXPECT_THAT(refused.out, HasSubstr("~/.pgpass"));
    EXPECT_EQ(everything(folder), "");
}

TEST_F(ServerCommands, InitNeverWritesALinkOverADatabaseFile) {
    zanfiroDb({"init"});
    const std::string before = bytesOf(place);
    EXPECT_THAT(zanfiroDb({"init", "--server", conninfo}).said(),
                StartsWith("1 zanfiro-db: the file already exists and was left untouched: " + place.string()));
    EXPECT_EQ(bytesOf(place), before);
}

TEST_F(ServerCommands, ImportFillsTheServerAsItFillsAFile) {
    const std::string access = TEST_DATA_DIR "/gears-edge.mdb";
    zanfiroDb({"init", "--server", conninfo});
    zanfiroDb({"import", access});
    zanfiroDb({"import", access, "file.mdb"});
    const Outcome fromServer = zanfiroDb({"export"});
    EXPECT_EQ(fromServer.exit, 0) << fromServer.out;
    EXPECT_EQ(fromServer.out, zanfiroDb({"export", "file.mdb"}).out);
}

TEST_F(ServerCommands, HistoryOnTheServerRecordsEachChangeOnceSignedByRoleAndWorkstation) {
    zanfiroDb({"init", "--server", conninfo});
    auto stock = store::openDatabase(place);
    stock->execute("INSERT INTO Gears (D, M, T, QTY) VALUES ('40', '0.6', 'C', '12')");
    stock->execute("UPDATE Gears SET D = '40', M = '0.6', T = 'C', QTY = '7' WHERE id = 1");
    stock->execute("UPDATE Gears SET D = '40', M = '0.6', T = 'C', QTY = '7' WHERE id = 1");  // changes nothing
    stock->execute("DELETE * FROM Gears WHERE id = 1");
    const std::string history = zanfiroDb({"history"}).out;
    // The tests log in as zanfiro over the server's own socket.
    const std::string signature = " +zanfiro +server_commands_tests@[^ ]+ \\(local\\)\n";
    EXPECT_THAT(history,
                ContainsRegex("deleted +1 +40 +0.6 +C +7" + signature + ".*changed +1 +40 +0.6 +C +12 → 7" + signature +
                              ".*inserted +1 +40 +0.6 +C +12" + signature));
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 4);
}

TEST_F(ServerCommands, UpgradeGivesAnOlderServerTableTheListIndexesOnce) {
    zanfiroDb({"init", "--server", conninfo});
    store::openServerDatabase(conninfo)->execute("DROP INDEX GearsByModule");
    EXPECT_EQ(zanfiroDb({"upgrade"}).said(),
              "0 Added the indexes by module and by teeth to " + place.string() +
                  ": the lists are read in their order, not sorted.\n");
    EXPECT_EQ(zanfiroDb({"upgrade"}).said(),
              "0 " + place.string() + " has all this version keeps already; nothing was changed.\n");
}

TEST_F(ServerCommands, BackupAndRestoreOfAServerStockPointToPgDump) {
    zanfiroDb({"init", "--server", conninfo});
    const fs::path backup = folder / "backup.mdb";
    store::createDatabase(backup);  // a whole backup: only the link is to refuse
    const std::string link = bytesOf(place);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"backup"}, {"restore", backup.string()}}) {
        const Outcome refused = zanfiroDb(args);
        EXPECT_EQ(refused.exit, 1) << args[0];
        EXPECT_THAT(refused.out, HasSubstr("pg_dump")) << args[0];
        EXPECT_FALSE(fs::exists(place.parent_path() / "backups")) << args[0] << " made a folder of backups";
        EXPECT_EQ(bytesOf(place), link) << args[0];
    }
}

// The demo stock in a file at the program's place, its last gear deleted so that the file's counter is ahead of
// its largest ID.
class MoveToServer : public ServerCommands {
protected:
    void SetUp() override {
        zanfiroDb({"init"});
        zanfiroDb({"demo"});
        store::openDatabase(place)->execute("DELETE FROM Gears WHERE ID = 24");
        fileCsv = zanfiroDb({"export"}).out;
    }
    std::string fileCsv;
    const fs::path kept = folder / "NDB/DB-local.mdb";
};

TEST_F(MoveToServer, CopiesEveryGearWithItsIdAndKeepsTheFileBeside) {
    EXPECT_THAT(
        zanfiroDb({"move-to-server", conninfo}).said(),
        EndsWith("\nMoved 23 gears to the server " + conninfo + "; the next new gear gets ID 25.\n" + place.string() +
                 " is now a link to the server; the file is kept as " + kept.string() + ".\n"));
    EXPECT_EQ(zanfiroDb({"export"}).out, fileCsv);
    EXPECT_EQ(zanfiroDb({"export", kept.string()}).out, fileCsv);
    EXPECT_EQ(bytesOf(place), "zanfiro-link\n" + conninfo + "\n");
}

TEST_F(MoveToServer, MakesTheServersTableAsInitDoesWithTheOperatorsRightsAndTheListsIndexes) {
    EXPECT_THAT(zanfiroDb({"move-to-server", conninfo}).said(),
                StartsWith("0 Created the table Gears on the server " + conninfo +
                           "\nOperators are the members of the group role zanfiro_operators: zanfiro-db grant-operator "
                           "LOGIN makes a login one of them.\nMoved 23 gears"));
    auto made = store::openServerDatabase(conninfo);
    EXPECT_TRUE(store::serverLogin(*made).operators.all());
    auto indexes =
        made->query("SELECT count(to_regclass(name)) FROM (VALUES ('gearsbymodule'), ('gearsbyteeth')) AS i(name)");
    ASSERT_TRUE(indexes->next());
    EXPECT_EQ(indexes->value(0), num(2));
}

TEST_F(MoveToServer, TheGearsLevelsMoveWithThem) {
    zanfiroDb({"levels", "set", "3", "5", "12"});
    zanfiroDb({"levels", "set", "--type", "P", "--module", "64", "2"});
    const std::string levels = zanfiroDb({"levels"}).out;
    ASSERT_EQ(zanfiroDb({"move-to-server", conninfo}).exit, 0);
    EXPECT_EQ(zanfiroDb({"levels"}).out, levels);
}

TEST_F(MoveToServer, NextGearOnTheServerNeverTakesAnIdTheFileGave) {
    zanfiroDb({"move-to-server", conninfo});
    store::openDatabase(place)->execute("INSERT INTO Gears (D, M, T, QTY) VALUES ('20', '48', 'P', '1')");
    EXPECT_EQ(serverGears().back().ID, num(25));
}

TEST_F(MoveToServer, NextGearOnTheServerNeverTakesAnIdTheServerGaveBefore) {
    addServerGear({.ID = num(40), .D = num(40), .M = txt("0.6"), .T = txt("C"), .QTY = num(12)});
    store::openServerDatabase(conninfo)->execute("DELETE FROM Gears");
    EXPECT_THAT(zanfiroDb({"move-to-server", conninfo}).said(), HasSubstr("; the next new gear gets ID 41.\n"));
}

// A move killed at its last step, the rename of the link over the file, after the server's commit: the server
// holds the copy, the file is still in use.
class MoveCutShort : public MoveToServer {
protected:
    void SetUp() override {
        MoveToServer::SetUp();
        const Outcome killed =
            run(folder,
                {},
                "strace -f -qq -o /dev/null -e trace=rename -e inject=rename:signal=SIGKILL:when=1 " ZANFIRO_DB
                " move-to-server " +
                    quoted(conninfo));
        ASSERT_EQ(killed.exit, 128 + SIGKILL) << killed.out;
        ASSERT_EQ(serverGears().size(), 23u);
        ASSERT_FALSE(store::isServerLink(place));
    }
};

// What the file saw after the move was cut short: a change of a gear, or of its levels alone.
struct FileChange {
    const char* what;
    const char* sql;
};
void PrintTo(const FileChange& change, std::ostream* out) { *out << change.what; }
class MoveCutShortThenFileChanged : public MoveCutShort, public WithParamInterface<FileChange> {};
INSTANTIATE_TEST_SUITE_P(, MoveCutShortThenFileChanged,
                         Values(FileChange{"gear", "UPDATE Gears SET QTY = 99 WHERE ID = 1"},
                                FileChange{"levels", "INSERT INTO GearLevels VALUES (1, 4, 9)"}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_P(MoveCutShortThenFileChanged, ARerunMovesTheFileAsItIsNow) {
    store::openDatabase(place)->execute(GetParam().sql);
    const std::string gears = zanfiroDb({"export"}).out, levels = zanfiroDb({"levels", "--csv"}).out;
    EXPECT_THAT(zanfiroDb({"move-to-server", conninfo}).said(), StartsWith("0 Moved 23 gears to the server "));
    EXPECT_EQ(zanfiroDb({"export"}).out, gears);
    EXPECT_EQ(zanfiroDb({"levels", "--csv"}).out, levels);
}

TEST_F(MoveCutShort, ARerunRefusesAServerWrittenToSinceChangingNeitherSide) {
    store::insertGear(*store::openServerDatabase(conninfo),
                      {.D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(1)});
    const std::string before = everything(folder);
    EXPECT_THAT(zanfiroDb({"move-to-server", conninfo}).said(),
                AllOf(StartsWith("1 zanfiro-db: the server's table Gears holds 24 gears that are not the copy the "
                                 "move cut short made"),
                      HasSubstr("\nNothing was moved: ")));
    EXPECT_EQ(everything(folder), before);
    EXPECT_EQ(serverGears().size(), 24u);
}

TEST_F(MoveToServer, RefusesATableWithGearsChangingNeitherSide) {
    addServerGear(gear);
    const std::string before = everything(folder);
    const Outcome refused = zanfiroDb({"move-to-server", conninfo});
    EXPECT_EQ(refused.exit, 1);
    EXPECT_THAT(refused.out, HasSubstr("already holds 1 gear (move a stock only into an empty table)"));
    EXPECT_THAT(refused.out, HasSubstr("\nNothing was moved: the file is in place and in use"));
    EXPECT_EQ(everything(folder), before);
    EXPECT_EQ(serverGears(), std::vector{gear});
}

TEST_F(MoveToServer, RefusesWhenTheFileWouldOverwriteAKeptOne) {
    std::ofstream(kept) << "an earlier move";
    const std::string before = everything(folder);
    EXPECT_THAT(zanfiroDb({"move-to-server", conninfo}).said(), StartsWith("1 zanfiro-db: the file would be kept as"));
    EXPECT_EQ(everything(folder), before);
}

// zanfiro-db check on a workstation linked to the server, each case spoiling the server further.
TEST_F(ServerCommands, CheckTellsTheServerAnswersWhoTheLoginIsAndWhatItLacks) {
    zanfiroDb({"init", "--server", conninfo});
    zanfiroDb({"demo"});
    const std::string name = conninfo.substr(conninfo.rfind('=') + 1), op = "op_" + name, viewer = "viewer_" + name;
    const struct {
        const char* what;
        std::vector<std::string> sql;  // run on the server as its superuser, the administrator
        std::string conninfo;
        int exit;
        std::vector<std::string> lines;
    } cases[] = {
        {.what = "a sound server",
         .conninfo = conninfo,
         .exit = 0,
         .lines =
             {"ok       server: PostgreSQL ",
              "ok       integrity: the table Gears has its columns ID, D, M, T, QTY, and ID is an identity that "
              "never gives an ID twice\n",
              "ok       history: 24 changes recorded; each gear's last change leaves it as it is\n",
              "ok       signatures: the history signs each change with who made it and from where\n",
              "ok       levels: the table GearLevels keeps the gears' minimum and target levels\n",
              "ok       ids: the next new gear gets ID 25;",
              "ok       rights: the login zanfiro is the administrator, who owns the stock's tables; the operators "
              "(zanfiro_operators) may read and change gears and levels and read the history, and nothing else\n",
              "The stock is sound.\n"}},
        {.what = "an operator",
         .sql = {"CREATE ROLE " + op + " LOGIN IN ROLE zanfiro_operators"},
         .conninfo = conninfo + " user=" + op,
         .exit = 0,
         .lines = {"ok       rights: the login " + op +
                   " is one of the operators (zanfiro_operators): it may read and change gears and levels and read "
                   "the history\n"}},
        {.what = "a login that may only read",
         .sql = {"CREATE ROLE " + viewer + " LOGIN", "GRANT SELECT ON Gears, GearsHistory TO " + viewer},
         .conninfo = conninfo + " user=" + viewer,
         .exit = 3,
         .lines = {"warning  rights: the login " + viewer +
                   " is neither the administrator nor one of the operators (zanfiro_operators): it may read the gears "
                   "but not insert, change, delete them: the window's SAVE or DELETE is refused; it may not set their "
                   "levels\n"}},
        {.what = "the operators' rights taken back",
         .sql = {"REVOKE ALL ON GearLevels FROM zanfiro_operators"},
         .conninfo = conninfo,
         .exit = 3,
         .lines = {"warning  rights: the login zanfiro is the administrator, who owns the stock's tables; the "
                   "operators' group zanfiro_operators lacks its rights on them: zanfiro-db upgrade gives them\n"}},
        {.what = "a history from before the signatures",
         .sql = {"ALTER TABLE GearsHistory DROP COLUMN Who, DROP COLUMN Workstation"},
         .conninfo = conninfo,
         .exit = 3,
         .lines = {"warning  signatures: the history does not sign its changes with who made them and from where: the "
                   "administrator's zanfiro-db upgrade makes it sign them from now on\n"}},
        {.what = "a trigger of the history dropped",
         .sql = {"DROP TRIGGER gears_history_update ON Gears"},
         .conninfo = conninfo,
         .exit = 1,
         .lines = {"problem  history: changes are not recorded: the table GearsHistory or its triggers are missing "
                   "(zanfiro-db upgrade puts them back)\n"}},
    };
    for (const auto& [what, sql, login, exit, lines] : cases) {
        SCOPED_TRACE(what);
        for (const std::string& statement : sql) store::openServerDatabase(conninfo)->execute(statement);
        std::ofstream(place) << "zanfiro-link\n" << login << "\n";
        const Outcome checked = zanfiroDb({"check"});
        EXPECT_EQ(checked.exit, exit) << checked.out;
        for (const std::string& line : lines) EXPECT_THAT(checked.out, HasSubstr(line));
    }
    for (const std::string& role : {op, viewer})
        for (const std::string statement : {"DROP OWNED BY ", "DROP ROLE "})
            store::openServerDatabase(conninfo)->execute(statement + role);
}

}  // namespace
}  // namespace zanfiro::testing
