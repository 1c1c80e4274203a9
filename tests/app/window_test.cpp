// The window as built and started, Tab order, option groups, combos, typed keys, failures, the close box.
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gmock/gmock.h>

#include "app/character_code.h"
#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using ::testing::ElementsAre;

std::string options(const WindowHarness& ui) { return ui.selectedType() + " " + ui.selectedModule(); }

// A window started on a table with one gear.
struct StartedWindow : ::testing::Test {
    void SetUp() override {
        db.insert(40, "48", "P", 3);
        ASSERT_TRUE(ui.start());
    }
    TempDatabase db;
    WindowHarness ui{db};
};

struct Control {
    const char *name, *kind, *container, *text;
    std::vector<std::string> entries;
    int left, top, width, height;  // twips
};

TEST(Window, IsBuiltFromTheControlTableAndTheStartUpOnAnEmptyTableEmptiesTheEditorAndSelectsOneOptionEach) {
    const Control controls[] = {
        {"Combo1", "QComboBox", "Form1", "", {}, 7800, 3840, 5055, 315},
        {"List1", "QListView", "Form1", "", {}, 240, 240, 7215, 6885},
        {"Text1", "QLineEdit", "Form1", "", {}, 7800, 1320, 2175, 375},
        {"Text4", "QLineEdit", "Form1", "", {}, 7800, 2760, 2175, 375},
        {"Command1", "QPushButton", "Form1", "LOAD ALL", {}, 11640, 3000, 1095, 375},
        {"Command2", "QPushButton", "Form1", "SAVE", {}, 11640, 1200, 1095, 375},
        {"Command3", "QPushButton", "Form1", "DELETE", {}, 11640, 1800, 1095, 375},
        {"Command4", "QPushButton", "Form1", "CLEAR", {}, 11640, 2400, 1095, 375},
        {"Command5", "QPushButton", "Form1", "ESC", {}, 12120, 7320, 975, 375},
        {"Command6", "QPushButton", "Form1", "FIND", {}, 7800, 6600, 1215, 375},
        {"Option3", "QRadioButton", "Form1", "Modulo 0.4", {}, 11280, 4920, 1575, 255},
        {"Option4", "QRadioButton", "Form1", "Modulo 0.6", {}, 11280, 5400, 1695, 375},
        {"Option5", "QRadioButton", "Form1", "Modulo 48", {}, 11280, 6000, 1695, 375},
        {"Option6", "QRadioButton", "Form1", "Modulo 64", {}, 11280, 6600, 1575, 375},
        {"Label2", "QLabel", "Form1", "Denti", {}, 10200, 1440, 975, 255},
        {"Label3", "QLabel", "Form1", "Modulo", {}, 10200, 1920, 975, 255},
        {"Label4", "QLabel", "Form1", "Tipo", {}, 10200, 2400, 855, 255},
        {"Label5", "QLabel", "Form1", "QTY", {}, 10200, 2880, 735, 255},
        {"Frame1", "QGroupBox", "Form1", "Tipo", {}, 7800, 4800, 1815, 1575},
        {"Option1", "QRadioButton", "Frame1", "Corona", {}, 240, 360, 1335, 375},
        {"Option2", "QRadioButton", "Frame1", "Pignone", {}, 240, 1080, 1095, 255},
        {"Combo2", "QComboBox", "Form1", "C", {"C", "P"}, 7800, 2280, 2175, 315},
        {"Combo3", "QComboBox", "Form1", "0.4", {"0.4", "0.6", "48", "64"}, 7800, 1800, 2175, 315},
        {"Label6", "QLabel", "Form1", "Seleziona Elemento", {}, 7800, 3480, 2775, 255},
        {"Label7", "QLabel", "Form1", "Orbeto Zanfiro V1.0", {}, 7680, 7440, 3495, 255},
        {"Frame2", "QGroupBox", "Form1", "Info", {}, 8040, 360, 4215, 615},
        {"Label1", "QLabel", "Frame2", "", {}, 240, 240, 3735, 255},
        {"Command7", "QPushButton", "Form1", "Command7", {}, 9840, 4920, 735, 255},
        {"Label8", "QLabel", "Form1", "Ricerca", {}, 7800, 4440, 1815, 255},
    };
    TempDatabase db;
    WindowHarness ui(db);
    EXPECT_EQ(ui.window().windowTitle(), "Zanfiro v1.1");
    EXPECT_EQ(ui.window().size(), QSize(885, 519));
    EXPECT_TRUE(ui.window().windowIcon().availableSizes().contains(QSize(85, 68)));
    EXPECT_EQ(options(ui), " ");
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = ui.window().findChild<QWidget*>(c.name);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->inherits(c.kind));
        const char* text = w->inherits("QGroupBox") ? "title" : w->inherits("QComboBox") ? "currentText" : "text";
        EXPECT_EQ(w->property(text).toString().toStdString(), c.text);
        EXPECT_EQ(w->parentWidget()->objectName().toStdString(), c.container);
        EXPECT_EQ(w->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
        EXPECT_EQ(w->inherits("QComboBox") ? ui.comboRows(c.name) : std::vector<std::string>{}, c.entries);
        const bool shown = c.name != std::string_view("Command7");
        EXPECT_EQ(std::pair(w->isVisibleTo(&ui.window()), w->isEnabled()), std::pair(shown, shown));
    }
    ASSERT_TRUE(ui.start());
    for (const char* field : {"Text1", "Combo3", "Combo2", "Text4", "Combo1"}) EXPECT_EQ(ui.text(field), "") << field;
    EXPECT_EQ(ui.comboRows().size() + ui.listRows().size(), 0u);
    EXPECT_EQ(options(ui) + "|" + ui.status() + "|" + ui.focusedControl(), "Option1 Option3|Lista Completa|Combo1");
}

TEST(StartUp, ListsEveryGearByModuleAsTextCharacterForCharacterWithNullsAddingNothing) {
    TempDatabase db;
    db.insertWithId(7, num(40), txt("0.4"), txt("C"), num(12));
    db.insertWithId(9, null(), txt("48"), null(), null());
    db.insertWithId(10, num(18), txt("120"), txt("P"), num(0));  // before 48 as text only
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    EXPECT_THAT(ui.comboRows(),
                ElementsAre("7   -      Denti  40\t         Modulo    0.4\t      Tipo    C\t    QTY   12",
                            "10   -      Denti  18\t         Modulo    120\t      Tipo    P\t    QTY   0",
                            "9   -      Denti  \t         Modulo    48\t      Tipo    \t    QTY   "));
    EXPECT_THAT(ui.listRows(),
                ElementsAre("7   -      Denti  40\t     Modulo  0.4\tTipo  C\t   QTY   12",
                            "10   -      Denti  18\t     Modulo  120\tTipo  P\t   QTY   0",
                            "9   -      Denti  \t     Modulo  48\tTipo  \t   QTY   "));
    EXPECT_EQ(ui.combo("Combo1")->currentIndex(), -1);
}

TEST_F(StartedWindow, TabVisitsFieldsButtonsAndEveryOptionInTabIndexOrderSkippingLabelsFramesAndCommand7) {
    std::vector<std::string> seen{ui.focusedControl()};
    for (int i = 0; i < 18; ++i) {
        QTest::keyClick(ui.window().windowHandle(), Qt::Key_Tab);
        seen.push_back(ui.focusedControl());
    }
    EXPECT_THAT(seen,
                ElementsAre("Combo1",
                            "List1",
                            "Text1",
                            "Text4",
                            "Command1",
                            "Command2",
                            "Command3",
                            "Command4",
                            "Command5",
                            "Command6",
                            "Option3",
                            "Option4",
                            "Option5",
                            "Option6",
                            "Option1",
                            "Option2",
                            "Combo2",
                            "Combo3",
                            "Combo1"));
}

TEST_F(StartedWindow, OptionGroupsEachKeepExactlyOneSelectionAndLeaveTheOtherGroupAlone) {
    Form1& f = ui.form();
    OptionButton* const byProgram[] = {&f.Option1, &f.Option2, &f.Option3, &f.Option4, &f.Option5, &f.Option6};
    const struct {
        int option;
        bool byMouse;
        const char* after;
    } steps[] = {
        {5, true, "Option1 Option5"},
        {2, true, "Option2 Option5"},
        {6, false, "Option2 Option6"},
        {1, false, "Option1 Option6"},
        {4, true, "Option1 Option4"},
        {3, false, "Option1 Option3"},
    };
    for (const auto& s : steps) {
        QRadioButton* button = ui.option("Option" + std::to_string(s.option));
        if (s.byMouse)
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        else
            byProgram[s.option - 1]->select();
        EXPECT_EQ(options(ui), s.after) << "Option" << s.option << (s.byMouse ? " by mouse" : " by program");
    }
}

TEST_F(StartedWindow, AProgramWriteToAComboRaisesNoClickNotEvenWhenTheFocusLeavesAMatchingText) {
    // Chosen by the operator, each would select an option or fill the editor.
    ui.form().Combo2.setText("P");
    ui.form().Combo3.setText("64");
    ui.form().Combo1.setText(ui.comboRows().at(0));
    for (const char* combo : {"Combo1", "Combo2", "Combo3"}) {
        ui.window().control(combo)->setFocus();
        QTest::keyClick(ui.window().windowHandle(), Qt::Key_Tab);
    }
    EXPECT_EQ(options(ui) + "|" + ui.text("Text1") + "|" + ui.status(), "Option1 Option3||Lista Completa");
}

TEST_F(StartedWindow, ComboRowsAppendedKeepTheirOrderAndTheTextAndClearingEmptiesTheText) {
    ComboBox& combo = ui.form().Combo1;
    combo.clear();
    combo.setText("kept");
    for (const char* row : {"b", "a", "10", "9"}) combo.addItem(row);
    EXPECT_EQ(ui.text("Combo1"), "kept");
    EXPECT_THAT(ui.comboRows(), ElementsAre("b", "a", "10", "9"));
    combo.clear();
    EXPECT_EQ(ui.text("Combo1"), "");
    EXPECT_TRUE(ui.comboRows().empty());
}

// Texts the offscreen keyboard never sends: X11's control characters, and above U+7FFF a negative code.
TEST(CharacterCode, IsTheClassicSignedCodeWhateverTextThePlatformSends) {
    EXPECT_EQ(characterCode(Qt::Key_X, Qt::ControlModifier, "\x18"), 24);
    EXPECT_EQ(characterCode(Qt::Key_Delete, Qt::NoModifier, "\x7f"), std::nullopt);
    EXPECT_EQ(characterCode(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xFF21))), std::int16_t(0xFF21 - 0x10000));
}

// Tab passes the key filter: the Tab-order test leaves every field by Tab.
TEST_F(StartedWindow, ACode0CancelsAKeyWhileEnterEscapeAndTheCloseBoxRunNoHandlerAndLeaveTheFileAlone) {
    ui.type("Text1", "2a5");
    EXPECT_EQ(ui.text("Text1"), "25");
    const auto written = std::filesystem::last_write_time(db.path());
    for (const char* field : {"Text1", "Text4", "Combo1", "Combo2", "Combo3", "List1"}) {
        for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(std::string(field) + " key " + std::to_string(key));
            ui.key(field, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            for (const char* button : {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6"})
                EXPECT_FALSE(ui.button(button)->isDown()) << button;
            EXPECT_TRUE(ui.window().isVisible());
            EXPECT_EQ(ui.status() + "|" + ui.text("Text1"), "Lista Completa|25");
        }
    }
    EXPECT_TRUE(ui.window().close());
    QCoreApplication::processEvents();
    EXPECT_EQ(ui.status() + "|" + ui.text("Text1"), "Lista Completa|25");
    EXPECT_EQ(std::filesystem::last_write_time(db.path()), written);
    EXPECT_TRUE(ui.failures().empty());
}

TEST(FailureGuard, AMissingDatabaseFailsOnceNamingThePathAtLoadAndInAHandlerAndCreatesNothing) {
    TempDatabase db;
    const std::filesystem::path missing = db.folder() / "NDB" / "DB.mdb";
    WindowHarness failed("driver={Microsoft Access Driver (*.mdb)};dbq=" + missing.string());
    EXPECT_FALSE(failed.start());
    EXPECT_EQ(failed.status(), "");  // no title
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    std::filesystem::remove(db.path());
    ui.press("Command1");  // LOAD ALL
    for (const auto& [window, path] : {std::pair{&failed, missing}, {&ui, db.path()}}) {
        ASSERT_EQ(window->failures().size(), 1u) << path;
        EXPECT_NE(window->failures()[0].number(), 0);
        EXPECT_THAT(window->failures()[0].description(), ::testing::HasSubstr(path.string()));
    }
    EXPECT_TRUE(std::filesystem::is_empty(db.folder()));
}

}  // namespace
}  // namespace zanfiro::testing
