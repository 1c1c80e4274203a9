#include <gtest/gtest.h>

#include <algorithm>

#include "editing/id_text.h"
#include "filters/refresh.h"
#include "shown_gears.h"

namespace zanfiro::testing {
namespace {

using Strings = std::vector<std::string>;

TEST(Find, ListsCoronaModulo06InTheFilteredLayoutCharacterForCharacter) {
    TempDatabase db;
    db.insertWithId(7, num(40), txt("0.6"), txt("C"), num(12));
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    selectOptions(ui, "Option1", "Option4");
    ui.press("Command6");
    EXPECT_EQ(ui.comboRows(), Strings{"7    -    Denti   \t40\t      Modulo    0.6\t      Tipo    C\t    QTY   12"});
    EXPECT_EQ(ui.listRows(), Strings{"7    -    Denti \t40\t Modulo 0.6\tTipo  C\t   QTY   12"});
    EXPECT_EQ(ui.status(), "Lista Corone Modulo 0.6");
}

TEST(Find, ListsCoronaModulo04InTheFullListLayoutWhileTheRefreshUsesTheFilteredOne) {
    TempDatabase db;
    db.insertWithId(7, num(40), txt("0.4"), txt("C"), num(12));
    WindowHarness ui(db);
    ASSERT_TRUE(ui.start());
    ui.press("Command6");  // Corona and Modulo 0.4 are the start-up choice
    EXPECT_EQ(ui.comboRows(), Strings{"7   -      Denti  40\t         Modulo    0.4\t      Tipo    C\t    QTY   12"});
    EXPECT_EQ(ui.listRows(), Strings{"7   -      Denti  40\t     Modulo  0.4\tTipo  C\t   QTY   12"});
    EXPECT_EQ(ui.status(), "Lista Corone Modulo 0.4");

    ui.form().Combo2.setText("C");
    refreshFilteredList(ui.form());
    EXPECT_EQ(ui.comboRows(), Strings{"7    -    Denti   \t40\t      Modulo    0.4\t      Tipo    C\t    QTY   12"});
    EXPECT_EQ(ui.listRows(), Strings{"7    -    Denti \t40\t Modulo 0.4\tTipo  C\t   QTY   12"});
    EXPECT_EQ(ui.status(), "Lista Corone Modulo 0.4");
}

// One database holding every pair, some with equal teeth, one pair without
// gears, and modules and types that only look like the offered ones.
struct SeededStock {
    TempDatabase db;
    std::vector<ShownGear> gears;

    SeededStock() {
        const auto add = [this](std::int64_t D, const char* M, const char* T) {
            gears.push_back(seedGear(db, D, M, T, static_cast<std::int64_t>(gears.size()) + 1));
        };
        add(40, "0.4", "C");
        add(9, "0.4", "C");
        add(100, "0.4", "C");
        add(40, "0.4", "C");
        add(12, "0.4", "P");
        add(30, "0.6", "C");
        add(20, "0.6", "C");
        add(25, "0.6", "P");
        add(50, "48", "C");
        add(15, "48", "P");
        add(15, "48", "P");
        add(8, "48", "P");
        add(70, "64", "C");
        for (const char* M : {"0.4 ", "0.40", " 0.4", "0,4", "64.0"}) add(1, M, "C");
        add(1, "0.4", "c");
        add(1, "48", "P ");
        // The extremes of the ID range, to read them back from row heads.
        db.insertWithId(32767, num(40), txt("0.6"), txt("P"), num(3));
        db.insertWithId(-32768, num(25), txt("0.6"), txt("P"), num(4));
        gears.push_back({32767, "40", "0.6", "P", "3"});
        gears.push_back({-32768, "25", "0.6", "P", "4"});
    }

    // The pair's gears ascending by teeth; the engine walks the table by ID,
    // so gears with equal teeth come in ID order.
    std::vector<ShownGear> pair(const std::string& M, const std::string& T) const {
        std::vector<ShownGear> found;
        std::ranges::copy_if(gears, std::back_inserter(found), [&](const ShownGear& g) { return g.M == M && g.T == T; });
        std::ranges::sort(found, [](const ShownGear& a, const ShownGear& b) {
            return std::pair(std::stoi(a.D), a.id) < std::pair(std::stoi(b.D), b.id);
        });
        return found;
    }
};

TEST(Find, ListsExactlyTheChosenPairByTeethUnderItsTitleAndLeavesTheEditorAlone) {
    struct Case {
        const char *typeOption, *moduleOption, *T, *M, *title;
    };
    const Case cases[] = {
        {"Option1", "Option3", "C", "0.4", "Lista Corone Modulo 0.4"},
        {"Option1", "Option4", "C", "0.6", "Lista Corone Modulo 0.6"},
        {"Option1", "Option5", "C", "48", "Lista Corone Modulo 48"},
        {"Option1", "Option6", "C", "64", "Lista Corone Modulo 64"},
        {"Option2", "Option3", "P", "0.4", "Lista Pignioni Modulo 0.4"},
        {"Option2", "Option4", "P", "0.6", "Lista Pignioni Modulo 0.6"},
        {"Option2", "Option5", "P", "48", "Lista Pignioni Modulo 48"},
        {"Option2", "Option6", "P", "64", "Lista Pignioni Modulo 64"},
    };
    SeededStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    const Editor editor{"99", "0.6", "P", "5"};  // a gear of another pair
    fillEditor(ui, editor);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        selectOptions(ui, c.typeOption, c.moduleOption);
        ui.press("Command6");
        const bool fullList = std::string(c.T) == "C" && std::string(c.M) == "0.4";
        const auto gears = stock.pair(c.M, c.T);
        EXPECT_EQ(shownRows(ui), expectedRows(fullList ? Layout::FullList : Layout::Filtered, gears));
        EXPECT_EQ(ui.status(), c.title);
        EXPECT_EQ(editorOf(ui), editor);
        EXPECT_EQ(options(ui), Options(c.typeOption, c.moduleOption));
        // Both controls' rows give their gear's ID back when cut at two spaces.
        for (const Strings& rows : {ui.comboRows(), ui.listRows()}) {
            ASSERT_EQ(rows.size(), gears.size());
            for (std::size_t i = 0; i < gears.size(); ++i)
                EXPECT_EQ(idText(splitAt(rows[i], "  ").at(0)), std::to_string(gears[i].id)) << rows[i];
        }
    }
}

TEST(Refresh, ListsNothingAndKeepsTheEditorUnlessTheTypeIsExactlyCOrP) {
    SeededStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    for (const char* type : {"c", "p", "", " C", "C ", "P\t", "CP"}) {
        SCOPED_TRACE(std::string("type '") + type + "'");
        const Editor editor{"40", "0.4", type, "3"};
        fillEditor(ui, editor);
        ui.form().Label1.setCaption("Record Eliminato");
        refreshFilteredList(ui.form());
        EXPECT_EQ(shownRows(ui), Rows{});
        EXPECT_EQ(editorOf(ui), editor);
        EXPECT_EQ(ui.status(), "Record Eliminato");
    }
}

TEST(Refresh, TakesTheTypeFromCombo2AndTheModuleFromTheOptionsAndEmptiesTheEditor) {
    struct Case {
        const char *T, *typeOption, *moduleOption, *module, *combo3;
    };
    const Case cases[] = {
        {"P", "Option1", "Option5", "48", "0.4"},  // Corona selected, pinions listed
        {"C", "Option2", "Option4", "0.6", "64"},
        {"C", "Option1", "Option3", "0.4", ""},
        {"P", "Option2", "Option6", "64", "64"},  // no gears: lists empty, editor emptied
    };
    SeededStock stock;
    WindowHarness ui(stock.db);
    ASSERT_TRUE(ui.start());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.T) + " " + c.module);
        selectOptions(ui, c.typeOption, c.moduleOption);
        fillEditor(ui, {"40", c.combo3, c.T, "3"});
        ui.form().Label1.setCaption("Inserimento effettuato con successo");
        refreshFilteredList(ui.form());
        EXPECT_EQ(shownRows(ui), expectedRows(Layout::Filtered, stock.pair(c.module, c.T)));
        EXPECT_EQ(editorOf(ui), (Editor{"", "", "", ""}));
        EXPECT_EQ(ui.status(), "Inserimento effettuato con successo");
        EXPECT_EQ(options(ui), Options(c.typeOption, c.moduleOption));
    }
}

}  // namespace
}  // namespace zanfiro::testing
