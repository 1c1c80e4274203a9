// zanfiro-db levels: the gears' minimum and target levels set, imported and listed by the real program, on a file
// and (ZANFIRO_TEST_ENGINE=server) on the tests' PostgreSQL server.
#include <gmock/gmock.h>

#include "store/gear_levels.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
using store::GearLevel;
namespace fs = std::filesystem;

std::vector<GearLevel> levelsOf(const fs::path& database) { return store::allLevels(*store::openDatabase(database)); }

// Crown gears of 0.4 (IDs 1, 2) and pinions of 48 (3, 4, 5), one pinion of 64 (6).
class Levels : public Test {
protected:
    void SetUp() override {
        seed(home.database,
             {gear(40, "0.4", "C", 12),
              gear(60, "0.4", "C", 4),
              gear(11, "48", "P", 14),
              gear(13, "48", "P", 8),
              gear(17, "48", "P", 0),
              gear(9, "64", "P", 16)});
    }
    Outcome zanfiroDb(const std::vector<std::string>& args) { return run(home.home, args); }
    void writeFile(const std::string& name, const std::string& text) { std::ofstream(home.home / name) << text; }
    ProgramHome home;
};

TEST_F(Levels, SetGivesOneGearItsLevelsAndTheListShowsWhatToOrder) {
    EXPECT_EQ(zanfiroDb({"levels", "set", "2", "5", "20"}).said(),
              "0 Set the minimum 5 and the target 20 for the gear with ID 2.\n");
    EXPECT_EQ(zanfiroDb({"levels", "set", "6", "3"}).said(),
              "0 Set the minimum 3 without a target for the gear with ID 6.\n");
    EXPECT_EQ(zanfiroDb({"levels", "set", "2", "6", "30"}).exit, 0);  // in place of the first
    EXPECT_THAT(levelsOf(home.database),
                ElementsAre(GearLevel{.id = 2, .minimum = 6, .target = 30}, GearLevel{.id = 6, .minimum = 3}));
    EXPECT_EQ(zanfiroDb({"levels"}).said(),
              "0 ID  D   M    T  QTY  Minimum  Target  To order\n"
              "2   60  0.4  C  4    6        30      26\n"
              "6   9   64   P  16   3\n");
}

TEST_F(Levels, SetForATypeAndModuleGivesEveryGearOfThatSectionItsLevels) {
    EXPECT_EQ(zanfiroDb({"levels", "set", "--type", "P", "--module", "48", "10", "30"}).said(),
              "0 Set the minimum 10 and the target 30 for 3 gears (Pignioni, Modulo 48).\n");
    EXPECT_THAT(levelsOf(home.database),
                ElementsAre(GearLevel{.id = 3, .minimum = 10, .target = 30},
                            GearLevel{.id = 4, .minimum = 10, .target = 30},
                            GearLevel{.id = 5, .minimum = 10, .target = 30}));
    EXPECT_EQ(zanfiroDb({"levels", "clear", "--module", "48"}).said(),
              "0 Removed the levels of 3 gears (Modulo 48).\n");
    EXPECT_THAT(levelsOf(home.database), IsEmpty());
}

TEST_F(Levels, WrongLevelsAreRefusedAndChangeNothing) {
    zanfiroDb({"levels", "set", "1", "2", "4"});
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"levels", "set", "1", "5", "3"}, "2 zanfiro-db: the target 3 is below the minimum 5\n"},
        {{"levels", "set", "1", "-1"}, "2 zanfiro-db: the minimum is a whole number of 0 or more, not \"-1\"\n"},
        {{"levels", "set", "1", "5x"}, "2 zanfiro-db: the minimum is a whole number of 0 or more, not \"5x\"\n"},
        {{"levels", "set", "99", "5"}, "1 zanfiro-db: no gear has the ID 99; nothing was changed (error 3317)\n"},
        {{"levels", "set", "--type", "X", "5"}, "2 zanfiro-db: --type is C (crown gears) or P (pinions), not X\n"},
        {{"levels", "set", "1"}, "2 zanfiro-db: levels set needs MIN and, if you like, TARGET\n"},
    };
    for (const auto& [args, said] : cases) EXPECT_THAT(zanfiroDb(args).said(), StartsWith(said)) << args[3];
    EXPECT_THAT(levelsOf(home.database), ElementsAre(GearLevel{.id = 1, .minimum = 2, .target = 4}));
}

TEST_F(Levels, ImportWithAWrongLineNamesEachAndWritesNothing) {
    zanfiroDb({"levels", "set", "1", "2", "4"});
    writeFile("levels.csv",
              "ID;Minimum;Target\r\n"
              "2;5;10\r\n"
              "99;1;\r\n"
              "3;7;2\r\n"
              "2;6;\r\n"
              "x;1;1\r\n");
    EXPECT_EQ(zanfiroDb({"levels", "import", "levels.csv"}).said(),
              "1 zanfiro-db: " + (home.home / "levels.csv").string() +
                  " has wrong lines; nothing was changed:\n"
                  "  line 3: no gear has the ID 99\n"
                  "  line 4: the target 2 is below the minimum 7\n"
                  "  line 5: the gear with ID 2 is on line 2 already\n"
                  "  line 6: the ID is a whole number, not \"x\" (error 3317)\n");
    EXPECT_THAT(levelsOf(home.database), ElementsAre(GearLevel{.id = 1, .minimum = 2, .target = 4}));
}

TEST_F(Levels, ImportSetsAndRemovesWhatTheFileSaysAndTheListComesBackUnchanged) {
    zanfiroDb({"levels", "set", "1", "2", "4"});
    zanfiroDb({"levels", "set", "6", "1"});
    writeFile("levels.csv", "Minimum,ID,Target\n5,2,10\n,1,\n1,6,\n");
    EXPECT_EQ(zanfiroDb({"levels", "import", "levels.csv"}).said(),
              "0 Read 3 lines from " + (home.home / "levels.csv").string() +
                  ".\nSet the levels of 1 gear.\nRemoved the levels of 1 gear.\n"
                  "Left the levels of 1 gear as they were.\n");
    EXPECT_THAT(levelsOf(home.database),
                ElementsAre(GearLevel{.id = 2, .minimum = 5, .target = 10}, GearLevel{.id = 6, .minimum = 1}));

    writeFile("all.csv", zanfiroDb({"levels", "--csv"}).out);
    EXPECT_EQ(
        zanfiroDb({"levels", "import", "all.csv"}).said(),
        "0 Read 6 lines from " + (home.home / "all.csv").string() + ".\nLeft the levels of 6 gears as they were.\n");
}

TEST_F(Levels, HistoryShowsEachLevelSetChangedAndClearedSigned) {
    zanfiroDb({"levels", "set", "2", "5", "20"});
    zanfiroDb({"levels", "set", "2", "6", "20"});
    zanfiroDb({"levels", "set", "2", "6", "20"});  // as they are: no change
    zanfiroDb({"levels", "clear", "2"});
    const std::string by = signedBy("zanfiro-db");
    EXPECT_THAT(historyLines(home.home, {"2"}),
                ElementsAre("ID D M T QTY Minimum Target Who Where",
                            "levels 2 60 0.4 C 4 6 → (none) 20 → (none) " + by,
                            "levels 2 60 0.4 C 4 5 → 6 20 " + by,
                            "levels 2 60 0.4 C 4 (none) → 5 (none) → 20 " + by,
                            StartsWith("inserted 2 60 0.4 C 4 ")));
}

// sqlite3 and psql change a level as any program would.
TEST_F(Levels, ALevelChangedByAnotherProgramIsRecordedToo) {
    zanfiroDb({"levels", "set", "1", "2", "4"});
    const std::string sql = "UPDATE GearLevels SET Minimum = 3";
    if (testEngine() == Engine::File)
        run(home.home, {home.database.string(), sql}, "sqlite3");
    else
        run(home.home, {"-X", "-q", "-c", sql, home.temp.server()}, "psql");
    EXPECT_EQ(historyLines(home.home, {"1"}).at(1),
              "levels 1 40 0.4 C 12 2 → 3 4 " +
                  std::string(testEngine() == Engine::File ? "(unknown) (unknown)" : "zanfiro psql (local)"));
}

TEST_F(Levels, ADeletedGearTakesItsLevelsAlongAndItsHistoryTellsTheDeletionAlone) {
    zanfiroDb({"levels", "set", "4", "10"});
    zanfiroDb({"levels", "set", "5", "10"});
    store::openDatabase(home.database)->execute("DELETE * FROM Gears WHERE ID = 4");  // as the window deletes
    EXPECT_THAT(levelsOf(home.database), ElementsAre(GearLevel{.id = 5, .minimum = 10}));
    EXPECT_THAT(historyLines(home.home, {"4"}),
                ElementsAre(_,
                            StartsWith("deleted 4 13 48 P 8 "),
                            StartsWith("levels 4 13 48 P 8 (none) → 10 "),
                            StartsWith("inserted 4 ")));
}

TEST_F(Levels, AnOlderDatabaseIsToldToUpgradeWhichAddsTheLevels) {
    auto db = store::openDatabase(home.database);
    db->execute("DROP TABLE GearLevels");
    db->execute(testEngine() == Engine::File ? "DROP TRIGGER GearLevelsFollowGear"
                                             : "DROP TRIGGER GearLevelsFollowGear ON Gears");
    db.reset();
    EXPECT_THAT(zanfiroDb({"levels", "set", "1", "2"}).said(),
                StartsWith("1 zanfiro-db: the database keeps no minimum levels yet; `zanfiro-db upgrade` adds"));
    EXPECT_THAT(zanfiroDb({"upgrade"}).out, HasSubstr("Added the table of minimum and target levels"));
    EXPECT_EQ(zanfiroDb({"levels", "set", "1", "2"}).exit, 0);
    store::openDatabase(home.database)->execute("DELETE FROM Gears WHERE ID = 1");
    EXPECT_THAT(levelsOf(home.database), IsEmpty());
}

// A stock as made before the history recorded levels and counts: no columns for them, no triggers on GearLevels,
// and on a server a trigger for the updates of gears that knows no counts (here one that records nothing).
TEST_F(Levels, UpgradeMakesAnOlderHistoryRecordLevelsAndCountsFromThenOn) {
    const bool file = testEngine() == Engine::File;
    auto db = store::openDatabase(home.database);
    for (const std::string kind : {"Insert", "Update", "Delete"})
        db->execute("DROP TRIGGER GearLevelsHistory" + kind + (file ? "" : " ON GearLevels"));
    for (const std::string column : {"OldMinimum", "OldTarget", "NewMinimum", "NewTarget"})
        db->execute("ALTER TABLE GearsHistory DROP COLUMN " + column);
    if (!file)
        db->execute(
            "CREATE OR REPLACE FUNCTION gears_history_update() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RETURN "
            "NULL; END $$");
    db.reset();
    EXPECT_EQ(zanfiroDb({"upgrade"}).said(),
              "0 Added the changes of levels and the counts to the history of " + home.database.string() +
                  ": a level set, changed or cleared and a correction by a count are recorded from now on.\n");
    zanfiroDb({"levels", "set", "1", "2", "4"});
    writeFile("counts.csv", "ID,Counted\n1,10\n");
    zanfiroDb({"count", "apply", "--yes", "counts.csv"});
    EXPECT_THAT(historyLines(home.home, {"1"}),
                ElementsAre(_,
                            StartsWith("counted 1 40 0.4 C 12 → 10 "),
                            StartsWith("levels 1 40 0.4 C 12 (none) → 2 (none) → 4 "),
                            StartsWith("inserted 1 ")));
}

}  // namespace
}  // namespace zanfiro::testing
