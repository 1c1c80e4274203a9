// The operator's road: one import command, then the window shows every
// gear of the old Access file under its old ID.
#include <gtest/gtest.h>

#include <algorithm>

#include "temp_database.h"
#include "tool_run.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

TEST(ImportedStock, TheWindowListsEveryGearAndPicksOneByItsOldId) {
    TempDatabase db(TempDatabase::Content::NoFile);
    const ToolRun run = runZanfiroDb({"import", testData("gears-text.mdb").string(), db.path()}, db.folder());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    EXPECT_TRUE(ui.failures().empty());
    EXPECT_EQ(ui.listRows().size(), 128u);
    const std::vector<std::string> rows = ui.comboRows();
    const auto last = std::ranges::find_if(rows, [](const std::string& row) { return row.starts_with("149 "); });
    ASSERT_NE(last, rows.end());

    ui.choose("Combo1", static_cast<int>(last - rows.begin()));
    EXPECT_TRUE(ui.failures().empty());
    EXPECT_EQ(ui.text("Text1"), "36");
    EXPECT_EQ(ui.text("Combo3"), "64");
    EXPECT_EQ(ui.text("Combo2"), "P");
    EXPECT_EQ(ui.text("Text4"), "187");
}

}  // namespace
}  // namespace zanfiro::testing
