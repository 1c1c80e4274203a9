// The window as built from the control table and started, Tab order, option groups, combos, typed keys.
#include "window_test.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <gmock/gmock.h>

#include <map>

#include "app/character_code.h"
#include "form/control_table.h"

namespace zanfiro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using zanfiro::testing::PrintTo;

// The Qt class each kind of control of the table is made of.
const std::map<ControlKind, const char*> kQtClass = {
    {ControlKind::CommandButton, "QPushButton"},
    {ControlKind::Label, "QLabel"},
    {ControlKind::Frame, "QGroupBox"},
    {ControlKind::OptionButton, "QRadioButton"},
    {ControlKind::TextBox, "QLineEdit"},
    {ControlKind::ComboBox, "QComboBox"},
    {ControlKind::ListBox, "QListView"},
};

// The window made on an empty table, before its Load.
class NewWindow : public WindowTest {
protected:
    QWidget* widget(const ControlDefinition& c) { return ui.window().findChild<QWidget*>(QString::fromUtf8(c.name)); }
    // A frame's title, a combo's text, any other control's text.
    std::string textOf(const ControlDefinition& c) {
        QWidget* w = widget(c);
        const char* text = w->inherits("QGroupBox") ? "title" : "text";
        return w->property(w->inherits("QComboBox") ? "currentText" : text).toString().toStdString();
    }
};

TEST_F(NewWindow, EveryControlOfTheTableIsOfItsKindInItsContainer) {
    for (const ControlDefinition& c : controlTable()) {
        ASSERT_TRUE(widget(c)) << c.name;
        EXPECT_TRUE(widget(c)->inherits(kQtClass.at(c.kind))) << c.name;
        EXPECT_EQ(widget(c)->parentWidget()->objectName().toStdString(), c.container) << c.name;
    }
}

TEST_F(NewWindow, EveryControlSitsAtItsTablePlaceInPixels) {
    for (const ControlDefinition& c : controlTable()) {
        const QRect twips(c.left, c.top, c.width, c.height);
        EXPECT_EQ(widget(c)->geometry(), QRect(twips.topLeft() / kTwipsPerPixel, twips.size() / kTwipsPerPixel))
            << c.name;
    }
}

TEST_F(NewWindow, EveryControlShowsItsTableCaption) {
    for (const ControlDefinition& c : controlTable()) EXPECT_EQ(textOf(c), c.caption) << c.name;
}

TEST_F(NewWindow, OnlyCommand7IsHiddenAndDisabled) {
    for (const ControlDefinition& c : controlTable()) {
        const bool shown = c.name != "Command7";
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

// The ways an operator chooses the second row of Combo1, gear 10 with 18 teeth, its row wider than the field.
void clickInTheDropDown(WindowHarness& ui) {
    QComboBox* box = ui.combo("Combo1");
    box->showPopup();
    QTest::mouseClick(
        box->view()->viewport(), Qt::LeftButton, {}, box->view()->visualRect(box->model()->index(1, 0)).center());
}

void press(WindowHarness& ui, std::initializer_list<QKeyCombination> keys) {
    ui.window().control("Combo1")->setFocus();
    for (const QKeyCombination k : keys) QTest::keyClick(ui.window().windowHandle(), k.key(), k.keyboardModifiers());
}
void altDownDownAndReturn(WindowHarness& ui) {
    press(ui, {Qt::AltModifier | Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
}
void downTwiceWithTheListClosed(WindowHarness& ui) { press(ui, {Qt::Key_Down, Qt::Key_Down}); }

void wheelTwiceWithTheListClosed(WindowHarness& ui) {
    QComboBox* box = ui.combo("Combo1");
    const QPointF at = box->rect().center();
    for (int notch = 0; notch < 2; ++notch) {
        QWheelEvent wheel(at, box->mapToGlobal(at), {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
    }
}

struct Choosing {
    const char* name;
    void (*choose)(WindowHarness& ui);
};
const Choosing kChoosings[] = {
    {.name = "ClickInTheDropDown", .choose = clickInTheDropDown},
    {.name = "AltDownDownAndReturn", .choose = altDownDownAndReturn},
    {.name = "DownTwiceWithTheListClosed", .choose = downTwiceWithTheListClosed},
    {.name = "WheelTwiceWithTheListClosed", .choose = wheelTwiceWithTheListClosed},
};

class Combo1Choice : public WindowCaseTest<Choosing> {
protected:
    void SetUp() override {
        open({
            {.ID = num(7), .D = num(40), .M = txt("0.4"), .T = txt("C"), .QTY = num(12)},
            {.ID = num(10), .D = num(18), .M = txt("120"), .T = txt("P"), .QTY = num(0)},
        });
    }
};
INSTANTIATE_TEST_SUITE_P(, Combo1Choice, ::testing::ValuesIn(kChoosings), CaseName());

// SAVE and DELETE act on the ID that heads the row; the record selection, which fills the editor, keeps it in view.
TEST_P(Combo1Choice, ShowsTheRowFromItsIdWithTheCursorBeforeIt) {
    GetParam().choose(ui);
    ASSERT_EQ(ui.text("Text1"), "18");
    EXPECT_EQ(ui.text("Combo1"), ui.comboRows().at(1));
    EXPECT_THAT(ui.visibleText("Combo1"), StartsWith("10   -      Denti  18"));
    EXPECT_EQ(ui.combo("Combo1")->lineEdit()->cursorPosition(), 0);
    EXPECT_FALSE(ui.combo("Combo1")->lineEdit()->hasSelectedText());
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

}  // namespace
}  // namespace zanfiro::testing
