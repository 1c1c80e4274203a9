// What a screen reader is told about the window, read through Qt's accessibility interfaces of the real widgets.
#include <QAccessible>
#include <gtest/gtest.h>

#include <functional>

#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

std::string accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).toStdString() : "(no interface)";
}

TEST(Accessibility, EachEditorFieldAndTheGearListAreNamedByTheirCaptions) {
    TempDatabase db;
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    const struct {
        const char* field;
        const char* name;
    } cases[] = {
        {.field = "Text1", .name = "Denti"},
        {.field = "Combo3", .name = "Modulo"},
        {.field = "Combo2", .name = "Tipo"},
        {.field = "Text4", .name = "QTY"},
        {.field = "Combo1", .name = "Seleziona Elemento"},
    };
    for (const auto& [field, name] : cases) EXPECT_EQ(accessibleName(ui.window().control(field)), name) << field;
    // What the window shows stays as it was.
    EXPECT_EQ(ui.text("Text1"), "");
    EXPECT_EQ(ui.text("Combo3"), "");
}

TEST(Accessibility, TheStatusLineIsReadAsItsTextAndAnEmptyOneAsEmptyNotAsItsFrame) {
    TempDatabase db;
    db.insert(40, "0.4", "C", 12);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    const struct {
        const char* after;
        std::function<void()> act;
        const char* status;
    } steps[] = {
        {.after = "start-up", .act = [] {}, .status = "Lista Completa"},
        {.after = "CLEAR", .act = [&] { ui.press("Command4"); }, .status = "Valori Annullati "},
        {.after = "picking a gear", .act = [&] { ui.choose("Combo1", 0); }, .status = ""},
        {.after = "DELETE with nothing picked",
         .act = [&] { ui.press("Command4"), ui.press("Command3"); },
         .status = "Selezionare Elemento"},
    };
    for (const auto& [after, act, status] : steps) {
        act();
        EXPECT_EQ(ui.status(), status) << after;
        EXPECT_EQ(accessibleName(ui.window().control("Label1")), status) << after;
    }
}

}  // namespace
}  // namespace zanfiro::testing
