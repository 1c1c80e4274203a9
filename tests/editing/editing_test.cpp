// Picking a gear, SAVE, DELETE, CLEAR, LOAD ALL, ESC, and the keys the fields take.
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "editing/id_text.h"
#include "editing/record_selection.h"
#include "window_test.h"

namespace zanfiro::testing {
namespace {

using zanfiro::testing::PrintTo;
using Gears = std::vector<store::GearRecord>;

TEST(IdText, RowHeadIsWrittenBackInPlainDecimal) {
    const struct {
        const char *head, *id;
    } cases[] = {
        {.head = "007", .id = "7"},
        {.head = "32767", .id = "32767"},
        {.head = "-32768", .id = "-32768"},
        {.head = "-0", .id = "0"},
        {.head = " 12 ", .id = "12"},
        {.head = "+5", .id = "5"},
    };
    for (const auto& c : cases) EXPECT_EQ(idText(c.head), c.id) << '"' << c.head << '"';
}

TEST(IdText, RowHeadAbove32767OrBelowMinus32768Overflows) {
    for (const char* head : {"32768", "-32769"})
        EXPECT_EQ(failureOf([&] { idText(head); }).number(), failure::kOverflow) << head;
}

TEST(IdText, RowHeadThatIsNoWholeNumberIsATypeMismatch) {
    for (const char* head : {"", "  ", "1.5", "12a", "+", "1 2", "\t12"})
        EXPECT_EQ(failureOf([&] { idText(head); }).number(), failure::kTypeMismatch) << '"' << head << '"';
}

// Gears as stored: one with texts where numbers belong, one with a module Combo3 does not offer.
class Pick : public WindowTest {
protected:
    void SetUp() override {
        if (numbersOnlyInNumberColumns()) GTEST_SKIP() << kServerKeepsNumbers;
        open({
            {.ID = num(1), .D = num(40), .M = txt("0.4"), .T = txt("C"), .QTY = num(12)},
            {.ID = num(2), .D = num(18), .M = txt("48"), .T = txt("P"), .QTY = num(0)},
            {.ID = num(3), .D = num(33), .M = txt("0.5"), .T = txt("P"), .QTY = num(2)},
            {.ID = num(4), .D = txt("2x"), .M = txt("64 "), .T = txt("P"), .QTY = txt("tre")},
        });
    }
    const std::vector<std::string> byModule{"1", "3", "2", "4"};
};

TEST_F(Pick, ShowsTheGearAsStoredInPlaceOfTheEditorAndStatus) {
    const struct {
        std::int64_t id;
        Editor editor;
    } cases[] = {
        {.id = 2, .editor = {.D = "18", .M = "48", .T = "P", .QTY = "0"}},
        {.id = 3, .editor = {.D = "33", .M = "0.5", .T = "P", .QTY = "2"}},
        {.id = 4, .editor = {.D = "2x", .M = "64 ", .T = "P", .QTY = "tre"}},
        {.id = 1, .editor = {.D = "40", .M = "0.4", .T = "C", .QTY = "12"}},
    };
    for (const auto& c : cases) {
        ui.press("Command4");  // its message and typed values give way to the gear
        ui.type("Text4", "7");
        ui.pick(c.id);
        EXPECT_EQ(ui.shown(), (Shown{.editor = c.editor, .ids = byModule})) << "ID " << c.id;
    }
}

TEST_F(Pick, ClickingARowOfList1ChangesNothing) {
    ui.pick(1);
    ui.type("Text4", "7");
    const Shown before = ui.shown();
    for (int row : {1, 0}) ui.clickListRow(row);
    EXPECT_EQ(ui.shown(), before);
}

// The pick's own guard: an empty Combo1 reads nothing and says so.
TEST_F(Pick, WithCombo1EmptyAsksForAValidRow) {
    ui.pick(1);
    ui.type("Text4", "7");
    ui.form().Combo1.setText("");
    pickGear(ui.form());
    const Editor picked{.D = "40", .M = "0.4", .T = "C", .QTY = "127"};
    EXPECT_EQ(ui.shown(), (Shown{.status = "Selezionare un Dato valido", .editor = picked, .ids = byModule}));
}

// A gear in the file, then the editor typed under a message, then the gear picked: the pick empties the message.
class FailingPick : public WindowTest {
protected:
    void pick(bool deletedSinceListed = false) {
        open({gear});
        if (deletedSinceListed) db.execute("DELETE FROM Gears");
        ui.fillEditor(typed);
        ui.form().Label1.setCaption("Lista Completa ");
        ui.pick(gear.ID.number());
        EXPECT_EQ(ui.status(), "");
    }
    store::GearRecord gear{.ID = num(1), .D = num(40), .M = txt("0.6"), .T = txt("C"), .QTY = num(3)};
    const Editor typed{.D = "5", .T = "P", .QTY = "9"};
};

TEST_F(FailingPick, IdBeyond16BitsOverflowsLeavingTheEditorAlone) {
    gear.ID = num(32768);
    pick();
    EXPECT_EQ(ui.failureNumbers(), std::vector{failure::kOverflow});
    EXPECT_EQ(ui.editor(), typed);
}

TEST_F(FailingPick, GearDeletedSinceListedHasNoCurrentRecord) {
    pick(true);
    EXPECT_EQ(ui.failureNumbers(), std::vector{failure::kNoCurrentRecord});
    EXPECT_EQ(ui.editor(), typed);
}

TEST_F(FailingPick, NullTypeFailsWithTeethAndModuleShown) {
    gear.T = null();
    pick();
    EXPECT_EQ(ui.failureNumbers(), std::vector{failure::kInvalidUseOfNull});
    EXPECT_EQ(ui.editor(), (Editor{.D = "40", .M = "0.6", .T = "P", .QTY = "9"}));
}

TEST_F(FailingPick, NullQuantityFailsWithTeethModuleAndTypeShown) {
    gear.QTY = null();
    pick();
    EXPECT_EQ(ui.failureNumbers(), std::vector{failure::kInvalidUseOfNull});
    EXPECT_EQ(ui.editor(), (Editor{.D = "40", .M = "0.6", .T = "C", .QTY = "9"}));
}

TEST_F(FailingPick, ThenSaveOfTheGearDeletedMeanwhileFailsNoMore) {
    pick(true);
    ui.fillEditor({.D = "41", .M = "0.6", .T = "C", .QTY = "4"});
    ui.press("Command2");  // an update that finds no gear
    EXPECT_EQ(ui.failureNumbers(), std::vector{failure::kNoCurrentRecord});
    EXPECT_EQ(db.count(), 0);
}

TEST_F(FailingPick, ThenSaveOfAnIdBeyond16BitsOverflowsWritingNothing) {
    gear.ID = num(32768);
    pick();
    ui.fillEditor({.D = "41", .M = "0.6", .T = "C", .QTY = "4"});
    ui.press("Command2");
    EXPECT_EQ(ui.failureNumbers(), (std::vector{failure::kOverflow, failure::kOverflow}));
    EXPECT_EQ(db.gears(), Gears{gear});
}

// Two crown gears and a pinion of module 0.4, listed by module: 1, 2, 3.
const Gears kModule04{
    {.ID = num(1), .D = num(30), .M = txt("0.4"), .T = txt("C"), .QTY = num(2)},
    {.ID = num(2), .D = num(12), .M = txt("0.4"), .T = txt("P"), .QTY = num(1)},
    {.ID = num(3), .D = num(10), .M = txt("0.4"), .T = txt("C"), .QTY = num(4)},
};

// SAVE with a field missing: the message naming the first, in the order Denti, Modulo, Tipo, QTY, and the field
// that gets the cursor.
struct Missing {
    std::string message, field;
};
const Missing kTeeth{"Denti", "Text1"}, kModule{"Inserire Modulo", "Combo3"}, kType{"Tipo", "Combo2"},
    kQuantity{"QTY", "Text4"};

struct Check {
    const char* name;
    Editor editor;
    Missing missing;
};
const Check kChecks[] = {
    {.name = "EmptyEditor", .editor = {}, .missing = kTeeth},
    {.name = "TabAsTeeth", .editor = {.D = "\t", .T = "C", .QTY = "5"}, .missing = kModule},
    {.name = "SpacesAsModule", .editor = {.D = "40", .M = "    ", .T = "C", .QTY = "5"}, .missing = kModule},
    {.name = "NoModuleNorType", .editor = {.D = "40", .QTY = "5"}, .missing = kModule},
    {.name = "SpaceAsType", .editor = {.D = "40", .M = "0.4", .T = " "}, .missing = kType},
    {.name = "NoQuantity", .editor = {.D = "40", .M = "0.4", .T = "C"}, .missing = kQuantity},
    {.name = "NegativeQuantity", .editor = {.D = "40", .M = "0.4", .T = "C", .QTY = "-5"}, .missing = kQuantity},
    {.name = "WordAsQuantity", .editor = {.D = "40", .M = "0.4", .T = "C", .QTY = "cinque"}, .missing = kQuantity},
    {.name = "SpaceBeforeQuantity", .editor = {.D = "40", .M = "0.4", .T = "C", .QTY = " 5"}, .missing = kQuantity},
};

using SaveCheck = WindowCaseTest<Check>;
INSTANTIATE_TEST_SUITE_P(, SaveCheck, ::testing::ValuesIn(kChecks), CaseName());

TEST_P(SaveCheck, NamesTheFirstMissingFieldAndPutsTheCursorThereOnly) {
    open(kModule04);
    ui.fillEditor(GetParam().editor);
    ui.press("Command2");
    EXPECT_EQ(ui.shown(),
              (Shown{.status = GetParam().missing.message, .editor = GetParam().editor, .ids = {"1", "2", "3"}}));
    EXPECT_EQ(ui.focusedControl(), GetParam().missing.field);
    EXPECT_EQ(db.gears(), kModule04);
}

// SAVE of a filled editor: the gear it leaves in the file and the window after it.
struct Saving {
    const char* name;
    std::int64_t picked = 0;    // the gear picked first; 0: none
    bool combo1Erased = false;  // its row then erased from Combo1
    Editor editor;
    store::GearRecord stored;
    Shown shown;
};
const std::string kInserted = "Inserimento effettuato con successo";
const Saving kSavings[] = {
    {.name = "Insert",
     .editor = {.D = "20", .M = "0.4", .T = "C", .QTY = "5"},
     .stored = {.ID = num(4), .D = num(20), .M = txt("0.4"), .T = txt("C"), .QTY = num(5)},
     .shown = {.status = kInserted, .ids = {"3", "4", "1"}}},
    {.name = "InsertUntrimmed",
     .editor = {.D = "2x", .M = " 0.4 ", .T = "P", .QTY = "007"},
     .stored = {.ID = num(4), .D = txt("2x"), .M = txt(" 0.4 "), .T = txt("P"), .QTY = num(7)},
     .shown = {.status = kInserted, .ids = {"2"}}},
    {.name = "InsertQuotesOfNoType",
     .editor = {.D = "4'", .M = "'", .T = "C'", .QTY = "0"},
     .stored = {.ID = num(4), .D = txt("4'"), .M = txt("'"), .T = txt("C'"), .QTY = num(0)},
     .shown = {.status = kInserted, .editor = {.D = "4'", .M = "'", .T = "C'", .QTY = "0"}}},
    {.name = "UpdateWithQuotes",
     .picked = 1,
     .editor = {.D = "30", .M = "''0.6 ", .T = "P", .QTY = "8"},
     .stored = {.ID = num(1), .D = num(30), .M = txt("''0.6 "), .T = txt("P"), .QTY = num(8)},
     .shown = {.ids = {"2"}}},
    {.name = "InsertAfterCombo1Erased",
     .picked = 3,
     .combo1Erased = true,
     .editor = {.D = "10", .M = "0.4", .T = "C", .QTY = "4"},
     .stored = {.ID = num(4), .D = num(10), .M = txt("0.4"), .T = txt("C"), .QTY = num(4)},
     .shown = {.status = kInserted, .ids = {"3", "4", "1"}}},
};

class Save : public WindowCaseTest<Saving> {
protected:
    void SetUp() override {
        if (numbersOnlyInNumberColumns() && !GetParam().stored.D.isNumber()) GTEST_SKIP() << kServerKeepsNumbers;
        open(kModule04);
        if (GetParam().picked) ui.pick(GetParam().picked);
        ui.fillEditor(GetParam().editor);
        if (GetParam().combo1Erased) {
            ui.combo("Combo1")->lineEdit()->selectAll();
            ui.key("Combo1", Qt::Key_Backspace);
        }
        ui.press("Command2");
    }
};
INSTANTIATE_TEST_SUITE_P(, Save, ::testing::ValuesIn(kSavings), CaseName());

TEST_P(Save, StoresTheEditorsTextsAsTypedOverThePickedGearOrAsANewOne) {
    Gears expected = kModule04;
    const bool update = GetParam().picked && !GetParam().combo1Erased;
    (update ? expected.at(GetParam().picked - 1) : expected.emplace_back()) = GetParam().stored;
    EXPECT_EQ(db.gears(), expected);
}

TEST_P(Save, ReportsItAndListsTheSavedTypeAndModule) { EXPECT_EQ(ui.shown(), GetParam().shown); }

// Pinions and a crown gear of module 48, a pinion of 64; listed by module: 1 to 5. Gear 4's 100 teeth come last
// as a number, first as a text.
const Gears kModule48{
    {.ID = num(1), .D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(1)},
    {.ID = num(2), .D = num(15), .M = txt("48"), .T = txt("P"), .QTY = num(2)},
    {.ID = num(3), .D = num(30), .M = txt("48"), .T = txt("C"), .QTY = num(3)},
    {.ID = num(4), .D = num(100), .M = txt("48"), .T = txt("P"), .QTY = num(4)},
    {.ID = num(5), .D = num(15), .M = txt("64"), .T = txt("P"), .QTY = num(5)},
};

// DELETE of a sixth gear with the options chosen before: the options after, and the IDs the refresh then lists;
// with a type other than C or P no refresh runs and the editor keeps the gear's module and type.
struct Deletion {
    const char* name;
    std::string T, M;
    Options before, after;
    std::vector<std::string> ids;
};
const Deletion kDeletions[] = {
    {.name = "PinionOf48", .T = "P", .M = "48", .before = kCorona04, .after = kPignone48, .ids = {"2", "1", "4"}},
    {.name = "TypeX", .T = "X", .M = "48", .before = kCorona06, .after = kCorona48},
    {.name = "Module040", .T = "P", .M = "0.40", .before = kCorona64, .after = kPignone64, .ids = {"5"}},
    {.name = "LowerCaseType", .T = "p", .M = "0.4 ", .before = kPignone48, .after = kPignone48},
    {.name = "Module4Space8", .T = "C", .M = "4 8", .before = kPignone48, .after = kCorona48, .ids = {"3"}},
};

class Delete : public WindowCaseTest<Deletion> {
protected:
    void SetUp() override {
        db.insert({.ID = num(6), .D = num(9), .M = txt(GetParam().M), .T = txt(GetParam().T), .QTY = num(1)});
        open(kModule48);
        ui.selectOptions(GetParam().before);
        ui.pick(6);
        ui.press("Command3");
    }
};
INSTANTIATE_TEST_SUITE_P(, Delete, ::testing::ValuesIn(kDeletions), CaseName());

TEST_P(Delete, RemovesThePickedGearAtOnce) { EXPECT_EQ(db.gears(), kModule48); }

TEST_P(Delete, SelectsTheOptionsItsTextsMatchAndListsTheirRest) {
    const Deletion& d = GetParam();
    const Editor kept = d.T == "C" || d.T == "P" ? Editor{} : Editor{.M = d.M, .T = d.T};
    EXPECT_EQ(ui.shown(), (Shown{.status = "Record Eliminato", .editor = kept, .options = d.after, .ids = d.ids}));
}

class Stock48 : public WindowTest {
protected:
    void SetUp() override { open(kModule48); }
};

TEST_F(Stock48, DeleteWithNothingPickedAsksForAGear) {
    ui.type("Text1", "33");
    ui.press("Command3");
    EXPECT_EQ(ui.shown(),
              (Shown{.status = "Selezionare Elemento", .editor = {.D = "33"}, .ids = {"1", "2", "3", "4", "5"}}));
}

TEST_F(Stock48, ClearEmptiesTheEditorAndCombo1KeepingTheLists) {
    ui.pick(3);
    ui.press("Command4");
    EXPECT_EQ(ui.shown(), (Shown{.status = "Valori Annullati ", .ids = {"1", "2", "3", "4", "5"}}));
    EXPECT_EQ(ui.text("Combo1"), "");
}

TEST_F(Stock48, EscClosesTheWindowSavingNothing) {
    ui.pick(1);
    ui.type("Text4", "9");
    ui.press("Command5");
    EXPECT_FALSE(ui.window().isVisible());
    EXPECT_EQ(db.gears(), kModule48);
}

TEST_F(Stock48, LoadAllResetsEditorAndOptionsAndListsEveryGearByTeeth) {
    ui.selectOptions(kPignone64);
    for (int press = 1; press <= 2; ++press) {
        ui.type("Text4", "7");
        ui.press("Command1");
        EXPECT_EQ(ui.shown(), (Shown{.status = "Lista Completa ", .ids = {"2", "5", "1", "3", "4"}})) << press;
    }
}

// A key typed over "48", all selected, with "99" on the clipboard: what a text field and a combo then hold.
struct Stroke {
    QString text;
    int key = 0, modifiers = 0;
    std::string inTextField = "48", inCombo = "48";
};
std::vector<Stroke> strokes() {
    std::vector<Stroke> strokes{
        {.text = "7", .inTextField = "7"},
        {.text = "0", .inTextField = "0"},
        {.key = Qt::Key_X, .modifiers = Qt::ControlModifier, .inTextField = "", .inCombo = ""},
        {.key = Qt::Key_Backspace, .inTextField = "", .inCombo = ""},
        {.key = Qt::Key_C, .modifiers = Qt::ControlModifier},
        {.key = Qt::Key_V, .modifiers = Qt::ControlModifier},
        {.text = "\r", .key = Qt::Key_Return},
        {.text = "\r", .key = Qt::Key_Enter, .modifiers = Qt::KeypadModifier},
    };
    for (const char* typed : {"a", "C", "P", ".", "-", "+", " ", ",", "è", "À", "ñ", "€"})
        strokes.push_back({.text = typed});
    return strokes;
}

// Started with Pignone and Modulo 64 chosen.
class Keys : public WindowTest {
protected:
    void SetUp() override {
        open();
        ui.selectOptions(kPignone64);
    }
    // Each stroke sent to each field; only Ctrl+X takes the text to the clipboard.
    void expectStrokes(std::initializer_list<std::string> fields, std::string Stroke::*after) {
        for (const std::string& field : fields) {
            for (const Stroke& s : strokes()) {
                QLineEdit* edit = field.starts_with("Text") ? ui.textBox(field) : ui.combo(field)->lineEdit();
                edit->setText("48");
                edit->selectAll();
                QApplication::clipboard()->setText("99");
                const auto key = Qt::Key(s.key ? s.key : s.text.at(0).toUpper().unicode());
                QTest::sendKeyEvent(
                    QTest::Click, ui.window().control(field), key, s.text, Qt::KeyboardModifiers(s.modifiers));
                EXPECT_EQ(ui.text(field), s.*after) << field << " " << s.text.toStdString() << key;
                EXPECT_EQ(QApplication::clipboard()->text(), s.key == Qt::Key_X ? "48" : "99") << field << " " << key;
            }
        }
    }
};

TEST_F(Keys, TextFieldsTakeDigitsBackspaceAndCtrlXOnly) { expectStrokes({"Text1", "Text4"}, &Stroke::inTextField); }

TEST_F(Keys, CombosTakeBackspaceAndCtrlXOnlyAndRaiseNoClick) {
    expectStrokes({"Combo1", "Combo2", "Combo3"}, &Stroke::inCombo);
    EXPECT_EQ(ui.options(), kPignone64);
    EXPECT_EQ(ui.status(), "Lista Completa");
}

TEST_F(Keys, ChoosingATypeFromCombo2SelectsItsOptionOnly) {
    for (const auto& [entry, options] : {std::pair{0, kCorona64}, {1, kPignone64}}) {
        ui.choose("Combo2", entry);
        EXPECT_EQ(ui.options(), options) << "entry " << entry;
    }
}

TEST_F(Keys, ChoosingAModuleFromCombo3SelectsItsOptionOnly) {
    for (const auto& [entry, options] : {std::pair{0, kPignone04}, {2, kPignone48}}) {
        ui.choose("Combo3", entry);
        EXPECT_EQ(ui.options(), options) << "entry " << entry;
    }
}

}  // namespace
}  // namespace zanfiro::testing
