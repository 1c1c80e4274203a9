#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "editing/id_text.h"
#include "editing/record_selection.h"
#include "window_test.h"

namespace zanfiro::testing {
namespace {

using Editing = WindowTest;
using Strings = std::vector<std::string>;
using Gear = std::tuple<int, const char*, const char*, int>;  // D, M, T, QTY

void seed(TempDatabase& db, const std::vector<Gear>& gears) {
    for (const auto& [D, M, T, QTY] : gears) db.insert(D, M, T, QTY);
}

const std::vector<Gear> kModule04{{30, "0.4", "C", 2}, {12, "0.4", "P", 1}, {10, "0.4", "C", 4}};
const Options kStartUp("Option1", "Option3");

TEST(IdText, ConvertsTheRowHeadTo16BitsInPlainDecimalOrFailsWithOverflowOrTypeMismatch) {
    const std::pair<const char*, const char*> cases[] = {{"007", "7"},
                                                         {"32767", "32767"},
                                                         {"-32768", "-32768"},
                                                         {"-0", "0"},
                                                         {" 12 ", "12"},
                                                         {"+5", "5"},
                                                         {"32768", "#6"},
                                                         {"-32769", "#6"},
                                                         {"", "#13"},
                                                         {"  ", "#13"},
                                                         {"1.5", "#13"},
                                                         {"12a", "#13"},
                                                         {"+", "#13"},
                                                         {"1 2", "#13"},
                                                         {"\t12", "#13"}};
    for (const auto& [head, expected] : cases) {
        std::string outcome;
        try {
            outcome = idText(head);
        } catch (const Failure& f) {
            outcome = "#" + std::to_string(f.number());
        }
        EXPECT_EQ(outcome, expected) << '"' << head << '"';
    }
}

TEST_F(Editing, PickingShowsTheGearAsStoredSelectsNoOptionIgnoresList1AndRefusesAnEmptyText) {
    seed(db, {{40, "0.4", "C", 12}, {18, "48", "P", 0}, {33, "0.5", "P", 2}});  // 0.5: no module Combo3 offers
    db.insert(txt("2x"), txt("64 "), txt("P"), txt("tre"));
    open();
    for (const auto& [id, editor] : {std::pair{2, Editor{"18", "48", "P", "0"}},
                                     {3, {"33", "0.5", "P", "2"}},
                                     {4, {"2x", "64 ", "P", "tre"}},
                                     {1, {"40", "0.4", "C", "12"}}}) {
        ui.press("Command4");  // its message and typed values give way to the record
        ui.type("Text4", "7");
        ui.pick(id);
        EXPECT_EQ(ui.shown(), Shown("", editor, kStartUp, {"1", "3", "2", "4"}));
    }
    ui.type("Text4", "7");
    for (int row : {1, 0}) ui.clickListRow(row);
    ui.form().Combo1.setText("");
    pickGear(ui.form());
    EXPECT_EQ(ui.shown(),
              Shown("Selezionare un Dato valido", {"40", "0.4", "C", "127"}, kStartUp, {"1", "3", "2", "4"}));
}

TEST_F(Editing, PickAndSaveFailuresReachTheGuardWithTheStatusEmptiedAndTheEditorAsFarAsItGot) {
    const std::tuple<std::int64_t, store::Value, store::Value, store::Value, int, Editor> cases[] = {
        {32768, num(40), txt("C"), num(3), 6, {"5", "", "P", "9"}},
        {1, num(40), txt("C"), num(3), 3021, {"5", "", "P", "9"}},
        {3, num(40), null(), num(3), 94, {"40", "0.6", "P", "9"}},
        {4, num(40), txt("C"), null(), 94, {"40", "0.6", "C", "9"}}};
    for (const auto& [id, D, T, QTY, failure, editor] : cases) db.insertWithId(id, D, txt("0.6"), T, QTY);
    open();
    db.execute("DELETE FROM Gears WHERE ID = 1");  // since the list was made
    for (const auto& [id, D, T, QTY, failure, editor] : cases) {
        ui.fillEditor({"5", "", "P", "9"});
        ui.form().Label1.setCaption("Lista Completa ");
        ui.pick(id);
        ASSERT_FALSE(ui.failures().empty());
        EXPECT_EQ(std::tuple(ui.failures().back().number(), ui.status(), ui.editor()), std::tuple(failure, "", editor));
    }
    const auto stored = db.gears();
    ui.pick(1);            // fails, leaving the row of the missing gear in Combo1 and the editor filled
    ui.press("Command2");  // an update that finds no gear is no error
    ui.press("Command1");
    ui.pick(32768);
    ui.fillEditor({"41", "0.6", "C", "4"});
    ui.press("Command2");  // no statement runs for an ID beyond 16 bits
    EXPECT_EQ(std::pair(ui.failures().size(), ui.failures().back().number()), std::pair(std::size_t{7}, 6));
    EXPECT_EQ(db.gears(), stored);
}

TEST_F(Editing, SaveNamesTheFirstMissingFieldAndFocusesItChangingNothingElse) {
    const std::tuple<Editor, const char*, const char*> cases[] = {
        {{"", "", "", ""}, "Denti", "Text1"},
        {{"40", "0.4", "C", "-5"}, "QTY", "Text4"},
        {{"\t", "", "C", "5"}, "Inserire Modulo", "Combo3"},
        {{"40", "    ", "C", "5"}, "Inserire Modulo", "Combo3"},
        {{"40", "0.4", " ", ""}, "Tipo", "Combo2"},
        {{"40", "0.4", "C", ""}, "QTY", "Text4"},
        {{"40", "0.4", "C", "cinque"}, "QTY", "Text4"},
        {{"40", "0.4", "C", " 5"}, "QTY", "Text4"}};
    seed(db, kModule04);
    open();
    for (const auto& [editor, message, focus] : cases) {
        ui.fillEditor(editor);
        ui.press("Command2");
        EXPECT_EQ(ui.shown(), Shown(message, editor, kStartUp, {"1", "2", "3"}));
        EXPECT_EQ(std::pair(ui.focusedControl(), db.count()), std::pair(std::string(focus), std::int64_t{3}));
    }
}

TEST_F(Editing, SaveInsertsOrUpdatesTheTextsUntrimmedWithTheirQuotesAndListsTheSavedTypeAndModule) {
    const std::string inserted = "Inserimento effettuato con successo";
    // The gear picked (0: none), whether Combo1 is then erased, the editor, the gear in the file, the window.
    const std::tuple<std::int64_t, bool, Editor, store::GearRecord, Shown> cases[] = {
        {0,
         false,
         {"20", "0.4", "C", "5"},
         {num(4), num(20), txt("0.4"), txt("C"), num(5)},
         {inserted, {}, kStartUp, {"3", "4", "1"}}},
        {0,
         false,
         {"2x", "0.4 ", "P", "007"},
         {num(5), txt("2x"), txt("0.4 "), txt("P"), num(7)},
         {inserted, {}, kStartUp, {"2"}}},
        {0,
         false,
         {"4'", "'", "C'", "0"},
         {num(6), txt("4'"), txt("'"), txt("C'"), num(0)},
         {inserted, {"4'", "'", "C'", "0"}, kStartUp, {}}},
        {1,
         false,
         {"3'0", "''0.6 ", "P", "8"},
         {num(1), txt("3'0"), txt("''0.6 "), txt("P"), num(8)},
         {"", {}, kStartUp, {"2"}}},
        {3,
         true,
         {"10", "0.4", "C", "4"},
         {num(7), num(10), txt("0.4"), txt("C"), num(4)},
         {inserted, {}, kStartUp, {"3", "7", "4"}}}};
    seed(db, kModule04);
    open();
    for (const auto& [picked, erased, editor, inFile, after] : cases) {
        ui.press("Command1");
        if (picked) ui.pick(picked);
        ui.fillEditor(editor);
        if (erased) {
            ui.combo("Combo1")->lineEdit()->selectAll();
            ui.key("Combo1", Qt::Key_Backspace);
        }
        ui.press("Command2");
        EXPECT_EQ(db.gears().at(inFile.ID.number() - 1), inFile);
        EXPECT_EQ(ui.shown(), after);
    }
    EXPECT_EQ(db.count(), 7);
}

TEST_F(Editing, TheTypicalRoadPickANewQuantitySaveSeeTheListAndLeaveWithEscSavingNothingMore) {
    seed(db, kModule04);
    open();
    ui.pick(3);
    ui.textBox("Text4")->selectAll();
    ui.type("Text4", "25");
    ui.press("Command2");
    EXPECT_EQ(ui.listRows(),
              (Strings{"3    -    Denti \t10\t Modulo 0.4\tTipo  C\t   QTY   25",
                       "1    -    Denti \t30\t Modulo 0.4\tTipo  C\t   QTY   2"}));
    EXPECT_EQ(ui.shown(), Shown("", {}, kStartUp, {"3", "1"}));
    EXPECT_EQ(db.gears().at(2), (store::GearRecord{num(3), num(10), txt("0.4"), txt("C"), num(25)}));
    ui.pick(1);
    ui.type("Text4", "9");
    ui.press("Command5");
    EXPECT_FALSE(ui.window().isVisible());
    EXPECT_EQ(db.gears().at(0).QTY, num(2));
}

TEST_F(Editing, DeleteTurnsOnTheOptionsTheGearsTextsMatchAsksWhenNothingIsPickedAndClearAndLoadAllKeepOrResetRows) {
    const std::tuple<const char*, const char*, Options, Shown> cases[] = {
        {"P", "48", kStartUp, {"Record Eliminato", {}, {"Option2", "Option5"}, {"2", "1", "4"}}},
        {"X", "48", {"Option1", "Option4"}, {"Record Eliminato", {"", "48", "X", ""}, {"Option1", "Option5"}, {}}},
        {"P", "0.40", {"Option1", "Option6"}, {"Record Eliminato", {}, {"Option2", "Option6"}, {"5"}}},
        {"p", "0.4 ", {"Option2", "Option5"}, {"Record Eliminato", {"", "0.4 ", "p", ""}, {"Option2", "Option5"}, {}}},
        {"C", "4 8", {"Option2", "Option5"}, {"Record Eliminato", {}, {"Option1", "Option5"}, {"3"}}}};
    seed(db, {{20, "48", "P", 1}, {15, "48", "P", 2}, {30, "48", "C", 3}, {40, "48", "P", 4}, {15, "64", "P", 5}});
    for (const auto& [T, M, before, after] : cases) db.insert(9, M, T, 1);
    open();
    std::int64_t id = 5;
    for (const auto& [T, M, before, after] : cases) {
        ui.press("Command1");
        ui.selectOptions(before);
        ui.pick(++id);
        ui.press("Command3");
        EXPECT_EQ(ui.shown(), after);
    }
    ui.type("Text1", "33");
    ui.press("Command3");
    EXPECT_EQ(ui.shown(), Shown("Selezionare Elemento", {"33", "", "", ""}, {"Option1", "Option5"}, {"3"}));
    ui.pick(3);
    ui.press("Command4");
    EXPECT_EQ(ui.shown(), Shown("Valori Annullati ", {}, {"Option1", "Option5"}, {"3"}));
    ui.press("Command3");
    EXPECT_EQ(std::pair(ui.status(), db.count()), std::pair(std::string("Selezionare Elemento"), std::int64_t{5}));
    for (int press = 1; press <= 2; ++press) {
        ui.type("Text4", "7");
        ui.press("Command1");
        EXPECT_EQ(ui.shown(), Shown("Lista Completa ", {}, kStartUp, {"2", "5", "1", "3", "4"}));
    }
}

TEST_F(Editing, KeysLetDigitsIntoTextFieldsOnlyCtrlXAndBackspaceEditAnywhereAndDropDownsChooseTheOptions) {
    // Typed over "48", all selected, with "99" on the clipboard: what Text1/Text4 and the combos then hold.
    std::vector<std::tuple<QString, int, int, const char*, const char*>> strokes{
        {"7", 0, 0, "7", "48"},
        {"0", 0, 0, "0", "48"},
        {"", Qt::Key_X, Qt::ControlModifier, "", ""},
        {"", Qt::Key_Backspace, 0, "", ""},
        {"", Qt::Key_C, Qt::ControlModifier, "48", "48"},
        {"", Qt::Key_V, Qt::ControlModifier, "48", "48"},
        {"\r", Qt::Key_Return, 0, "48", "48"},
        {"\r", Qt::Key_Enter, Qt::KeypadModifier, "48", "48"}};
    for (const char* typed : {"a", "C", "P", ".", "-", "+", " ", ",", "è", "À", "ñ", "€"})
        strokes.push_back({typed, 0, 0, "48", "48"});
    open();
    ui.selectOptions({"Option2", "Option6"});
    for (const std::string field : {"Text1", "Text4", "Combo1", "Combo2", "Combo3"}) {
        QWidget* control = ui.window().control(field);
        QLineEdit* edit = field.starts_with("Text") ? ui.textBox(field) : ui.combo(field)->lineEdit();
        for (const auto& [text, key, modifiers, inTextField, inCombo] : strokes) {
            edit->setText("48");
            edit->selectAll();
            QApplication::clipboard()->setText("99");
            const auto sent = Qt::Key(key ? key : text.at(0).toUpper().unicode());
            QTest::sendKeyEvent(QTest::Click, control, sent, text, Qt::KeyboardModifiers(modifiers));
            EXPECT_EQ(ui.text(field), field.starts_with("Text") ? inTextField : inCombo)
                << field << " " << text.toStdString() << key;
            EXPECT_EQ(QApplication::clipboard()->text().toStdString(), key == Qt::Key_X ? "48" : "99")
                << field << " " << key;
        }
    }
    EXPECT_EQ(std::pair(ui.options(), ui.status()),
              std::pair(Options("Option2", "Option6"), std::string("Lista Completa")));
    ui.form().Text1.setText("");
    ui.type("Text1", "12a5");
    EXPECT_EQ(ui.text("Text1"), "125");
    for (const auto& [combo, entry, after] : {std::tuple{"Combo2", 0, Options("Option1", "Option6")},
                                              {"Combo3", 0, {"Option1", "Option3"}},
                                              {"Combo2", 1, {"Option2", "Option3"}},
                                              {"Combo3", 2, {"Option2", "Option5"}}}) {
        ui.choose(combo, entry);
        EXPECT_EQ(ui.options(), after) << combo << " entry " << entry;
    }
}

}  // namespace
}  // namespace zanfiro::testing
