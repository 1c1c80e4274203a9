// zanfiro-db renumber on a stock whose IDs went past the window's ceiling, and the real window picking the gears
// it moved.
#include <gmock/gmock.h>

#include "store/gear_history.h"
#include "store/gear_levels.h"
#include "store/workstation.h"
#include "tool_run.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

void sqlite(const fs::path& file, const std::string& statements) {
    ASSERT_EQ(run(file.parent_path(), {file.string(), statements}, "sqlite3").said(), "0 ");
}

// Gears 1 to `last` inserted one by one, as over the years, teeth and quantity following the ID.
std::string inserted(int last) {
    return "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " + std::to_string(last) +
           ") INSERT INTO Gears (ID, D, M, T, QTY) SELECT x, x % 90 + 10, '48', 'P', x % 7 FROM n";
}

// A workshop that inserted 40,002 gears and deleted its first 10,000: 7,235 of those left are past 32767.
TEST(Renumber, MovesGearsPastTheCeilingSoTheWindowPicksThemWithEachHistoryRowUnderItsGear) {
    ProgramHome home;
    sqlite(home.database,
           inserted(40002) + "; DELETE FROM Gears WHERE ID <= 10000; INSERT INTO GearLevels VALUES (40002, 3, 9)");
    const Outcome renumbered = run(home.home, {"renumber", "-o", "moves.csv"});
    ASSERT_EQ(renumbered.exit, 0) << renumbered.out;
    EXPECT_THAT(renumbered.out,
                AllOf(StartsWith("Renumbered 7235 gears whose IDs were above 32767, which the window cannot pick; "
                                 "relabel their shelves:\nOld ID  New ID\n32768   1\n32769   2\n"),
                      HasSubstr("\n40002   7235\nzanfiro-db history OLD-ID tells where a gear went. The next new "
                                "gear gets ID 40003 (an ID is never given twice): run renumber again after adding "
                                "gears.\n")));
    EXPECT_EQ(store::allLevels(*store::openDatabase(home.database)),
              (std::vector<store::GearLevel>{{.id = 7235, .minimum = 3, .target = 9}}));
    const std::string csv = bytesOf(home.home / "moves.csv");
    EXPECT_THAT(csv, StartsWith("OldID,NewID\r\n32768,1\r\n32769,2\r\n"));
    EXPECT_THAT(csv, EndsWith("\r\n40002,7235\r\n"));

    WindowHarness ui(store::connectionStringFor(home.database));
    ASSERT_TRUE(ui.start());
    ui.press("Command1");  // LOAD ALL
    EXPECT_EQ(ui.comboRows().size(), 30002u);
    for (const int id : {1, 7235, 32767}) {
        ui.pick(id);
        const int was = id <= 7235 ? id + 32767 : id;
        EXPECT_EQ(ui.editor(), (Editor{std::to_string(was % 90 + 10), "48", "P", std::to_string(was % 7)})) << id;
    }
    EXPECT_THAT(ui.failures(), IsEmpty());

    // Gear 7235 of old, deleted, then the gear that was 40002: each row under the ID its gear had then, the move
    // signed as the change it is.
    EXPECT_THAT(run(home.home, {"history", "7235"}).out,
                MatchesRegex("When +Change +ID +D +M +T +QTY +Who +Where\n"
                             "[-0-9 :]+  renumbered  40002 → 7235  [0-9]+ +48  P  [0-9] +" +
                             store::operatorAccount() +
                             " +zanfiro-db@[^ ]+\n"
                             "[-0-9 :]+  deleted     7235 +[0-9]+ +48  P  [0-9] .*\n"
                             "[-0-9 :]+  inserted    7235 +[0-9]+ +48  P  [0-9] .*\n"));
    EXPECT_THAT(run(home.home, {"history", "40002"}).out, HasSubstr("  renumbered  40002 → 7235  "));
    EXPECT_THAT(run(home.home, {"check"}, "XDG_CONFIG_HOME= " ZANFIRO_DB).out,
                HasSubstr("\nok       history: 57238 changes recorded; each gear's last change leaves it as it is\n"));
}

TEST(Renumber, IsRefusedWhileTheGearsPastTheCeilingDoNotFitChangingNothing) {
    ProgramHome home;
    sqlite(home.database, inserted(32769) + "; DELETE FROM Gears WHERE ID = 5");
    const std::string before = bytesOf(home.database);
    EXPECT_EQ(run(home.home, {"renumber"}).said(),
              "1 zanfiro-db: 2 gears have IDs above 32767, but only 1 ID below is free: they do not fit (error 6)\n"
              "Nothing was renumbered: " +
                  home.database.string() + " is as it was.\n");
    EXPECT_EQ(bytesOf(home.database), before);
}

}  // namespace
}  // namespace zanfiro::testing
