// The history of changes: what the window does to the gears, recorded by the database, signed with who made each
// change and from where, and read back with `zanfiro-db history`, on real files and through the real window.
#include <gmock/gmock.h>

#include <functional>

#include "tool_run.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

// What this test program's changes are signed with.
const std::string kAccount = shellSays("id -un");
const std::string kSigned = signedBy("history_tests", Engine::File);
const std::string kHeader = "ID D M T QTY Who Where";

void retype(WindowHarness& ui, const char* field, const char* text) {
    if (auto* edit = qobject_cast<QLineEdit*>(ui.window().control(field))) edit->clear();
    ui.form().Text1.setFocus();
    ui.type(field, text);
}

TEST(History, EachChangeTheWindowMakesShowsUpOnceWithItsValuesBeforeAndAfter) {
    const struct {
        const char* what;
        std::function<void(WindowHarness&)> act;
        std::vector<std::string> shown;  // the new lines of the history, newest first
    } cases[] = {
        {.what = "SAVE of a picked gear's new quantity",
         .act = [](WindowHarness& ui) { ui.pick(1), retype(ui, "Text4", "7"), ui.press("Command2"); },
         .shown = {"changed 1 40 0.4 C 12 → 7 " + kSigned}},
        {.what = "SAVE of a picked gear with teeth, module and type retyped",
         .act =
             [](WindowHarness& ui) {
                 ui.pick(2);
                 retype(ui, "Text1", "20");
                 ui.form().Combo3.setText("64");
                 ui.form().Combo2.setText("C");
                 ui.press("Command2");
             },
         .shown = {"changed 2 18 → 20 48 → 64 P → C 3 " + kSigned}},
        {.what = "DELETE of a picked gear",
         .act = [](WindowHarness& ui) { ui.pick(2), ui.press("Command3"); },
         .shown = {"deleted 2 18 48 P 3 " + kSigned}},
        {.what = "SAVE from the emptied editor",
         .act =
             [](WindowHarness& ui) {
                 ui.press("Command4");
                 ui.type("Text1", "30");
                 ui.choose("Combo3", 2);
                 ui.choose("Combo2", 1);
                 ui.type("Text4", "5");
                 ui.press("Command2");
             },
         .shown = {"inserted 3 30 48 P 5 " + kSigned}},
        {.what = "SAVE of a picked gear as it was", .act = [](WindowHarness& ui) { ui.pick(1), ui.press("Command2"); }},
    };
    for (const auto& [what, act, shown] : cases) {
        SCOPED_TRACE(what);
        ProgramHome home;
        seed(home.database, {gear(40, "0.4", "C", 12), gear(18, "48", "P", 3)});
        const auto before = historyLines(home.home);
        ASSERT_THAT(before,
                    ElementsAre(kHeader, "inserted 2 18 48 P 3 " + kSigned, "inserted 1 40 0.4 C 12 " + kSigned));
        WindowHarness ui(store::connectionStringFor(home.database));
        ASSERT_TRUE(ui.start());
        act(ui);
        ASSERT_THAT(ui.failures(), IsEmpty());
        std::vector<std::string> expected{before.front()};
        expected.insert(expected.end(), shown.begin(), shown.end());
        expected.insert(expected.end(), before.begin() + 1, before.end());
        EXPECT_EQ(historyLines(home.home), expected);
    }
}

TEST(History, AStatementThatFailsLeavesNoHistoryRowAndNoChange) {
    const struct {
        const char* what;
        const char* sql;
    } cases[] = {
        // The first gear takes ID 5 before the second fails to: the statement is undone whole.
        {.what = "two gears given one ID", .sql = "UPDATE Gears SET ID = 5"},
        {.what = "a gear inserted with an ID that exists", .sql = "INSERT INTO Gears (ID, D) VALUES (1, 3)"},
    };
    for (const auto& [what, sql] : cases) {
        SCOPED_TRACE(what);
        ProgramHome home;
        seed(home.database, {gear(40, "0.4", "C", 12), gear(18, "48", "P", 3)});
        const std::string before = bytesOf(home.database);
        EXPECT_THROW(store::openDatabase(home.database)->execute(sql), Failure);
        EXPECT_EQ(bytesOf(home.database), before);
    }
}

// sqlite3 runs the file's triggers as any program would, knowing nothing of who runs it.
TEST(History, AChangeByAnotherProgramIsSignedUnknownAndWhoShowsAnAccountsOwn) {
    ProgramHome home;
    seed(home.database, {gear(40, "0.4", "C", 12)});
    run(home.home, {home.database.string(), "UPDATE Gears SET QTY = 3"}, "sqlite3");
    EXPECT_THAT(
        historyLines(home.home),
        ElementsAre(kHeader, "changed 1 40 0.4 C 12 → 3 (unknown) (unknown)", "inserted 1 40 0.4 C 12 " + kSigned));
    EXPECT_THAT(historyLines(home.home, {"--who", kAccount}),
                ElementsAre(kHeader, "inserted 1 40 0.4 C 12 " + kSigned));
}

TEST(History, OneGearsChangesOrThoseSinceAMomentAndWrongFiltersAreRefused) {
    ProgramHome home;
    seed(home.database, {gear(40, "0.4", "C", 12), gear(18, "48", "P", 3)});
    store::openDatabase(home.database)->execute("UPDATE Gears SET QTY = 0 WHERE ID = 1");
    store::openDatabase(home.database)->execute("UPDATE Gears SET M = ' 48', T = '' WHERE ID = 2");
    store::openDatabase(home.database)->execute("UPDATE Gears SET D = NULL WHERE ID = 2");
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> shown;
    } cases[] = {
        {{"1"}, {kHeader, "changed 1 40 0.4 C 12 → 0 " + kSigned, "inserted 1 40 0.4 C 12 " + kSigned}},
        {{"2", "--since", "2000-01-31"},
         {kHeader,
          "changed 2 18 → (none) \" 48\" \"\" 3 " + kSigned,
          "changed 2 18 48 → \" 48\" P → \"\" 3 " + kSigned,
          "inserted 2 18 48 P 3 " + kSigned}},
        {{"--since=2999-12-31 23:59"}, {"recorded since the given moment."}},
        {{"7"}, {"recorded for the gear with ID 7."}},
        {{"1", "--who", "nobody-here"}, {"recorded for the gear with ID 1 made by nobody-here."}},
    };
    for (const auto& [args, shown] : cases) EXPECT_EQ(historyLines(home.home, args), shown) << args.back();
    for (const char* wrong : {"--since=31/12/2020", "--since=2020-02-30", "x1", "--until=2020-01-01", "--who"})
        EXPECT_THAT(run(home.home, {"history", wrong}).said(), StartsWith("2 zanfiro-db: ")) << wrong;
}

// The program's database as made before it recorded a history: the table Gears alone, holding one gear.
void makeOlderDatabase(const ProgramHome& home, const std::string& gear) {
    fs::create_directories(home.database.parent_path());
    const std::string table =
        "CREATE TABLE Gears (ID INTEGER PRIMARY KEY AUTOINCREMENT, D INTEGER, M TEXT, T TEXT, QTY INTEGER);";
    run(home.home, {home.database.string(), table + "INSERT INTO Gears (D, M, T, QTY) VALUES " + gear}, "sqlite3");
}

TEST(Upgrade, AnOlderDatabaseGetsTheHistoryOnceAndASecondRunChangesNothing) {
    ProgramHome home(false);
    makeOlderDatabase(home, "(40, '0.4', 'C', 12)");
    const auto gears = gearsOf(home.database);
    EXPECT_THAT(run(home.home, {"history"}).said(),
                StartsWith("1 zanfiro-db: the database records no history of changes yet; `zanfiro-db upgrade`"));
    EXPECT_EQ(run(home.home, {"upgrade"}).said(),
              "0 Added the history of changes to " + home.database.string() +
                  ": every change of a gear is recorded from now on.\n"
                  "Added the indexes by module and by teeth to " +
                  home.database.string() + ": the lists are read in their order, not sorted.\n" +
                  "Added the table of minimum and target levels to " + home.database.string() +
                  ": zanfiro-db levels sets them, zanfiro-db reorder lists the gears to order.\n");
    const std::string upgraded = bytesOf(home.database);
    EXPECT_EQ(run(home.home, {"upgrade", home.database.string()}).said(),
              "0 " + home.database.string() + " has all this version keeps already; nothing was changed.\n");
    EXPECT_EQ(bytesOf(home.database), upgraded);
    EXPECT_EQ(gearsOf(home.database), gears);
    WindowHarness ui(store::connectionStringFor(home.database));
    ASSERT_TRUE(ui.start());
    ui.pick(1);
    retype(ui, "Text4", "11");
    ui.press("Command2");
    EXPECT_THAT(historyLines(home.home), ElementsAre(kHeader, "changed 1 40 0.4 C 12 → 11 " + kSigned));
}

// The history as files kept it before it signed the changes: no Who, no Workstation.
const std::string kUnsignedHistory =
    "CREATE TABLE GearsHistory (Seq INTEGER PRIMARY KEY AUTOINCREMENT, At TEXT NOT NULL, Change TEXT NOT NULL, "
    "ID INTEGER, OldD INTEGER, OldM TEXT, OldT TEXT, OldQTY INTEGER, NewD INTEGER, NewM TEXT, NewT TEXT, NewQTY "
    "INTEGER);"
    "CREATE TRIGGER GearsHistoryInsert AFTER INSERT ON Gears BEGIN INSERT INTO GearsHistory (At, Change, ID, NewD, "
    "NewM, NewT, NewQTY) VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'), 'insert', NEW.ID, NEW.D, NEW.M, NEW.T, "
    "NEW.QTY); END;"
    "CREATE TRIGGER GearsHistoryUpdate AFTER UPDATE ON Gears BEGIN INSERT INTO GearsHistory (At, Change, ID, OldD, "
    "OldM, OldT, OldQTY, NewD, NewM, NewT, NewQTY) VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'), 'update', NEW.ID, "
    "OLD.D, OLD.M, OLD.T, OLD.QTY, NEW.D, NEW.M, NEW.T, NEW.QTY); END;"
    "CREATE TRIGGER GearsHistoryDelete AFTER DELETE ON Gears BEGIN INSERT INTO GearsHistory (At, Change, ID, OldD, "
    "OldM, OldT, OldQTY) VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'), 'delete', OLD.ID, OLD.D, OLD.M, OLD.T, "
    "OLD.QTY); END;";

TEST(Upgrade, AnUnsignedHistoryIsSignedFromThenOnItsOlderChangesUnknown) {
    ProgramHome home(false);
    makeOlderDatabase(home, "(40, '0.4', 'C', 12)");
    run(home.home, {home.database.string(), kUnsignedHistory + "UPDATE Gears SET QTY = 10"}, "sqlite3");
    EXPECT_THAT(run(home.home, {"upgrade"}).said(),
                StartsWith("0 Added who made each change and from where to the history of " + home.database.string() +
                           ": changes are signed from now on, earlier ones show as unknown.\n"));
    WindowHarness ui(store::connectionStringFor(home.database));
    ASSERT_TRUE(ui.start());
    ui.pick(1);
    retype(ui, "Text4", "11");
    ui.press("Command2");
    EXPECT_THAT(
        historyLines(home.home),
        ElementsAre(
            kHeader, "changed 1 40 0.4 C 10 → 11 " + kSigned, "changed 1 40 0.4 C 12 → 10 (unknown) (unknown)"));
}

TEST(Upgrade, AFileWithHistoryButNoListIndexesIsToldOfTheIndexesOnly) {
    ProgramHome home;
    run(home.home, {home.database.string(), "DROP INDEX GearsByModule; DROP INDEX GearsByTeeth"}, "sqlite3");
    EXPECT_EQ(run(home.home, {"upgrade"}).said(),
              "0 Added the indexes by module and by teeth to " + home.database.string() +
                  ": the lists are read in their order, not sorted.\n");
}

TEST(Upgrade, ImportIntoAnOlderDatabaseRecordsTheGearsItReplacesAndBrings) {
    ProgramHome home(false);
    makeOlderDatabase(home, "(99, '0.4', 'C', 1)");
    ASSERT_EQ(run(home.home, {"import", "--replace", TEST_DATA_DIR "/gears-edge.mdb"}).exit, 0);
    const auto lines = historyLines(home.home);
    EXPECT_EQ(lines.size(), 1u + 1u + 11u);
    EXPECT_EQ(lines.back(), "deleted 1 99 0.4 C 1 " + signedBy("zanfiro-db", Engine::File));
    EXPECT_EQ(lines.front(), kHeader);
    EXPECT_THAT(lines.at(1), StartsWith("inserted 11 -1 0.6 C 0 "));
}

}  // namespace
}  // namespace zanfiro::testing
