// Typed characters: the classic character code of a key press, and what a
// cancelled code leaves in the real fields.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "app/character_code.h"
#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

struct CodeCase {
    const char* what;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    std::optional<std::int16_t> code;
};

TEST(CharacterCode, IsTheClassicCodeOfTheTypedCharacterOrNoneForKeysThatTypeNothing) {
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    const CodeCase cases[] = {
        {"Backspace", Qt::Key_Backspace, none, "\b", 8},
        {"Return", Qt::Key_Return, none, "\r", 13},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", 13},
        {"Escape", Qt::Key_Escape, none, "\x1b", 27},
        {"Ctrl+X, letter text", Qt::Key_X, ctrl, "x", 24},
        {"Ctrl+X, control text", Qt::Key_X, ctrl, "\x18", 24},
        {"Ctrl+C", Qt::Key_C, ctrl, "c", 3},
        {"Ctrl+V", Qt::Key_V, ctrl, "v", 22},
        {"Ctrl+Shift+V", Qt::Key_V, ctrl | Qt::ShiftModifier, "V", 22},
        {"a", Qt::Key_A, none, "a", 97},
        {"Shift+A", Qt::Key_A, Qt::ShiftModifier, "A", 65},
        {"keypad 5", Qt::Key_5, Qt::KeypadModifier, "5", 53},
        {"space", Qt::Key_Space, none, " ", 32},
        {"e acute", Qt::Key_Eacute, none, QString::fromUtf8("\u00e9"), 233},
        {"above U+7FFF", Qt::Key_unknown, none, QString(QChar(0xFF21)), static_cast<std::int16_t>(0xFF21 - 0x10000)},
        {"Tab", Qt::Key_Tab, none, "\t", std::nullopt},
        {"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, "", std::nullopt},
        {"Left", Qt::Key_Left, none, "", std::nullopt},
        {"Home", Qt::Key_Home, none, "", std::nullopt},
        {"Delete, X11 text", Qt::Key_Delete, none, "\x7f", std::nullopt},
        {"Delete, no text", Qt::Key_Delete, none, "", std::nullopt},
        {"F1", Qt::Key_F1, none, "", std::nullopt},
    };
    for (const CodeCase& c : cases) EXPECT_EQ(characterCode(c.key, c.modifiers, c.text), c.code) << c.what;
}

class TypedKeys : public ::testing::Test {
protected:
    void SetUp() override {
        db.insert(40, "0.4", "C", 12);
        ASSERT_TRUE(ui.start());
    }
    TempDatabase db;
    WindowHarness ui{db};
};

TEST_F(TypedKeys, ACancelledCodeLeavesTheFieldAsItWas) {
    struct Case {
        const char* field;
        const char* keys;
        const char* text;
    };
    const Case cases[] = {
        {"Text1", "1a2", "12"}, {"Text4", "3.-+ 4", "34"}, {"Combo2", "C", ""}, {"Combo3", "0.4", ""}, {"Combo1", "7", ""},
    };
    for (const Case& c : cases) {
        ui.type(c.field, c.keys);
        EXPECT_EQ(ui.text(c.field), c.text) << c.field << " after " << c.keys;
    }
    EXPECT_TRUE(ui.failures().empty());
}

TEST_F(TypedKeys, BackspaceAndCtrlXPassWhileCtrlCAndCtrlVDoNothing) {
    ui.type("Text1", "123");
    ui.key("Text1", Qt::Key_Backspace);
    EXPECT_EQ(ui.text("Text1"), "12");
    ui.form().Combo2.setText("P");
    ui.key("Combo2", Qt::Key_Backspace);
    EXPECT_EQ(ui.text("Combo2"), "");

    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("99");
    ui.textBox("Text1")->selectAll();
    ui.key("Text1", Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "99");
    ui.key("Text1", Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ui.text("Text1"), "12");
    ui.key("Text1", Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ui.text("Text1"), "");
    EXPECT_EQ(clipboard->text(), "12");
    EXPECT_TRUE(ui.failures().empty());
}

TEST_F(TypedKeys, EnterAndEscapeInAFieldPressNoButton) {
    ui.type("Text1", "25");
    ui.type("Text4", "3");
    ui.form().Combo3.setText("48");
    ui.form().Combo2.setText("P");
    const auto stored = db.gears();
    for (const char* field : {"Text1", "Text4", "Combo1", "Combo2", "Combo3"}) {
        for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(std::string(field) + " key " + std::to_string(key));
            ui.key(field, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            EXPECT_TRUE(ui.window().isVisible());
            EXPECT_EQ(ui.status(), "Lista Completa");
            EXPECT_EQ(ui.text("Text1"), "25");
            EXPECT_EQ(ui.comboRows().size(), 1u);
        }
    }
    EXPECT_EQ(db.gears(), stored);
    EXPECT_TRUE(ui.failures().empty());
}

}  // namespace
}  // namespace zanfiro::testing
