#include <gtest/gtest.h>

#include <QListWidget>
#include <functional>

#include "editing/record_selection.h"
#include "shown_gears.h"

namespace zanfiro::testing {
namespace {

TEST(RecordSelection, ShowsThePickedGearAsTheTableHoldsItAndEmptiesTheStatus) {
    TempDatabase db;
    std::vector<ShownGear> gears{seedGear(db, 40, "0.4", "C", 12), seedGear(db, 18, "48", "P", 0),
                                 seedGear(db, 33, "0.5", "C", 2)};  // a module Combo3 does not offer
    db.insert(txt("2x"), txt("64 "), txt("P"), txt("tre"));
    gears.push_back({4, "2x", "64 ", "P", "tre"});
    db.insertWithId(32767, num(7), txt("0.6"), txt("C"), num(1));
    gears.push_back({32767, "7", "0.6", "C", "1"});
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    for (const ShownGear& gear : gears) {
        SCOPED_TRACE("ID " + std::to_string(gear.id));
        ui.press("Command4");  // CLEAR leaves a message the selection must remove
        pick(ui, gear.id);
        EXPECT_EQ(editorOf(ui), (Editor{gear.D, gear.M, gear.T, gear.QTY}));
        EXPECT_EQ(ui.status(), "");
        EXPECT_EQ(ui.text("Combo1"), ui.comboRows().at(rowOf(ui, gear.id)));
        // Writing Combo2 and Combo3 chose nothing: the start-up options stay.
        EXPECT_EQ(options(ui), Options("Option1", "Option3"));
    }
    EXPECT_TRUE(ui.failures().empty());
}

TEST(RecordSelection, IgnoresList1ClicksAndReadsTheRecordAfreshOverTypedValues) {
    TempDatabase db;
    const ShownGear gear = seedGear(db, 40, "0.4", "C", 12);
    seedGear(db, 50, "0.6", "P", 3);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    pick(ui, gear.id);
    ui.type("Text1", "9");
    ui.type("Text4", "77");
    ui.form().Label1.setCaption("Valori Annullati ");
    const auto splitRow = ui.form().splitRow;
    for (int row : {1, 0}) ui.clickListRow(row);
    EXPECT_EQ(ui.list()->currentRow(), 0);  // the clicks did land
    EXPECT_EQ(editorOf(ui), (Editor{"409", "0.4", "C", "1277"}));
    EXPECT_EQ(ui.status(), "Valori Annullati ");
    EXPECT_EQ(ui.form().splitRow, splitRow);

    db.execute("UPDATE Gears SET QTY = 13 WHERE ID = 1");  // changed outside the window meanwhile
    pick(ui, gear.id);
    EXPECT_EQ(editorOf(ui), (Editor{"40", "0.4", "C", "13"}));
}

TEST(RecordSelection, AnEmptyTextIsReportedAndNothingElseChanges) {
    TempDatabase db;
    const ShownGear gear = seedGear(db, 40, "0.4", "C", 12);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    pick(ui, gear.id);
    ui.type("Text4", "5");
    const auto splitRow = ui.form().splitRow;
    ui.form().Combo1.setText("");
    pickGear(ui.form());
    EXPECT_EQ(ui.status(), "Selezionare un Dato valido");
    EXPECT_EQ(editorOf(ui), (Editor{"40", "0.4", "C", "125"}));
    EXPECT_EQ(ui.form().splitRow, splitRow);
    EXPECT_EQ(shownRows(ui), expectedRows(Layout::FullList, {gear}));
}

TEST(RecordSelection, FailuresEndTheProgramWithTheEditorAsFarAsItGot) {
    struct Case {
        const char* name;
        std::function<std::int64_t(TempDatabase&)> seed;
        bool goneBeforePick;  // deleted behind the window after the list was made
        int failure;
        Editor editor;  // before the pick: {"5", "", "P", "9"}
    };
    const Case cases[] = {
        {"ID beyond 16 bits",
         [](TempDatabase& db) {
             db.insertWithId(32768, num(40), txt("0.6"), txt("C"), num(3));
             return 32768;
         },
         false, 6, {"5", "", "P", "9"}},
        {"record deleted since the list", [](TempDatabase& db) { return db.insert(40, "0.6", "C", 3); }, true, 3021,
         {"5", "", "P", "9"}},
        {"Null teeth", [](TempDatabase& db) { return db.insert(null(), txt("0.6"), txt("C"), num(3)); }, false, 94,
         {"5", "", "P", "9"}},
        {"Null type", [](TempDatabase& db) { return db.insert(num(40), txt("0.6"), null(), num(3)); }, false, 94,
         {"40", "0.6", "P", "9"}},
        {"Null quantity", [](TempDatabase& db) { return db.insert(num(40), txt("0.6"), txt("C"), null()); }, false,
         94, {"40", "0.6", "C", "9"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDatabase db;
        const std::int64_t id = c.seed(db);
        WindowHarness ui(db);
        ASSERT_TRUE(ui.start());
        ui.type("Text1", "5");
        ui.choose("Combo2", 1);
        ui.type("Text4", "9");
        if (c.goneBeforePick) db.execute("DELETE FROM Gears");
        ASSERT_EQ(ui.status(), "Lista Completa");
        pick(ui, id);
        ASSERT_EQ(ui.failures().size(), 1u);
        EXPECT_EQ(ui.failures()[0].number(), c.failure);
        EXPECT_EQ(ui.status(), "");
        EXPECT_EQ(editorOf(ui), c.editor);
    }
}

}  // namespace
}  // namespace zanfiro::testing
