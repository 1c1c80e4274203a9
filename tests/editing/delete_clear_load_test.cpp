#include <gtest/gtest.h>

#include "shown_gears.h"

namespace zanfiro::testing {
namespace {

// Pinions of module 48 (IDs 1, 2, 4) among others.
struct DeleteStock {
    TempDatabase db;
    std::vector<ShownGear> gears{seedGear(db, 20, "48", "P", 1), seedGear(db, 15, "48", "P", 2),
                                 seedGear(db, 30, "48", "C", 3),  seedGear(db, 40, "48", "P", 4),
                                 seedGear(db, 15, "64", "P", 5),  seedGear(db, 15, "0.4", "P", 6)};
};

TEST(Delete, RemovesThePickedPinionAndListsTheOtherPinionsOfItsModule) {
    DeleteStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    pick(ui, 4);
    ui.press("Command3");
    EXPECT_EQ(ui.status(), "Record Eliminato");
    EXPECT_EQ(options(ui), Options("Option2", "Option5"));
    EXPECT_EQ(shownRows(ui), expectedRows(Layout::Filtered, {stock.gears[1], stock.gears[0]}));
    EXPECT_EQ(editorOf(ui), Editor{});
    EXPECT_EQ(ui.text("Combo1"), "");
    EXPECT_EQ(stock.db.count(), 5);
    for (const StoredGear& gear : stock.db.gears()) EXPECT_NE(gear.id, 4);

    ui.press("Command3");  // nothing is selected any more
    EXPECT_EQ(ui.status(), "Selezionare Elemento");
    EXPECT_EQ(stock.db.count(), 5);
}

TEST(Delete, AnUnofferedTypeOrModuleLeavesItsOptionGroupAsItWas) {
    struct Case {
        const char *T, *M;
        Options before, after;
        std::vector<std::size_t> listed;  // indexes into the stock
        Editor editor;
    };
    const Case cases[] = {
        {"X", "48", {"Option1", "Option4"}, {"Option1", "Option5"}, {}, {"", "48", "X", ""}},
        {"P", "0.40", {"Option1", "Option6"}, {"Option2", "Option6"}, {4}, {}},
        {"p", "0.4 ", {"Option2", "Option5"}, {"Option2", "Option5"}, {}, {"", "0.4 ", "p", ""}},
        {"C", "4 8", {"Option2", "Option5"}, {"Option1", "Option5"}, {2}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.T) + " '" + c.M + "'");
        DeleteStock stock;
        const auto odd = stock.db.insert(9, c.M, c.T, 1);
        WindowHarness ui(stock.db);
        ASSERT_TRUE(ui.start());
        selectOptions(ui, c.before.first.c_str(), c.before.second.c_str());
        pick(ui, odd);
        ui.press("Command3");
        EXPECT_EQ(ui.status(), "Record Eliminato");
        EXPECT_EQ(stock.db.count(), 6);
        EXPECT_EQ(options(ui), c.after);
        std::vector<ShownGear> listed;
        for (std::size_t i : c.listed) listed.push_back(stock.gears[i]);
        EXPECT_EQ(shownRows(ui), expectedRows(Layout::Filtered, listed));
        EXPECT_EQ(editorOf(ui), c.editor);
    }
}

TEST(Delete, WithNothingSelectedOrAfterClearWhichKeepsTheRowsAsksForAnElementAndChangesNothing) {
    for (const bool afterClear : {false, true}) {
        SCOPED_TRACE(afterClear ? "after CLEAR" : "nothing selected");
        DeleteStock stock;
        WindowHarness ui(stock.db);
        ASSERT_TRUE(ui.start());
        selectOptions(ui, "Option2", "Option6");
        if (afterClear) {
            pick(ui, 4);
            const auto rows = shownRows(ui);
            const auto picked = ui.form().splitRow;
            ui.press("Command4");
            EXPECT_EQ(ui.form().splitRow, picked);
            EXPECT_EQ(ui.status(), "Valori Annullati ");
            EXPECT_EQ(editorOf(ui), Editor{});
            EXPECT_EQ(ui.text("Combo1"), "");
            EXPECT_EQ(shownRows(ui), rows);
        }
        ui.type("Text1", "33");
        const auto rows = shownRows(ui);
        const Editor editor = editorOf(ui);
        const auto splitRow = ui.form().splitRow;
        ui.press("Command3");
        EXPECT_EQ(ui.status(), "Selezionare Elemento");
        EXPECT_EQ(shownRows(ui), rows);
        EXPECT_EQ(editorOf(ui), editor);
        EXPECT_EQ(ui.form().splitRow, splitRow);
        EXPECT_EQ(options(ui), Options("Option2", "Option6"));
        EXPECT_EQ(stock.db.count(), 6);
    }
}

TEST(LoadAll, ListsEveryGearOnceByTeethAsNumbersAndResetsTheEditorAndOptions) {
    TempDatabase db;
    const std::vector<ShownGear> gears{seedGear(db, 100, "0.4", "C", 1), seedGear(db, 9, "64", "P", 2),
                                       seedGear(db, 40, "48", "P", 3), seedGear(db, 9, "0.6", "C", 4)};
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    selectOptions(ui, "Option2", "Option5");
    ui.press("Command6");
    pick(ui, 3);
    ui.type("Text4", "7");
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        ui.press("Command1");
        EXPECT_EQ(shownRows(ui), expectedRows(Layout::FullList, {gears[1], gears[3], gears[2], gears[0]}));
        EXPECT_EQ(ui.status(), "Lista Completa ");
        EXPECT_EQ(editorOf(ui), Editor{});
        EXPECT_EQ(ui.text("Combo1"), "");
        EXPECT_EQ(options(ui), Options("Option1", "Option3"));
    }
    EXPECT_EQ(db.gears().at(2).QTY, num(3));
}

TEST(Esc, ClosesTheWindowWithoutSavingTheEditor) {
    DeleteStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    pick(ui, 1);
    ui.type("Text4", "99");
    const auto stored = stock.db.gears();
    ui.press("Command5");
    EXPECT_FALSE(ui.window().isVisible());
    EXPECT_EQ(stock.db.gears(), stored);
    EXPECT_TRUE(ui.failures().empty());
}

}  // namespace
}  // namespace zanfiro::testing
