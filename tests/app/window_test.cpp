// The window as the operator meets it: every control where the layout puts
// it, the Tab order, the two option groups and the combo boxes' rules.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using ::testing::ElementsAre;

struct Expected {
    const char* name;
    const char* kind;
    const char* container;
    const char* text;  // caption, or a field's initial text
    std::vector<std::string> entries;
    int left, top, width, height;  // twips
};

// Written from the window's layout in twips, in tab-index order.
const Expected kControls[] = {
    {"Combo1", "combo", "Form1", "", {}, 7800, 3840, 5055, 315},
    {"List1", "list", "Form1", "", {}, 240, 240, 7215, 6885},
    {"Text1", "text", "Form1", "", {}, 7800, 1320, 2175, 375},
    {"Text4", "text", "Form1", "", {}, 7800, 2760, 2175, 375},
    {"Command1", "button", "Form1", "LOAD ALL", {}, 11640, 3000, 1095, 375},
    {"Command2", "button", "Form1", "SAVE", {}, 11640, 1200, 1095, 375},
    {"Command3", "button", "Form1", "DELETE", {}, 11640, 1800, 1095, 375},
    {"Command4", "button", "Form1", "CLEAR", {}, 11640, 2400, 1095, 375},
    {"Command5", "button", "Form1", "ESC", {}, 12120, 7320, 975, 375},
    {"Command6", "button", "Form1", "FIND", {}, 7800, 6600, 1215, 375},
    {"Option3", "option", "Form1", "Modulo 0.4", {}, 11280, 4920, 1575, 255},
    {"Option4", "option", "Form1", "Modulo 0.6", {}, 11280, 5400, 1695, 375},
    {"Option5", "option", "Form1", "Modulo 48", {}, 11280, 6000, 1695, 375},
    {"Option6", "option", "Form1", "Modulo 64", {}, 11280, 6600, 1575, 375},
    {"Label2", "label", "Form1", "Denti", {}, 10200, 1440, 975, 255},
    {"Label3", "label", "Form1", "Modulo", {}, 10200, 1920, 975, 255},
    {"Label4", "label", "Form1", "Tipo", {}, 10200, 2400, 855, 255},
    {"Label5", "label", "Form1", "QTY", {}, 10200, 2880, 735, 255},
    {"Frame1", "frame", "Form1", "Tipo", {}, 7800, 4800, 1815, 1575},
    {"Option1", "option", "Frame1", "Corona", {}, 240, 360, 1335, 375},
    {"Option2", "option", "Frame1", "Pignone", {}, 240, 1080, 1095, 255},
    {"Combo2", "combo", "Form1", "C", {"C", "P"}, 7800, 2280, 2175, 315},
    {"Combo3", "combo", "Form1", "0.4", {"0.4", "0.6", "48", "64"}, 7800, 1800, 2175, 315},
    {"Label6", "label", "Form1", "Seleziona Elemento", {}, 7800, 3480, 2775, 255},
    {"Label7", "label", "Form1", "Orbeto Zanfiro V1.0", {}, 7680, 7440, 3495, 255},
    {"Frame2", "frame", "Form1", "Info", {}, 8040, 360, 4215, 615},
    {"Label1", "label", "Frame2", "", {}, 240, 240, 3735, 255},
    {"Command7", "button", "Form1", "Command7", {}, 9840, 4920, 735, 255},
    {"Label8", "label", "Form1", "Ricerca", {}, 7800, 4440, 1815, 255},
};

using Groups = std::pair<std::string, std::string>;  // type options, module options

// The kind of control a widget is, and what it shows.
std::pair<std::string, std::string> kindAndText(QWidget* w) {
    if (auto* c = qobject_cast<QComboBox*>(w)) return {"combo", c->currentText().toStdString()};
    if (auto* l = qobject_cast<QListWidget*>(w)) return {"list", l->count() ? "rows" : ""};
    if (auto* e = qobject_cast<QLineEdit*>(w)) return {"text", e->text().toStdString()};
    if (auto* b = qobject_cast<QRadioButton*>(w)) return {"option", b->text().toStdString()};
    if (auto* b = qobject_cast<QPushButton*>(w)) return {"button", b->text().toStdString()};
    if (auto* l = qobject_cast<QLabel*>(w)) return {"label", l->text().toStdString()};
    if (auto* g = qobject_cast<QGroupBox*>(w)) return {"frame", g->title().toStdString()};
    return {"?", ""};
}

TEST(Window, IsBuiltAsTheLayoutDescribesItBeforeLoad) {
    TempDatabase db;
    WindowHarness ui(db);
    MainWindow& window = ui.window();
    EXPECT_EQ(window.windowTitle(), "Zanfiro v1.1");
    EXPECT_EQ(window.size(), QSize(885, 519));
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(85, 68)));

    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        const auto found = window.findChildren<QWidget*>(e.name);
        ASSERT_EQ(found.size(), 1);
        QWidget* w = found.front();
        const auto [kind, text] = kindAndText(w);
        EXPECT_EQ(kind, e.kind);
        EXPECT_EQ(text, e.text);
        EXPECT_EQ(w->parentWidget()->objectName().toStdString(), e.container);
        EXPECT_EQ(w->geometry(), QRect(e.left / 15, e.top / 15, e.width / 15, e.height / 15));
        if (kind == "combo") {
            EXPECT_EQ(ui.comboRows(e.name), e.entries);
        }
        const bool shown = std::string_view(e.name) != "Command7";
        EXPECT_EQ(w->isVisibleTo(&window), shown);
        EXPECT_EQ(w->isEnabled(), shown);
        if (auto* option = qobject_cast<QRadioButton*>(w)) {
            EXPECT_FALSE(option->isChecked());
        }
    }
}

// The selected buttons of each group, all of them, so that a second
// selection shows up.
Groups selections(const WindowHarness& ui) {
    std::string type, module;
    for (const char* name : {"Option1", "Option2"})
        if (ui.option(name)->isChecked()) type += name;
    for (const char* name : {"Option3", "Option4", "Option5", "Option6"})
        if (ui.option(name)->isChecked()) module += name;
    return {type, module};
}

TEST(Window, TabVisitsEveryFieldButtonAndOptionInTabIndexOrderSkippingLabelsFramesAndCommand7) {
    TempDatabase db;
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    // Twice round: the second time after the mouse has selected (and
    // focused) options in the middle of both groups.
    for (const std::vector<const char*>& clicks : {std::vector<const char*>{}, {"Option5", "Option2"}}) {
        for (const char* name : clicks)
            QTest::mouseClick(ui.option(name), Qt::LeftButton, {}, QPoint(6, ui.option(name)->height() / 2));
        ui.window().control("Combo1")->setFocus();
        std::vector<std::string> visited{ui.focusedControl()};
        for (int i = 0; i < 18; ++i) {
            QTest::keyClick(ui.window().windowHandle(), Qt::Key_Tab);
            visited.push_back(ui.focusedControl());
        }
        EXPECT_THAT(visited, ElementsAre("Combo1", "List1", "Text1", "Text4", "Command1", "Command2", "Command3",
                                         "Command4", "Command5", "Command6", "Option3", "Option4", "Option5",
                                         "Option6", "Option1", "Option2", "Combo2", "Combo3", "Combo1"))
            << clicks.size() << " options clicked first";
    }
    // Tab moves the focus only: no option changes on the way.
    EXPECT_EQ(selections(ui), Groups("Option2", "Option5"));
    EXPECT_TRUE(ui.failures().empty());
}

TEST(OptionGroups, EachKeepsExactlyOneSelectionAndLeavesTheOtherGroupAlone) {
    TempDatabase db;
    WindowHarness ui(db);
    EXPECT_EQ(selections(ui), Groups("", ""));
    ASSERT_TRUE(ui.start());
    EXPECT_EQ(selections(ui), Groups("Option1", "Option3"));

    struct Step {
        const char* option;
        bool byMouse;  // else selected by the program
        const char* type;
        const char* module;
    };
    const Step steps[] = {
        {"Option5", true, "Option1", "Option5"},  {"Option2", true, "Option2", "Option5"},
        {"Option6", false, "Option2", "Option6"}, {"Option1", false, "Option1", "Option6"},
        {"Option4", true, "Option1", "Option4"},  {"Option2", false, "Option2", "Option4"},
        {"Option3", false, "Option2", "Option3"}, {"Option1", true, "Option1", "Option3"},
    };
    OptionButton* const buttons[] = {&ui.form().Option1, &ui.form().Option2, &ui.form().Option3,
                                     &ui.form().Option4, &ui.form().Option5, &ui.form().Option6};
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.option) + (step.byMouse ? " by mouse" : " by program"));
        QRadioButton* button = ui.option(step.option);
        if (step.byMouse)
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        else
            buttons[step.option[6] - '1']->select();
        EXPECT_EQ(selections(ui), Groups(step.type, step.module));
    }
    EXPECT_TRUE(ui.failures().empty());
}

TEST(ComboBoxes, AProgramWriteRaisesNoClick) {
    TempDatabase db;
    db.insert(40, "48", "P", 3);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    const std::string firstRow = ui.comboRows().at(0);
    ui.form().Option2.select();
    ui.form().Option6.select();
    // Each of these, chosen by the operator, would select an option or fill
    // the editor.
    ui.form().Combo2.setText("C");
    ui.form().Combo3.setText("0.4");
    ui.form().Combo1.setText(firstRow);
    // Nor does the focus leaving a combo whose text matches an entry.
    for (const char* combo : {"Combo1", "Combo2", "Combo3"}) {
        ui.window().control(combo)->setFocus();
        QTest::keyClick(ui.window().windowHandle(), Qt::Key_Tab);
    }
    EXPECT_EQ(selections(ui), Groups("Option2", "Option6"));
    EXPECT_EQ(ui.text("Combo1"), firstRow);
    EXPECT_EQ(ui.text("Text1"), "");
    EXPECT_EQ(ui.status(), "Lista Completa");
    EXPECT_TRUE(ui.failures().empty());
}

TEST(ComboBoxes, AnOperatorChoiceFromTheDropDownRaisesClick) {
    TempDatabase db;
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    ui.choose("Combo3", 2);
    EXPECT_EQ(ui.text("Combo3"), "48");
    EXPECT_EQ(selections(ui), Groups("Option1", "Option5"));
    ui.choose("Combo2", 1);
    EXPECT_EQ(ui.text("Combo2"), "P");
    EXPECT_EQ(selections(ui), Groups("Option2", "Option5"));
}

TEST(ComboBoxes, KeepTheTextOnAppendKeepTheOrderAddedAndEmptyTheTextOnClear) {
    TempDatabase db;
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    struct Case {
        const char* combo;
        const char* text;
    };
    for (const Case& c : {Case{"Combo1", ""}, Case{"Combo1", "kept"}, Case{"Combo3", ""}, Case{"Combo2", "P"}}) {
        SCOPED_TRACE(std::string(c.combo) + " \"" + c.text + "\"");
        ComboBox& combo = c.combo == std::string_view("Combo1")   ? ui.form().Combo1
                          : c.combo == std::string_view("Combo2") ? ui.form().Combo2
                                                                  : ui.form().Combo3;
        combo.clear();
        EXPECT_EQ(ui.text(c.combo), "");
        combo.setText(c.text);
        for (const char* entry : {"b", "a", "10", "9"}) combo.addItem(entry);
        EXPECT_EQ(ui.text(c.combo), c.text);
        EXPECT_THAT(ui.comboRows(c.combo), ElementsAre("b", "a", "10", "9"));
        combo.clear();
        EXPECT_EQ(ui.text(c.combo), "");
        EXPECT_TRUE(ui.comboRows(c.combo).empty());
    }
    ui.form().List1.clear();
    for (const char* row : {"b", "a", "10", "9"}) ui.form().List1.addItem(row);
    EXPECT_THAT(ui.listRows(), ElementsAre("b", "a", "10", "9"));
    EXPECT_TRUE(ui.failures().empty());
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(Window, ClosingByTheCloseBoxRunsNoHandlerAndLeavesTheDatabaseAlone) {
    TempDatabase db;
    db.insert(40, "0.4", "C", 12);
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    const std::string before = fileBytes(db.path());
    const auto rows = ui.comboRows();
    EXPECT_TRUE(ui.window().close());
    QApplication::processEvents();
    EXPECT_FALSE(ui.window().isVisible());
    EXPECT_EQ(ui.status(), "Lista Completa");
    EXPECT_EQ(ui.comboRows(), rows);
    EXPECT_EQ(fileBytes(db.path()), before);
    EXPECT_TRUE(ui.failures().empty());
}

}  // namespace
}  // namespace zanfiro::testing
