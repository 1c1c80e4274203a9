#include <gtest/gtest.h>

#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

TEST(StartUp, ListsEveryGearByModuleAsTextAndTitlesTheList) {
    TempDatabase db;
    db.insert(40, "64", "C", 1);
    db.insert(40, "0.6", "P", 2);
    db.insert(40, "48", "C", 3);
    db.insert(7, "0.4", "C", 4);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    const auto rows = ui.listRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].substr(0, 1), "4");
    EXPECT_EQ(rows[1].substr(0, 1), "2");
    EXPECT_EQ(rows[2].substr(0, 1), "3");
    EXPECT_EQ(rows[3].substr(0, 1), "1");
    EXPECT_EQ(ui.status(), "Lista Completa");
    EXPECT_EQ(ui.text("Combo1"), "");
}

}  // namespace
}  // namespace zanfiro::testing
