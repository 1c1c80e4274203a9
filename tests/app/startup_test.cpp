// Start-up: the editor emptied, Corona and Modulo 0.4 selected, every gear
// listed by module in both lists, and the failure path when the data source
// is not there.
#include <QComboBox>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// The text before the first two consecutive spaces: the gear's ID.
std::string head(const std::string& row) { return row.substr(0, row.find("  ")); }

TEST(StartUp, OnAnEmptyTableEmptiesTheEditorAndTitlesAnEmptyList) {
    TempDatabase db;
    WindowHarness ui(db);
    // The window's own initial texts, which Load overwrites.
    EXPECT_EQ(ui.text("Combo2"), "C");
    EXPECT_EQ(ui.text("Combo3"), "0.4");
    EXPECT_EQ(ui.status(), "");
    ASSERT_TRUE(ui.start());
    for (const char* field : {"Text1", "Combo3", "Combo2", "Text4", "Combo1"}) EXPECT_EQ(ui.text(field), "") << field;
    EXPECT_THAT(ui.comboRows(), IsEmpty());
    EXPECT_THAT(ui.listRows(), IsEmpty());
    EXPECT_THAT(ui.comboRows("Combo2"), ElementsAre("C", "P"));
    EXPECT_THAT(ui.comboRows("Combo3"), ElementsAre("0.4", "0.6", "48", "64"));
    EXPECT_EQ(ui.status(), "Lista Completa");
    EXPECT_EQ(ui.focusedControl(), "Combo1");
    EXPECT_TRUE(ui.failures().empty());
}

TEST(StartUp, ListsEveryGearByModuleComparedAsTextWithTheSameGearOnEachRowOfBothLists) {
    TempDatabase db;
    struct Seed {
        const char* module;
        std::int64_t id = 0;
    };
    // "120" sorts between "0.6" and "48" only when compared as text.
    Seed seeds[] = {{"64"}, {"0.6"}, {"48"}, {"120"}, {"0.4"}};
    for (Seed& s : seeds) s.id = db.insert(40, s.module, "C", 1);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());

    const auto combo = ui.comboRows();
    const auto box = ui.listRows();
    ASSERT_EQ(combo.size(), 5u);
    ASSERT_EQ(box.size(), 5u);
    const std::vector<std::string> expectedOrder{"0.4", "0.6", "120", "48", "64"};
    for (std::size_t n = 0; n < combo.size(); ++n) {
        SCOPED_TRACE(n);
        const Seed& gear = *std::ranges::find(seeds, std::string_view(expectedOrder[n]), [](const Seed& s) { return std::string_view(s.module); });
        EXPECT_EQ(head(combo[n]), std::to_string(gear.id));
        EXPECT_EQ(head(box[n]), std::to_string(gear.id));
        EXPECT_THAT(combo[n], HasSubstr("Modulo    " + expectedOrder[n] + "\t"));
        EXPECT_THAT(box[n], HasSubstr("Modulo  " + expectedOrder[n] + "\t"));
    }
    EXPECT_EQ(ui.text("Combo1"), "");
    EXPECT_EQ(ui.combo("Combo1")->currentIndex(), -1);
    EXPECT_EQ(ui.status(), "Lista Completa");
}

TEST(StartUp, BuildsTheFullListRowsCharacterForCharacterNullsAddingNothing) {
    TempDatabase db;
    db.insertWithId(7, num(40), txt("0.4"), txt("C"), num(12));
    db.insertWithId(8, num(30), txt("0.6"), null(), num(4));
    db.insertWithId(9, null(), null(), null(), null());
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    EXPECT_THAT(ui.comboRows(),
                UnorderedElementsAre("7   -      Denti  40\t         Modulo    0.4\t      Tipo    C\t    QTY   12",
                                     "8   -      Denti  30\t         Modulo    0.6\t      Tipo    \t    QTY   4",
                                     "9   -      Denti  \t         Modulo    \t      Tipo    \t    QTY   "));
    EXPECT_THAT(ui.listRows(), UnorderedElementsAre("7   -      Denti  40\t     Modulo  0.4\tTipo  C\t   QTY   12",
                                                    "8   -      Denti  30\t     Modulo  0.6\tTipo  \t   QTY   4",
                                                    "9   -      Denti  \t     Modulo  \tTipo  \t   QTY   "));
    for (std::size_t n = 0; n < 3; ++n) EXPECT_EQ(head(ui.comboRows()[n]), head(ui.listRows()[n]));
    EXPECT_EQ(ui.status(), "Lista Completa");
    EXPECT_TRUE(ui.failures().empty());
}

TEST(FailureGuard, AMissingDatabaseFailsTheLoadNamingThePathAndCreatesNothing) {
    TempDatabase db(TempDatabase::Content::NoFile);
    const std::filesystem::path missingFolderFile = db.folder() / "NDB" / "DB.mdb";
    for (const std::filesystem::path& file : {db.path(), missingFolderFile}) {
        SCOPED_TRACE(file.string());
        WindowHarness ui("driver={Microsoft Access Driver (*.mdb)};dbq=" + file.string());
        EXPECT_FALSE(ui.start());
        ASSERT_EQ(ui.failures().size(), 1u);
        EXPECT_THAT(ui.failures()[0].description(), HasSubstr(file.string()));
        EXPECT_NE(ui.failures()[0].number(), 0);
        EXPECT_EQ(ui.status(), "");
        EXPECT_THAT(ui.comboRows(), IsEmpty());
        EXPECT_TRUE(std::filesystem::is_empty(db.folder()));
    }
}

TEST(FailureGuard, AFailureLeavingAHandlerReachesTheSinkWithNumberAndDescription) {
    TempDatabase db;
    // An ID beyond 16 bits cannot be read back from the row.
    db.insertWithId(40000, num(40), txt("0.4"), txt("C"), num(12));
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    ui.choose("Combo1", 0);
    ASSERT_EQ(ui.failures().size(), 1u);
    EXPECT_EQ(ui.failures()[0].number(), 6);
    EXPECT_EQ(ui.failures()[0].description(), "Overflow");

    // The data source gone from under a running window: LOAD ALL fails.
    std::filesystem::remove(db.path());
    ui.press("Command1");
    ASSERT_EQ(ui.failures().size(), 2u);
    EXPECT_NE(ui.failures()[1].number(), 0);
    EXPECT_THAT(ui.failures()[1].description(), HasSubstr(db.path().string()));
    EXPECT_FALSE(std::filesystem::exists(db.path()));
}

}  // namespace
}  // namespace zanfiro::testing
