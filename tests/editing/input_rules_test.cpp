#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "shown_gears.h"

namespace zanfiro::testing {
namespace {

const char* const kFields[] = {"Text1", "Text4", "Combo1", "Combo2", "Combo3"};

QLineEdit* editOf(WindowHarness& ui, const std::string& field) {
    return field.starts_with("Text") ? ui.textBox(field) : ui.combo(field)->lineEdit();
}

// One typed character, sent as the keyboard sends it, accented ones included.
void typeCharacter(WindowHarness& ui, std::string_view field, const QString& character) {
    QWidget* widget = ui.window().control(field);
    widget->setFocus();
    const auto key = static_cast<Qt::Key>(character.at(0).toUpper().unicode());
    QTest::sendKeyEvent(QTest::Click, widget, key, character, Qt::NoModifier);
}

std::string clipboard() { return QApplication::clipboard()->text().toStdString(); }

class InputRules : public ::testing::Test {
protected:
    void SetUp() override {
        seedGear(db, 18, "48", "P", 6);
        ASSERT_TRUE(ui.start());
    }
    TempDatabase db;
    WindowHarness ui{db};
};

TEST_F(InputRules, TeethAndQuantityTakeOnlyDigits) {
    ui.type("Text1", "12a5");
    EXPECT_EQ(ui.text("Text1"), "125");
    for (const char* field : {"Text1", "Text4"}) {
        SCOPED_TRACE(field);
        ui.form().Text1.setText("12");
        ui.form().Text4.setText("12");
        for (const QString typed : {".", "-", "+", " ", ",", "/", ":", "a", "Z", "è", "À", "ñ", "ß", "€"})
            typeCharacter(ui, field, typed);
        ui.key(field, Qt::Key_Return);
        ui.key(field, Qt::Key_Enter, Qt::KeypadModifier);
        ui.type(field, "0");
        EXPECT_EQ(ui.text(field), "120");
    }
}

TEST_F(InputRules, CtrlCAndCtrlVDoNothingWhileCtrlXAndBackspaceWorkInAllFiveFields) {
    for (const std::string field : kFields) {
        SCOPED_TRACE(field);
        QLineEdit* edit = editOf(ui, field);
        edit->setText("48");
        edit->selectAll();
        QApplication::clipboard()->setText("unchanged");
        ui.key(field, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(clipboard(), "unchanged");
        edit->setText("48");
        edit->selectAll();
        QApplication::clipboard()->setText("99");
        ui.key(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(ui.text(field), "48");
        edit->selectAll();
        ui.key(field, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(clipboard(), "48");
        EXPECT_EQ(ui.text(field), "");
        edit->setText("481");
        edit->end(false);
        ui.key(field, Qt::Key_Backspace);
        EXPECT_EQ(ui.text(field), "48");
    }
}

TEST_F(InputRules, NothingCanBeTypedIntoTheCombos) {
    for (const auto& [field, typed] : {std::pair{"Combo2", "C"}, {"Combo2", "P"}, {"Combo3", "0.4"},
                                       {"Combo3", "48"}, {"Combo1", "1"}, {"Combo1", "a"}}) {
        SCOPED_TRACE(std::string(field) + " " + typed);
        ui.type(field, typed);
        ui.key(field, Qt::Key_Space);
        EXPECT_EQ(ui.text(field), "");
    }
    EXPECT_EQ(options(ui), Options("Option1", "Option3"));
    EXPECT_EQ(ui.status(), "Lista Completa");
}

TEST_F(InputRules, ChoosingATypeOrModuleSelectsItsOptionAndLeavesTheOtherGroup) {
    struct Step {
        const char* combo;
        int entry;
        Options after;
    };
    const Step steps[] = {
        {"Combo2", 1, {"Option2", "Option3"}}, {"Combo3", 2, {"Option2", "Option5"}},
        {"Combo3", 3, {"Option2", "Option6"}}, {"Combo2", 0, {"Option1", "Option6"}},
        {"Combo3", 1, {"Option1", "Option4"}}, {"Combo3", 0, {"Option1", "Option3"}},
    };
    for (const Step& s : steps) {
        ui.choose(s.combo, s.entry);
        EXPECT_EQ(options(ui), s.after) << s.combo << " entry " << s.entry;
    }
}

TEST_F(InputRules, PickingAGearFillsTypeAndModuleButSelectsNoOption) {
    pick(ui, 1);
    EXPECT_EQ(editorOf(ui), (Editor{"18", "48", "P", "6"}));
    EXPECT_EQ(options(ui), Options("Option1", "Option3"));
    // Visiting the fields the pick wrote and leaving them chooses nothing.
    for (const char* field : {"Combo3", "Combo2"}) {
        QTest::mouseClick(ui.combo(field)->lineEdit(), Qt::LeftButton);
        ASSERT_EQ(ui.focusedControl(), field);
    }
    ui.press("Command6");
    EXPECT_EQ(options(ui), Options("Option1", "Option3"));
    EXPECT_EQ(ui.status(), "Lista Corone Modulo 0.4");
}

}  // namespace
}  // namespace zanfiro::testing
