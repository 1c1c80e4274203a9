#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "shown_gears.h"

namespace zanfiro::testing {
namespace {

TEST(InputRules, TextFieldsTakeDigitsCombosNothingAndOnlyCtrlXAndBackspaceEditAnywhere) {
    struct Stroke {
        QString text;
        int key, modifiers;
        const char *textField, *combo;  // what "48", all selected, becomes
    };
    const Stroke strokes[] = {
        {"7", 0, 0, "7", "48"},    {"0", 0, 0, "0", "48"},   {"a", 0, 0, "48", "48"},  {"C", 0, 0, "48", "48"},
        {"P", 0, 0, "48", "48"},   {".", 0, 0, "48", "48"},  {"-", 0, 0, "48", "48"},  {"+", 0, 0, "48", "48"},
        {" ", 0, 0, "48", "48"},   {",", 0, 0, "48", "48"},  {"è", 0, 0, "48", "48"},  {"À", 0, 0, "48", "48"},
        {"ñ", 0, 0, "48", "48"},   {"€", 0, 0, "48", "48"},  {"\r", Qt::Key_Return, 0, "48", "48"},
        {"\r", Qt::Key_Enter, Qt::KeypadModifier, "48", "48"}, {"", Qt::Key_C, Qt::ControlModifier, "48", "48"},
        {"", Qt::Key_V, Qt::ControlModifier, "48", "48"},      {"", Qt::Key_X, Qt::ControlModifier, "", ""},
        {"", Qt::Key_Backspace, 0, "", ""}};
    TempDatabase db;
    db.insert(18, "48", "P", 6);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    selectOptions(ui, "Option2", "Option6");
    for (const std::string field : {"Text1", "Text4", "Combo1", "Combo2", "Combo3"}) {
        QWidget* control = ui.window().control(field);
        QLineEdit* edit = field.starts_with("Text") ? ui.textBox(field) : ui.combo(field)->lineEdit();
        for (const Stroke& s : strokes) {
            SCOPED_TRACE(field + " '" + s.text.toStdString() + "' key " + std::to_string(s.key));
            control->setFocus();
            edit->setText("48");
            edit->selectAll();
            QApplication::clipboard()->setText("99");
            const int key = s.key ? s.key : s.text.at(0).toUpper().unicode();
            QTest::sendKeyEvent(QTest::Click, control, Qt::Key(key), s.text, Qt::KeyboardModifiers(s.modifiers));
            EXPECT_EQ(ui.text(field), field.starts_with("Text") ? s.textField : s.combo);
            EXPECT_EQ(QApplication::clipboard()->text(), s.key == Qt::Key_X ? "48" : "99");
        }
    }
    EXPECT_EQ(options(ui), Options("Option2", "Option6"));
    EXPECT_EQ(ui.status(), "Lista Completa");
    ui.form().Text1.setText("");
    ui.type("Text1", "12a5");
    EXPECT_EQ(ui.text("Text1"), "125");
}

TEST(InputRules, ChoosingATypeOrModuleFromItsDropDownSelectsItsOptionAndLeavesTheOtherGroup) {
    TempDatabase db;
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    const std::tuple<const char*, int, Options> steps[] = {
        {"Combo2", 1, {"Option2", "Option3"}}, {"Combo3", 2, {"Option2", "Option5"}}, {"Combo3", 3, {"Option2", "Option6"}},
        {"Combo2", 0, {"Option1", "Option6"}}, {"Combo3", 1, {"Option1", "Option4"}}, {"Combo3", 0, {"Option1", "Option3"}}};
    for (const auto& [combo, entry, after] : steps) {
        ui.choose(combo, entry);
        EXPECT_EQ(options(ui), after) << combo << " entry " << entry;
    }
}

}  // namespace
}  // namespace zanfiro::testing
