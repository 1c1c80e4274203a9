#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "shown_gears.h"

namespace zanfiro::testing {
namespace {

// Two crown gears and one pinion of module 0.4, IDs 1 to 3.
struct SaveStock {
    TempDatabase db;
    std::vector<ShownGear> gears{seedGear(db, 30, "0.4", "C", 2), seedGear(db, 12, "0.4", "P", 1),
                                 seedGear(db, 10, "0.4", "C", 4)};
};

TEST(Save, NamesTheFirstMissingFieldAndPutsTheCursorThereChangingNothingElse) {
    struct Case {
        Editor editor;
        const char *message, *focus;
    };
    const Case cases[] = {
        {{"", "", "", ""}, "Denti", "Text1"},
        {{"   ", "0.4", "C", "5"}, "Denti", "Text1"},
        {{"40", "", "C", "5"}, "Inserire Modulo", "Combo3"},
        {{"40", "    ", "C", "5"}, "Inserire Modulo", "Combo3"},
        {{"40", "0.4", "", "5"}, "Tipo", "Combo2"},
        {{"40", "0.4", " ", ""}, "Tipo", "Combo2"},
        {{"40", "0.4", "C", ""}, "QTY", "Text4"},
        {{"40", "0.4", "C", "  "}, "QTY", "Text4"},
        {{"40", "0.4", "C", "cinque"}, "QTY", "Text4"},  // pasted letters
        {{"40", "0.4", "C", " 5"}, "QTY", "Text4"},
        {{"40", "0.4", "C", "-5"}, "QTY", "Text4"},
    };
    SaveStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    pick(ui, 1);
    const auto rows = shownRows(ui);
    const auto stored = stock.db.gears();
    const auto splitRow = ui.form().splitRow;
    const std::string selected = ui.text("Combo1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + std::string(" for ") + ::testing::PrintToString(c.editor));
        fillEditor(ui, c.editor);
        ui.press("Command2");
        EXPECT_EQ(ui.status(), c.message);
        EXPECT_EQ(ui.focusedControl(), c.focus);
        EXPECT_EQ(editorOf(ui), c.editor);
        EXPECT_EQ(shownRows(ui), rows);
        EXPECT_EQ(ui.text("Combo1"), selected);
        EXPECT_EQ(ui.form().splitRow, splitRow);
        EXPECT_EQ(stock.db.gears(), stored);
    }
}

TEST(Save, InsertsOrUpdatesTheFieldsUntrimmedAsTextAndShowsTheRefreshedList) {
    struct Case {
        std::int64_t picked;  // 0: nothing picked, so the save inserts
        Editor editor;
        StoredGear inFile;  // as the database file holds it afterwards
        std::vector<std::string> listedIds;
        bool editorEmptied;
    };
    const Case cases[] = {
        {0, {"20", "0.4", "C", "5"}, {4, num(20), txt("0.4"), txt("C"), num(5)}, {"3", "4", "1"}, true},
        {0, {"2x", "0.4 ", "P", "007"}, {4, txt("2x"), txt("0.4 "), txt("P"), num(7)}, {"2"}, true},
        {0, {"4'0", "0'4", "C'", "0"}, {4, txt("4'0"), txt("0'4"), txt("C'"), num(0)}, {}, false},
        {1, {"25", "0.4", "C", "9"}, {1, num(25), txt("0.4"), txt("C"), num(9)}, {"3", "1"}, true},
        {1, {"3'0", "''0.6 ", "P", "8"}, {1, txt("3'0"), txt("''0.6 "), txt("P"), num(8)}, {"2"}, true},
        {2, {"12", "0.4", "C", "1"}, {2, num(12), txt("0.4"), txt("C"), num(1)}, {"3", "2", "1"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.inFile));
        SaveStock stock;
        WindowHarness ui(stock.db);
        ASSERT_TRUE(ui.start());
        if (c.picked) pick(ui, c.picked);
        fillEditor(ui, c.editor);
        ui.press("Command2");
        ASSERT_TRUE(ui.failures().empty());
        const auto stored = stock.db.gears();
        EXPECT_EQ(stored.size(), c.picked ? 3u : 4u);
        EXPECT_EQ(stored.at(c.inFile.id - 1), c.inFile);
        EXPECT_EQ(ui.status(), c.picked ? "" : "Inserimento effettuato con successo");
        EXPECT_EQ(rowHeads(ui), c.listedIds);
        EXPECT_EQ(ui.listRows().size(), c.listedIds.size());
        for (const std::string& row : ui.listRows()) EXPECT_NE(row.find("    -    Denti \t"), std::string::npos) << row;
        EXPECT_EQ(ui.text("Combo1"), "");
        EXPECT_EQ(editorOf(ui), c.editorEmptied ? Editor{} : c.editor);
        EXPECT_EQ(options(ui), Options("Option1", "Option3"));
    }
}

TEST(Save, UpdatesWhileCombo1HoldsAnyTextAndStoresASecondCopyOnceItIsErased) {
    SaveStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    pick(ui, 1);
    QLineEdit* combo1 = ui.combo("Combo1")->lineEdit();
    combo1->setSelection(1, static_cast<int>(combo1->text().size()));
    ui.key("Combo1", Qt::Key_Backspace);
    ASSERT_EQ(ui.text("Combo1"), "1");  // the row cut down to its head
    ui.type("Text4", "0");
    ui.press("Command2");
    EXPECT_EQ(ui.status(), "");
    EXPECT_EQ(stock.db.gears().at(0), (StoredGear{1, num(30), txt("0.4"), txt("C"), num(20)}));

    pick(ui, 1);
    combo1->selectAll();
    ui.key("Combo1", Qt::Key_Backspace);
    ASSERT_EQ(ui.text("Combo1"), "");
    ui.press("Command2");
    const auto stored = stock.db.gears();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[3], (StoredGear{4, num(30), txt("0.4"), txt("C"), num(20)}));
    EXPECT_EQ(stored[0], (StoredGear{1, num(30), txt("0.4"), txt("C"), num(20)}));
    EXPECT_EQ(ui.status(), "Inserimento effettuato con successo");
}

TEST(Save, AnIdBeyond16BitsEndsTheProgramBeforeAnyStatement) {
    SaveStock stock;
    stock.db.insertWithId(32768, num(40), txt("0.4"), txt("C"), num(3));
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    pick(ui, 32768);  // fails already, and leaves the row in Combo1
    ASSERT_EQ(ui.failures().size(), 1u);
    fillEditor(ui, {"41", "0.4", "C", "4"});
    ui.form().Label1.setCaption("Valori Annullati ");
    const auto stored = stock.db.gears();
    const auto rows = shownRows(ui);
    ui.press("Command2");
    ASSERT_EQ(ui.failures().size(), 2u);
    EXPECT_EQ(ui.failures()[1].number(), 6);
    EXPECT_EQ(stock.db.gears(), stored);
    EXPECT_EQ(ui.status(), "Valori Annullati ");
    EXPECT_EQ(shownRows(ui), rows);
    EXPECT_EQ(editorOf(ui), (Editor{"41", "0.4", "C", "4"}));
}

TEST(Save, AnUpdateOfAGearDeletedMeanwhileIsNoError) {
    SaveStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    pick(ui, 1);
    stock.db.execute("DELETE FROM Gears WHERE ID = 1");
    const auto stored = stock.db.gears();
    ui.type("Text4", "0");
    ui.press("Command2");
    EXPECT_TRUE(ui.failures().empty());
    EXPECT_EQ(stock.db.gears(), stored);
    EXPECT_EQ(ui.status(), "");
    EXPECT_EQ(shownRows(ui), expectedRows(Layout::Filtered, {stock.gears[2]}));
    EXPECT_EQ(editorOf(ui), Editor{});
}

TEST(TypicalRoad, PickANewQuantitySaveAndTheFileAndTheListHoldIt) {
    SaveStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    EXPECT_EQ(shownRows(ui), expectedRows(Layout::FullList, stock.gears));
    pick(ui, 3);
    EXPECT_EQ(editorOf(ui), (Editor{"10", "0.4", "C", "4"}));
    ui.textBox("Text4")->selectAll();
    ui.type("Text4", "25");
    ui.press("Command2");
    EXPECT_EQ(ui.status(), "");
    ShownGear saved = stock.gears[2];
    saved.QTY = "25";
    EXPECT_EQ(shownRows(ui), expectedRows(Layout::Filtered, {saved, stock.gears[0]}));
    EXPECT_EQ(editorOf(ui), Editor{});
    EXPECT_EQ(stock.db.gears().at(2), (StoredGear{3, num(10), txt("0.4"), txt("C"), num(25)}));
    EXPECT_TRUE(ui.failures().empty());
}

}  // namespace
}  // namespace zanfiro::testing
