// The window as built and started, Tab order, option groups, combos, typed keys, failures, the close box.
#include "window_test.h"

#include <QTest>
#include <gmock/gmock.h>

#include <set>

#include "app/character_code.h"
#include "app/event_table.h"
#include "form/control_table.h"

namespace zanfiro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A control as the new window shows it: its Qt class, container, text and place (15 twips to a pixel).
struct Control {
    const char *name, *kind, *in, *text;
    QRect at;  // in twips
};
const Control kControls[] = {
    {.name = "Combo1", .kind = "QComboBox", .in = "Form1", .text = "", .at = {7800, 3840, 5055, 315}},
    {.name = "List1", .kind = "QListView", .in = "Form1", .text = "", .at = {240, 240, 7215, 6885}},
    {.name = "Text1", .kind = "QLineEdit", .in = "Form1", .text = "", .at = {7800, 1320, 2175, 375}},
    {.name = "Text4", .kind = "QLineEdit", .in = "Form1", .text = "", .at = {7800, 2760, 2175, 375}},
    {.name = "Command1", .kind = "QPushButton", .in = "Form1", .text = "LOAD ALL", .at = {11640, 3000, 1095, 375}},
    {.name = "Command2", .kind = "QPushButton", .in = "Form1", .text = "SAVE", .at = {11640, 1200, 1095, 375}},
    {.name = "Command3", .kind = "QPushButton", .in = "Form1", .text = "DELETE", .at = {11640, 1800, 1095, 375}},
    {.name = "Command4", .kind = "QPushButton", .in = "Form1", .text = "CLEAR", .at = {11640, 2400, 1095, 375}},
    {.name = "Command5", .kind = "QPushButton", .in = "Form1", .text = "ESC", .at = {12120, 7320, 975, 375}},
    {.name = "Command6", .kind = "QPushButton", .in = "Form1", .text = "FIND", .at = {7800, 6600, 1215, 375}},
    {.name = "Option3", .kind = "QRadioButton", .in = "Form1", .text = "Modulo 0.4", .at = {11280, 4920, 1575, 255}},
    {.name = "Option4", .kind = "QRadioButton", .in = "Form1", .text = "Modulo 0.6", .at = {11280, 5400, 1695, 375}},
    {.name = "Option5", .kind = "QRadioButton", .in = "Form1", .text = "Modulo 48", .at = {11280, 6000, 1695, 375}},
    {.name = "Option6", .kind = "QRadioButton", .in = "Form1", .text = "Modulo 64", .at = {11280, 6600, 1575, 375}},
    {.name = "Label2", .kind = "QLabel", .in = "Form1", .text = "Denti", .at = {10200, 1440, 975, 255}},
    {.name = "Label3", .kind = "QLabel", .in = "Form1", .text = "Modulo", .at = {10200, 1920, 975, 255}},
    {.name = "Label4", .kind = "QLabel", .in = "Form1", .text = "Tipo", .at = {10200, 2400, 855, 255}},
    {.name = "Label5", .kind = "QLabel", .in = "Form1", .text = "QTY", .at = {10200, 2880, 735, 255}},
    {.name = "Frame1", .kind = "QGroupBox", .in = "Form1", .text = "Tipo", .at = {7800, 4800, 1815, 1575}},
    {.name = "Option1", .kind = "QRadioButton", .in = "Frame1", .text = "Corona", .at = {240, 360, 1335, 375}},
    {.name = "Option2", .kind = "QRadioButton", .in = "Frame1", .text = "Pignone", .at = {240, 1080, 1095, 255}},
    {.name = "Combo2", .kind = "QComboBox", .in = "Form1", .text = "C", .at = {7800, 2280, 2175, 315}},
    {.name = "Combo3", .kind = "QComboBox", .in = "Form1", .text = "0.4", .at = {7800, 1800, 2175, 315}},
    {.name = "Label6", .kind = "QLabel", .in = "Form1", .text = "Seleziona Elemento", .at = {7800, 3480, 2775, 255}},
    {.name = "Label7", .kind = "QLabel", .in = "Form1", .text = "Orbeto Zanfiro V1.0", .at = {7680, 7440, 3495, 255}},
    {.name = "Frame2", .kind = "QGroupBox", .in = "Form1", .text = "Info", .at = {8040, 360, 4215, 615}},
    {.name = "Label1", .kind = "QLabel", .in = "Frame2", .text = "", .at = {240, 240, 3735, 255}},
    {.name = "Command7", .kind = "QPushButton", .in = "Form1", .text = "Command7", .at = {9840, 4920, 735, 255}},
    {.name = "Label8", .kind = "QLabel", .in = "Form1", .text = "Ricerca", .at = {7800, 4440, 1815, 255}},
};

// The window made on an empty table, before its Load.
class NewWindow : public WindowTest {
protected:
    QWidget* widget(const Control& c) { return ui.window().findChild<QWidget*>(c.name); }
    // A frame's title, a combo's text, any other control's text.
    std::string textOf(const Control& c) {
        QWidget* w = widget(c);
        const char* text = w->inherits("QGroupBox") ? "title" : "text";
        return w->property(w->inherits("QComboBox") ? "currentText" : text).toString().toStdString();
    }
};

TEST_F(NewWindow, IsTitledZanfiroV11At885x519) {
    EXPECT_EQ(ui.window().windowTitle(), "Zanfiro v1.1");
    EXPECT_EQ(ui.window().size(), QSize(885, 519));
}

TEST_F(NewWindow, ShowsThe85x68GearIcon) {
    EXPECT_TRUE(ui.window().windowIcon().availableSizes().contains(QSize(85, 68)));
}

TEST_F(NewWindow, EveryControlIsOfItsKindInItsContainer) {
    for (const Control& c : kControls) {
        ASSERT_TRUE(widget(c)) << c.name;
        EXPECT_TRUE(widget(c)->inherits(c.kind)) << c.name;
        EXPECT_EQ(widget(c)->parentWidget()->objectName().toStdString(), c.in) << c.name;
    }
}

TEST_F(NewWindow, EveryControlSitsAtItsPlaceInPixels) {
    for (const Control& c : kControls) {
        const QRect& t = c.at;
        EXPECT_EQ(widget(c)->geometry(), QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15)) << c.name;
    }
}

TEST_F(NewWindow, EveryControlShowsItsText) {
    for (const Control& c : kControls) EXPECT_EQ(textOf(c), c.text) << c.name;
}

TEST_F(NewWindow, OnlyTheTypeAndModuleCombosOfferEntries) {
    EXPECT_THAT(ui.comboRows("Combo1"), IsEmpty());
    EXPECT_THAT(ui.comboRows("Combo2"), ElementsAre("C", "P"));
    EXPECT_THAT(ui.comboRows("Combo3"), ElementsAre("0.4", "0.6", "48", "64"));
}

TEST_F(NewWindow, OnlyCommand7IsHiddenAndDisabled) {
    for (const Control& c : kControls) {
        const bool shown = c.name != std::string_view("Command7");
        EXPECT_EQ(widget(c)->isVisibleTo(&ui.window()), shown) << c.name;
        EXPECT_EQ(widget(c)->isEnabled(), shown) << c.name;
    }
}

TEST_F(NewWindow, SelectsNoOptionUntilTheStartUpSelectsCoronaAndModulo04) {
    EXPECT_EQ(ui.options(), Options{});
    ASSERT_TRUE(ui.start());
    EXPECT_EQ(ui.options(), kStartUpOptions);
}

TEST_F(NewWindow, StartUpOnAnEmptyTableShowsAnEmptyEditorAndLists) {
    ASSERT_TRUE(ui.start());
    EXPECT_EQ(ui.editor(), Editor{});
    EXPECT_EQ(ui.text("Combo1"), "");
    EXPECT_THAT(ui.comboRows(), IsEmpty());
    EXPECT_THAT(ui.listRows(), IsEmpty());
}

TEST_F(NewWindow, StartUpTitlesTheListListaCompletaWithTheCursorInCombo1) {
    ASSERT_TRUE(ui.start());
    EXPECT_EQ(ui.status(), "Lista Completa");
    EXPECT_EQ(ui.focusedControl(), "Combo1");
}

// Started on three gears, one of them with Null teeth, type and quantity.
class StartedWindow : public WindowTest {
protected:
    void SetUp() override {
        open({
            {.ID = num(7), .D = num(40), .M = txt("0.4"), .T = txt("C"), .QTY = num(12)},
            {.ID = num(9), .D = null(), .M = txt("48"), .T = null(), .QTY = null()},
            {.ID = num(10), .D = num(18), .M = txt("120"), .T = txt("P"), .QTY = num(0)},  // before 48 as a text only
        });
    }
};

TEST_F(StartedWindow, Combo1ListsEveryGearByModuleAsTextWithNullAsNothing) {
    EXPECT_THAT(ui.comboRows(),
                ElementsAre("7   -      Denti  40\t         Modulo    0.4\t      Tipo    C\t    QTY   12",
                            "10   -      Denti  18\t         Modulo    120\t      Tipo    P\t    QTY   0",
                            "9   -      Denti  \t         Modulo    48\t      Tipo    \t    QTY   "));
}

TEST_F(StartedWindow, List1ListsEveryGearByModuleAsTextWithNullAsNothing) {
    EXPECT_THAT(ui.listRows(),
                ElementsAre("7   -      Denti  40\t     Modulo  0.4\tTipo  C\t   QTY   12",
                            "10   -      Denti  18\t     Modulo  120\tTipo  P\t   QTY   0",
                            "9   -      Denti  \t     Modulo  48\tTipo  \t   QTY   "));
}

TEST_F(StartedWindow, Combo1ShowsNoRowChosen) { EXPECT_EQ(ui.combo("Combo1")->currentIndex(), -1); }

TEST_F(StartedWindow, TabVisitsFieldsButtonsAndOptionsInTabIndexOrder) {
    std::string seen = ui.focusedControl();
    for (int i = 0; i < 18; ++i) {
        QTest::keyClick(ui.window().windowHandle(), Qt::Key_Tab);
        seen += " " + ui.focusedControl();
    }
    EXPECT_EQ(seen,
              "Combo1 List1 Text1 Text4 Command1 Command2 Command3 Command4 Command5 Command6 "
              "Option3 Option4 Option5 Option6 Option1 Option2 Combo2 Combo3 Combo1");
}

TEST_F(StartedWindow, EachOptionGroupKeepsOneSelectionOfItsOwn) {
    Form1& f = ui.form();
    OptionButton* const byProgram[] = {&f.Option1, &f.Option2, &f.Option3, &f.Option4, &f.Option5, &f.Option6};
    const struct {
        int option;
        bool byMouse;
        Options after;
    } steps[] = {
        {.option = 5, .byMouse = true, .after = kCorona48},
        {.option = 2, .byMouse = true, .after = kPignone48},
        {.option = 6, .byMouse = false, .after = kPignone64},
        {.option = 1, .byMouse = false, .after = kCorona64},
        {.option = 4, .byMouse = true, .after = kCorona06},
        {.option = 3, .byMouse = false, .after = kCorona04},
    };
    for (const auto& s : steps) {
        QRadioButton* button = ui.option("Option" + std::to_string(s.option));
        if (s.byMouse)
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        else
            byProgram[s.option - 1]->select();
        EXPECT_EQ(ui.options(), s.after) << "Option" << s.option << (s.byMouse ? " by mouse" : " by program");
    }
}

TEST_F(StartedWindow, ComboTextWrittenByTheProgramRaisesNoClick) {
    // Chosen by the operator, each would select an option or fill the editor; leaving it must not count.
    ui.form().Combo2.setText("P");
    ui.form().Combo3.setText("64");
    ui.form().Combo1.setText(ui.comboRows().at(0));
    for (const char* combo : {"Combo1", "Combo2", "Combo3"}) {
        ui.window().control(combo)->setFocus();
        QTest::keyClick(ui.window().windowHandle(), Qt::Key_Tab);
    }
    EXPECT_EQ(ui.options(), kStartUpOptions);
    EXPECT_EQ(ui.text("Text1"), "");
    EXPECT_EQ(ui.status(), "Lista Completa");
}

TEST_F(StartedWindow, RowsAddedToCombo1KeepItsTextAndTheirOrder) {
    ui.form().Combo1.clear();
    ui.form().Combo1.setText("kept");
    for (const char* row : {"b", "a", "10", "9"}) ui.form().Combo1.addItem(row);
    EXPECT_EQ(ui.text("Combo1"), "kept");
    EXPECT_THAT(ui.comboRows(), ElementsAre("b", "a", "10", "9"));
}

TEST_F(StartedWindow, ClearingCombo1EmptiesItsText) {
    ui.form().Combo1.setText("kept");
    ui.form().Combo1.clear();
    EXPECT_EQ(ui.text("Combo1"), "");
    EXPECT_THAT(ui.comboRows(), IsEmpty());
}

// Texts the offscreen keyboard never sends: X11's control characters, and above U+7FFF a negative code.
TEST(CharacterCode, CtrlXIs24WhateverTextThePlatformSends) {
    EXPECT_EQ(characterCode(Qt::Key_X, Qt::ControlModifier, "\x18"), 24);
}

TEST(CharacterCode, DeleteTypesNoCharacter) {
    EXPECT_EQ(characterCode(Qt::Key_Delete, Qt::NoModifier, "\x7f"), std::nullopt);
}

TEST(CharacterCode, AboveU7FFFIsNegativeAsASigned16BitCode) {
    EXPECT_EQ(characterCode(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xFF21))), std::int16_t(0xFF21 - 0x10000));
}

TEST_F(StartedWindow, KeyWhoseCodeTheHandlerMakes0NeverReachesTheField) {
    ui.type("Text1", "2a5");
    EXPECT_EQ(ui.text("Text1"), "25");
}

// Tab passes the key filter: the Tab-order test leaves every field by Tab.
TEST_F(StartedWindow, EnterAndEscapeRunNoHandlerInAnyField) {
    ui.type("Text1", "25");
    const auto written = std::filesystem::last_write_time(db.path());
    for (const char* field : {"Text1", "Text4", "Combo1", "Combo2", "Combo3", "List1"}) {
        for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(std::string(field) + " key " + std::to_string(key));
            ui.key(field, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            for (const char* button : {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6"})
                EXPECT_FALSE(ui.button(button)->isDown()) << button;
            EXPECT_TRUE(ui.window().isVisible());
            EXPECT_EQ(ui.status(), "Lista Completa");
            EXPECT_EQ(ui.text("Text1"), "25");
        }
    }
    EXPECT_EQ(std::filesystem::last_write_time(db.path()), written);
    EXPECT_THAT(ui.failures(), IsEmpty());
}

TEST_F(StartedWindow, CloseBoxRunsNoHandlerAndLeavesTheFileAlone) {
    ui.type("Text1", "25");
    const auto written = std::filesystem::last_write_time(db.path());
    EXPECT_TRUE(ui.window().close());
    QCoreApplication::processEvents();
    EXPECT_EQ(ui.status(), "Lista Completa");
    EXPECT_EQ(ui.text("Text1"), "25");
    EXPECT_EQ(std::filesystem::last_write_time(db.path()), written);
    EXPECT_THAT(ui.failures(), IsEmpty());
}

// Failed once, naming the missing file.
void expectOneFailureNaming(const WindowHarness& ui, const std::filesystem::path& missing) {
    ASSERT_EQ(ui.failures().size(), 1u);
    EXPECT_NE(ui.failures()[0].number(), 0);
    EXPECT_THAT(ui.failures()[0].description(), ::testing::HasSubstr(missing.string()));
}

TEST(FailureGuard, MissingDatabaseFailsTheStartUpOnceWithNoTitle) {
    TempDatabase db(TempDatabase::Content::NoFile);
    const std::filesystem::path missing = db.folder() / "NDB" / "DB.mdb";
    WindowHarness ui("driver={Microsoft Access Driver (*.mdb)};dbq=" + missing.string());
    EXPECT_FALSE(ui.start());
    EXPECT_EQ(ui.status(), "");
    expectOneFailureNaming(ui, missing);
    EXPECT_TRUE(std::filesystem::is_empty(db.folder()));
}

TEST(FailureGuard, DatabaseGoneBeforeAButtonFailsTheButtonOnce) {
    TempDatabase db;
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    std::filesystem::remove(db.path());
    ui.press("Command1");  // LOAD ALL
    expectOneFailureNaming(ui, db.path());
    EXPECT_TRUE(std::filesystem::is_empty(db.folder()));
}

TEST(EventTable, EveryControlWithAHandlerIsInTheControlTable) {
    std::set<std::string_view> controls;
    for (const ControlDefinition& c : controlTable()) controls.insert(c.name);
    for (const ClickHandler& click : clickHandlers()) EXPECT_TRUE(controls.contains(click.control)) << click.control;
    for (const KeyPressHandler& key : keyPressHandlers()) EXPECT_TRUE(controls.contains(key.control)) << key.control;
}

}  // namespace
}  // namespace zanfiro::testing
