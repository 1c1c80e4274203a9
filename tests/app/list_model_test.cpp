// The lists as an operator and a screen reader use them, after reloads, while the drop-down is open, and when a
// fill fails halfway.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTest>
#include <gmock/gmock.h>

#include "editing/list_all.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using ::testing::ElementsAreArray;

// Gear n (ID n) has 100 + n teeth, so LOAD ALL lists them by ID.
constexpr int kGears = 120;

struct ManyGears : ::testing::Test {
    void SetUp() override {
        auto session = store::openDatabase(db.path());
        session->begin();
        for (int n = 1; n <= kGears; ++n)
            store::insertGear(*session, {null(), num(100 + n), txt("48"), txt("C"), num(n)});
        session->commit();
        session.reset();
        ASSERT_TRUE(ui.start());
        reload();
    }
    void reload() {
        ASSERT_TRUE(ui.window().guard().run([this] { listAllGears(ui.form()); }));
    }
    QComboBox* combo() { return ui.combo("Combo1"); }
    QAbstractItemView* dropDown() { return combo()->view(); }
    QListView* list() { return ui.widget<QListView>("List1"); }
    int firstShownRow(QAbstractItemView* view) { return view->indexAt(QPoint(2, 2)).row(); }
    bool whollyShown(QAbstractItemView* view, int row) {
        const QRect place = view->visualRect(view->model()->index(row, 0));
        return place.top() >= 0 && place.bottom() < view->viewport()->height();
    }
    // The row of the open drop-down under the mouse, clicked once the drop-down takes clicks.
    void clickDropDownRow(int row) {
        QTest::qWait(QApplication::doubleClickInterval() + 50);  // a click that follows the opening one is ignored
        const QRect place = dropDown()->visualRect(dropDown()->model()->index(row, 0));
        QTest::mouseMove(dropDown()->viewport(), place.center());
        QTest::mouseClick(dropDown()->viewport(), Qt::LeftButton, {}, place.center());
    }
    TempDatabase db;
    WindowHarness ui{db};
};

struct Choice {
    const char* name;
    int row;                 // as it ends up chosen
    bool byMouse = false;    // else by Down presses from the highlighted top row
    bool lastFirst = false;  // the operator had chosen the last row before the reload
};

void PrintTo(const Choice& choice, std::ostream* out) { *out << choice.name; }

class ChoiceAfterReload : public ManyGears, public ::testing::WithParamInterface<Choice> {};

TEST_P(ChoiceAfterReload, OpensAtTheTopAndPicksTheWholeRowOnce) {
    const Choice choice = GetParam();
    if (choice.lastFirst) {
        ui.choose("Combo1", kGears - 1);
        ASSERT_EQ(ui.text("Text1"), std::to_string(100 + kGears));
        reload();
    }
    QSignalSpy clicks(combo(), &QComboBox::activated);
    combo()->setFocus();
    QTest::keyClick(ui.window().windowHandle(), Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(dropDown()->isVisible());
    EXPECT_EQ(firstShownRow(dropDown()), 0);
    if (choice.byMouse) {
        clickDropDownRow(choice.row);
    } else {
        for (int i = 0; i < choice.row; ++i) QTest::keyClick(dropDown(), Qt::Key_Down);
        QTest::keyClick(dropDown(), Qt::Key_Return);
    }
    EXPECT_FALSE(dropDown()->isVisible());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(ui.text("Combo1"), ui.comboRows().at(choice.row));
    EXPECT_EQ(ui.text("Text1") + " " + ui.text("Text4"),
              std::to_string(101 + choice.row) + " " + std::to_string(1 + choice.row));
}

INSTANTIATE_TEST_SUITE_P(
    Combo1, ChoiceAfterReload,
    ::testing::Values(Choice{.name = "ThirdRowByKeys", .row = 2, .byMouse = false},
                      Choice{.name = "FifthRowByMouse", .row = 4, .byMouse = true},
                      Choice{.name = "ByKeysAfterTheLast", .row = 1, .lastFirst = true},
                      Choice{.name = "ByMouseAfterTheLast", .row = 3, .byMouse = true, .lastFirst = true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ManyGears, ReloadUnderTheOpenDropDownChoosesNoRowUntilAMove) {
    QSignalSpy clicks(combo(), &QComboBox::activated);
    combo()->showPopup();
    for (int i = 0; i < 5; ++i) QTest::keyClick(dropDown(), Qt::Key_Down);
    reload();  // clears both lists and fills them anew
    EXPECT_TRUE(dropDown()->isVisible());
    QTest::keyClick(dropDown(), Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(ui.text("Combo1") + ui.text("Text1"), "");
    QTest::keyClick(dropDown(), Qt::Key_Down);
    QTest::keyClick(dropDown(), Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(ui.text("Text1"), "101");
}

TEST_F(ManyGears, TheListBoxScrollsToItsLastRowAndTheMouseSelectsARow) {
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_End);
    EXPECT_EQ(list()->currentIndex().row(), kGears - 1);
    EXPECT_TRUE(whollyShown(list(), kGears - 1));
    EXPECT_FALSE(whollyShown(list(), 0));
    QTest::keyClick(list(), Qt::Key_Home);
    EXPECT_TRUE(whollyShown(list(), 0));
    ui.clickListRow(3);
    EXPECT_EQ(list()->selectionModel()->selectedRows().value(0).row(), 3);
}

// The binding paints rows itself, to lay their text out once; they must look exactly as the style paints them,
// tab stops, selection and focus included, and a row wider than the list must not end in an ellipsis.
TEST_F(ManyGears, RowsLookAsTheStylePaintsThemWholeWithTheirTabs) {
    db.execute("UPDATE Gears SET M = '48 " + std::string(60, 'm') + "' WHERE ID = 2");
    reload();
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list()), dropDown()}) {
        if (view == dropDown()) combo()->showPopup();
        view->setFocus();
        view->setCurrentIndex(view->model()->index(1, 0));
        ASSERT_GT(view->visualRect(view->currentIndex()).width(), 0);
        const QImage ours = view->viewport()->grab().toImage();
        view->setItemDelegate(new QStyledItemDelegate(view));
        view->setTextElideMode(Qt::ElideNone);
        EXPECT_TRUE(view->viewport()->grab().toImage() == ours) << view->objectName().toStdString();
        view->setTextElideMode(Qt::ElideRight);
        EXPECT_FALSE(view->viewport()->grab().toImage() == ours) << "the wide row is cut off anyway";
    }
}

// What a screen reader is given for each row, tabs included.
std::vector<std::string> accessibleRows(QAbstractItemView* view) {
    QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(view);
    std::vector<std::string> texts;
    for (int i = 0; rows && i < rows->childCount(); ++i)
        texts.push_back(rows->child(i)->text(QAccessible::Name).toStdString());
    return texts;
}

TEST_F(ManyGears, AScreenReaderReadsEveryRowOfBothListsWithItsTabs) {
    const std::vector<std::string> comboRows = ui.comboRows(), listRows = ui.listRows();
    ASSERT_EQ(comboRows.size(), std::size_t{kGears});
    EXPECT_THAT(accessibleRows(dropDown()), ElementsAreArray(comboRows));
    EXPECT_THAT(accessibleRows(list()), ElementsAreArray(listRows));
}

TEST(Fill, RowsOfAnyLengthAndNumberComeBackAsAppended) {
    TempDatabase db;
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    std::vector<std::string> rows;
    for (int n = 0; n < 3000; ++n)
        rows.push_back(std::string(n % 97, static_cast<char>('a' + n % 26)) + "\t" + std::to_string(n));
    rows.insert(rows.begin() + 1000, std::string(70000, 'x'));  // longer than any block of rows
    rows.insert(rows.begin() + 2000, "");
    ui.window().guard().run([&] {
        for (const std::string& row : rows) ui.form().List1.addItem(row);
    });
    EXPECT_EQ(ui.listRows(), rows);
}

TEST(Fill, FailureHalfwayShowsTheRowsSoFarBehindTheDialog) {
    TempDatabase db;
    // Gears is a view whose fourth row by teeth fails while the walk reads it.
    db.execute("DROP TABLE Gears");
    db.execute("CREATE TABLE G (ID INTEGER PRIMARY KEY, D INTEGER, M TEXT, T TEXT, QTY INTEGER)");
    db.execute("CREATE INDEX ByTeeth ON G (D)");
    db.execute(
        "INSERT INTO G VALUES (1, 20, '48', 'C', 1), (2, 10, '48', 'C', 2), (3, 40, '48', 'C', 3), "
        "(4, 30, '48', 'C', 4), (5, 50, '48', 'C', 5)");
    db.execute(
        "CREATE VIEW Gears AS SELECT ID, D, M, T, "
        "CASE WHEN ID = 3 THEN abs(-9223372036854775807 - 1) ELSE QTY END AS QTY FROM G");
    WindowHarness ui(db);
    std::vector<std::string> shownAtFailure;
    ui.window().guard().setSink([&](const Failure&) {
        auto* list = ui.widget<QListView>("List1");
        for (int row = 0; row < list->model()->rowCount(); ++row)
            if (list->visualRect(list->model()->index(row, 0)).isValid())
                shownAtFailure.push_back(ui.listRows().at(row));
    });
    ui.start();
    ui.form().Combo1.setText("kept");
    ui.window().guard().run([&] { listAllGears(ui.form()); });
    EXPECT_THAT(shownAtFailure,
                ::testing::ElementsAre("2   -      Denti  10\t     Modulo  48\tTipo  C\t   QTY   2",
                                       "1   -      Denti  20\t     Modulo  48\tTipo  C\t   QTY   1",
                                       "4   -      Denti  30\t     Modulo  48\tTipo  C\t   QTY   4"));
    EXPECT_EQ(ui.comboRows().size(), 3u);
    EXPECT_EQ(ui.text("Combo1"), "");
}

}  // namespace
}  // namespace zanfiro::testing
