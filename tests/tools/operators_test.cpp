// A stock on the tests' PostgreSQL server as an administrator sets it up with zanfiro-db (a role that may create
// roles, not a superuser) and an operator works it: the window works fully as an operator, the server refuses the
// operator everything else, and the history signs every change with the login role and the workstation.
#include <gmock/gmock.h>

#include "store/gear_history.h"
#include "store/gear_levels.h"
#include "store/pg_session.h"
#include "tool_run.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

// Runs statements on the tests' server as its superuser.
void asSuperuser(const std::string& database, const std::string& sql) {
    store::openServerDatabase(serverConninfo(database))->execute(sql);
}

// Login roles of the test's own, dropped after the database they work in.
struct Logins {
    const std::string administrator = uniqueServerName("admin"), op = uniqueServerName("op");
    Logins() {
        asSuperuser("postgres", "CREATE ROLE " + administrator + " LOGIN CREATEROLE");
        asSuperuser("postgres", "CREATE ROLE " + op + " LOGIN");
    }
    ~Logins() {
        for (const std::string& role : {op, administrator}) try {
                asSuperuser("postgres", "DROP ROLE IF EXISTS " + role);
            } catch (const Failure&) {
                // The server going away first must not end the test run.
            }
    }
};

// An empty database of the administrator's own, set up with `zanfiro-db init --server` from the administrator's
// home; the login `op` made an operator with `zanfiro-db grant-operator` there, and its own home pointed at the
// stock with `zanfiro-db init --server` as the operator.
class Operators : public Test {
protected:
    void SetUp() override {
        asSuperuser("postgres", "ALTER DATABASE " + databaseName + " OWNER TO " + logins.administrator);
        fs::create_directories(adminHome), fs::create_directories(opHome);
        ASSERT_EQ(run(adminHome, {"init", "--server", as(logins.administrator)}).exit, 0);
        granted = run(adminHome, {"grant-operator", logins.op});
        ASSERT_EQ(run(opHome, {"init", "--server", as(logins.op)}).exit, 0);
    }
    std::string as(const std::string& role) const { return serverConninfo(databaseName, role); }
    std::shared_ptr<store::Session> operatorSession() const { return store::openServerDatabase(as(logins.op)); }
    Outcome history(const std::vector<std::string>& args = {}) const {
        std::vector<std::string> all{"history"};
        all.insert(all.end(), args.begin(), args.end());
        return run(adminHome, all);
    }

    Logins logins;
    TempDatabase database{TempDatabase::Content::NoFile, Engine::Server};
    const std::string databaseName = database.server().substr(database.server().rfind('=') + 1);
    const fs::path adminHome = database.folder() / "admin", opHome = database.folder() / "op";
    Outcome granted;
};

TEST_F(Operators, GrantOperatorMakesALoginAnOperatorOnceAndRefusesAFile) {
    EXPECT_EQ(granted.said(),
              "0 The login " + logins.op +
                  " is now one of the operators (zanfiro_operators): it may read and change the gears and read the "
                  "history, and nothing else.\n");
    EXPECT_EQ(run(adminHome, {"grant-operator", logins.op}).said(),
              "0 The login " + logins.op + " is one of the operators already; nothing was changed.\n");
    EXPECT_THAT(run(adminHome, {"grant-operator", "nobody_such"}).said(),
                StartsWith("1 zanfiro-db: SQLSTATE 42704: role \"nobody_such\" does not exist"));
    const fs::path file = database.folder() / "file.mdb";
    store::createDatabase(file);
    EXPECT_THAT(
        run(adminHome, {"grant-operator", logins.op, file.string()}).said(),
        AllOf(StartsWith("1 zanfiro-db: " + file.string() + " is no link to a server"), EndsWith("(error 3251)\n")));
}

TEST_F(Operators, WindowWorksFullyAsAnOperator) {
    WindowHarness ui(store::connectionStringFor(opHome / "NDB/DB.mdb"));
    ASSERT_TRUE(ui.start());
    ui.fillEditor({.D = "20", .M = "48", .T = "P", .QTY = "5"});
    ui.press("Command2");
    ui.fillEditor({.D = "30", .M = "48", .T = "P", .QTY = "2"});
    ui.press("Command2");
    ui.press("Command1");
    ui.pick(1);
    ui.fillEditor({.D = "20", .M = "48", .T = "P", .QTY = "4"});
    ui.press("Command2");
    ui.selectOptions(kPignone48);
    ui.press("Command6");
    ui.pick(2);
    ui.press("Command3");
    EXPECT_THAT(ui.failures(), IsEmpty());
    EXPECT_EQ(ui.shown(), (Shown{.status = "Record Eliminato", .options = kPignone48, .ids = {"1"}}));
    EXPECT_EQ(
        store::allGears(*operatorSession()),
        (std::vector<store::GearRecord>{{.ID = num(1), .D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(4)}}));
}

TEST_F(Operators, ServerRefusesAnOperatorEverythingButGearsAndReadingTheHistory) {
    store::insertGear(*operatorSession(), {.D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(5)});
    for (const char* sql : {
             "DROP TABLE Gears",
             "TRUNCATE Gears",
             "ALTER TABLE Gears ADD COLUMN Price bigint",
             "ALTER TABLE Gears DISABLE TRIGGER ALL",
             "UPDATE GearsHistory SET Who = 'someone else'",
             "DELETE FROM GearsHistory",
             "INSERT INTO GearsHistory (At, Change, ID) VALUES ('2000-01-01', 'insert', 9)",
             "DROP FUNCTION gears_history_update()",
             "CREATE TABLE Parts (ID bigint)",
         })
        EXPECT_THAT(failureOf([&] { operatorSession()->execute(sql); }).description(), StartsWith("SQLSTATE 42501: "))
            << sql;
    EXPECT_EQ(store::gearChanges(*operatorSession()).size(), 1u);
}

TEST_F(Operators, AnOperatorsOwnTableNamedGearsHistoryNeverTakesTheHistorysPlace) {
    auto session = operatorSession();
    session->execute("CREATE TEMP TABLE GearsHistory (At text, Change text, ID bigint)");
    store::insertGear(*session, {.D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(5)});
    EXPECT_EQ(store::gearChanges(*store::openServerDatabase(as(logins.administrator))).size(), 1u);
}

TEST_F(Operators, HistorySignsTheOperatorsWindowAndPsqlWithRoleAndWorkstation) {
    store::insertGear(*store::openServerDatabase(as(logins.administrator)),
                      {.D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(5)});
    WindowHarness ui(store::connectionStringFor(opHome / "NDB/DB.mdb"));
    ASSERT_TRUE(ui.start());
    ui.pick(1);
    ui.fillEditor({.D = "20", .M = "48", .T = "P", .QTY = "4"});
    ui.press("Command2");
    ASSERT_THAT(ui.failures(), IsEmpty());
    ASSERT_EQ(run(opHome,
                  {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-c", "UPDATE gears SET qty = 3 WHERE id = 1", as(logins.op)},
                  "psql")
                  .exit,
              0);
    // The tests reach the server over its own socket.
    const std::string changes = history().out;
    EXPECT_THAT(changes, ContainsRegex(" 4 → 3 +" + logins.op + " +psql \\(local\\)\n"));
    EXPECT_THAT(changes, ContainsRegex(" 5 → 4 +" + logins.op + " +operators_tests@[^ ]+ \\(local\\)\n"));
    EXPECT_THAT(changes,
                ContainsRegex("inserted .* " + logins.administrator + " +operators_tests@[^ ]+ \\(local\\)\n"));
    const std::string byOperator = history({"--who", logins.op}).out;
    EXPECT_EQ(std::count(byOperator.begin(), byOperator.end(), '\n'), 3) << byOperator;
}

TEST_F(Operators, AnOperatorSetsLevelsAndAppliesCountsAndTheHistoryRecordsBothAsTheirs) {
    store::insertGear(*operatorSession(), {.D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(5)});
    std::ofstream(opHome / "counts.csv") << "ID,Counted\n1,4\n";
    EXPECT_EQ(run(opHome, {"levels", "set", "1", "2", "8"}).exit, 0);
    EXPECT_EQ(run(opHome, {"count", "apply", "--yes", "counts.csv"}).exit, 0);
    const std::string changes = history({"1"}).out;
    EXPECT_THAT(changes, ContainsRegex(" counted +1 +20 +48 +P +5 → 4 +" + logins.op + " +zanfiro-db@"));
    EXPECT_THAT(
        changes,
        ContainsRegex(" levels +1 +20 +48 +P +5 +\\(none\\) → 2 +\\(none\\) → 8 +" + logins.op + " +zanfiro-db@"));
}

// A gear the window cannot pick, with its levels, and the administrator's zanfiro-db renumber or the operator's.
class RenumberOnTheServer : public Operators {
protected:
    void SetUp() override {
        Operators::SetUp();
        auto admin = store::openServerDatabase(as(logins.administrator));
        store::insertGear(*admin, {.ID = num(40000), .D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(5)});
        store::setLevel(*admin, {.id = 40000, .minimum = 2, .target = 8});
    }
    std::vector<store::GearLevel> levels() const { return store::allLevels(*operatorSession()); }
};

TEST_F(RenumberOnTheServer, AnOperatorsIsRefusedChangingNothing) {
    const std::size_t changes = store::gearChanges(*operatorSession()).size();
    EXPECT_EQ(run(opHome, {"renumber"}).said(),
              "1 zanfiro-db: renumber relabels the history, which only the administrator who owns the stock's tables "
              "may change, and the login " +
                  logins.op +
                  " does not own them: run it with the administrator's login (error 3146)\nNothing was renumbered: " +
                  (opHome / "NDB/DB.mdb").string() + " is as it was.\n");
    EXPECT_EQ(store::allGears(*operatorSession()).front().ID, num(40000));
    EXPECT_EQ(levels().front().id, 40000);
    EXPECT_EQ(store::gearChanges(*operatorSession()).size(), changes);
}

TEST_F(RenumberOnTheServer, TheAdministratorsMovesTheGearWithItsLevelsSignedByTheAdministrator) {
    ASSERT_EQ(run(adminHome, {"renumber"}).exit, 0);
    EXPECT_EQ(store::allGears(*operatorSession()).front().ID, num(1));
    EXPECT_EQ(levels(), (std::vector<store::GearLevel>{{.id = 1, .minimum = 2, .target = 8}}));
    EXPECT_THAT(history({"40000"}).out,
                ContainsRegex("renumbered +40000 → 1 .* " + logins.administrator + " +zanfiro-db@[^ ]+ \\(local\\)\n"));
}

// A stock as older versions left it: a history without signatures, written with the rights of whoever changed a
// gear, and no operators' rights.
TEST_F(Operators, UpgradeGivesAnOlderStockSignaturesAndOperatorsRights) {
    for (const char* sql : {"ALTER TABLE GearsHistory DROP COLUMN Who, DROP COLUMN Workstation",
                            "REVOKE ALL ON Gears, GearsHistory FROM zanfiro_operators",
                            "ALTER FUNCTION gears_history_insert() SECURITY INVOKER"})
        asSuperuser(databaseName, sql);
    EXPECT_EQ(run(adminHome, {"upgrade"}).said(),
              "0 Added who made each change and from where to the history of " + (adminHome / "NDB/DB.mdb").string() +
                  ": changes are signed from now on, earlier ones show as unknown.\nGave the group role "
                  "zanfiro_operators the right to read and change the gears and read the history, and nothing else: "
                  "zanfiro-db grant-operator LOGIN makes a login one of them.\n");
    store::insertGear(*operatorSession(), {.D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(5)});
    EXPECT_THAT(history().out, ContainsRegex("inserted .* " + logins.op + " +operators_tests@"));
}

}  // namespace
}  // namespace zanfiro::testing
