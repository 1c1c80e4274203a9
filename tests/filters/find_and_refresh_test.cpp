#include "filters/refresh.h"
#include "window_test.h"

namespace zanfiro::testing {
namespace {

using Strings = std::vector<std::string>;
using Gear = std::tuple<int, const char*, const char*, int>;  // D, M, T, QTY

void seed(TempDatabase& db, const std::vector<Gear>& gears) {
    for (const auto& [D, M, T, QTY] : gears) db.insert(D, M, T, QTY);
}

// Every pair with teeth out of ID and QTY order, equal teeth, an empty pair, the ID range's ends, look-alikes.
class Stock : public WindowTest {
    void SetUp() override {
        seed(db, {{40, "0.4", "C", 1}, {9, "0.4", "C", 2},  {100, "0.4", "C", 3}, {40, "0.4", "C", 4},
                  {12, "0.4", "P", 5}, {30, "0.6", "P", 6}, {40, "0.6", "C", 12}, {25, "0.6", "P", 8},
                  {50, "48", "C", 9},  {15, "48", "P", 10}, {15, "48", "P", 11},  {8, "48", "P", 12},
                  {70, "64", "C", 13}, {1, "0.4 ", "C", 0}, {1, "0.40", "C", 0},  {1, "48 ", "P", 0},
                  {1, "0.4", "c", 0},  {1, "48", "P ", 0},  {20, "0.6", "C", 99}, {30, "48", "C", 99},
                  {60, "64", "C", 99}, {10, "0.4", "P", 99}});
        db.insertWithId(32767, num(40), txt("0.6"), txt("P"), num(3));
        db.insertWithId(-32768, num(25), txt("0.6"), txt("P"), num(4));
        open();
    }
};

TEST_F(Stock, FindShowsTheWorkedExampleCharacterForCharacterInBothLists) {
    ui.selectOptions({"Option1", "Option4"});
    ui.press("Command6");
    EXPECT_EQ(ui.comboRows().at(1), "7    -    Denti   \t40\t      Modulo    0.6\t      Tipo    C\t    QTY   12");
    EXPECT_EQ(ui.listRows().at(1), "7    -    Denti \t40\t Modulo 0.6\tTipo  C\t   QTY   12");
    EXPECT_EQ(ui.status(), "Lista Corone Modulo 0.6");
}

TEST_F(Stock, FindAndTheRefreshListExactlyThePairByTeethWithTheIdAtTheHeadOfEveryRowUnderFindsTitle) {
    const std::tuple<const char*, const char*, const char*, Strings> pairs[] = {
        {"C", "Option3", "Lista Corone Modulo 0.4", {"2", "1", "4", "3"}},
        {"C", "Option4", "Lista Corone Modulo 0.6", {"19", "7"}},
        {"C", "Option5", "Lista Corone Modulo 48", {"20", "9"}},
        {"C", "Option6", "Lista Corone Modulo 64", {"21", "13"}},
        {"P", "Option3", "Lista Pignioni Modulo 0.4", {"22", "5"}},
        {"P", "Option5", "Lista Pignioni Modulo 48", {"12", "10", "11"}},
        {"P", "Option4", "Lista Pignioni Modulo 0.6", {"-32768", "8", "6", "32767"}},
        {"P", "Option6", "Lista Pignioni Modulo 64", {}}};
    // FIND shows Corona with Modulo 0.4 in the full-list layout; the refresh never does.
    const auto expectLayout = [this](bool fullList) {
        for (const std::string& row : ui.comboRows())
            EXPECT_EQ(row.find(fullList ? "   -      Denti  " : "    -    Denti   \t"), row.find(' ')) << row;
    };
    for (const auto& [T, moduleOption, title, listed] : pairs) {
        SCOPED_TRACE(title);
        const Options chosen(T == std::string("C") ? "Option1" : "Option2", moduleOption);
        ui.selectOptions(chosen);
        const Editor editor{"99", "0.6", T, "5"};
        ui.fillEditor(editor);
        ui.press("Command6");
        EXPECT_EQ(ui.shown(), Shown(title, editor, chosen, listed));
        expectLayout(std::string(title) == "Lista Corone Modulo 0.4");
        refreshFilteredList(ui.form());
        EXPECT_EQ(ui.shown(), Shown(title, Editor{}, chosen, listed));
        expectLayout(false);
    }
}

TEST_F(Stock, RefreshTakesTheTypeOnlyFromExactlyCOrPInCombo2AndKeepsTheEditorOtherwise) {
    const Options corona48("Option1", "Option5");
    ui.selectOptions(corona48);
    for (const std::string T : {"c", "", " C", "P ", "P"}) {
        const Editor editor{"40", "0.4", T, "3"};
        ui.fillEditor(editor);
        ui.form().Label1.setCaption("Record Eliminato");
        refreshFilteredList(ui.form());
        EXPECT_EQ(ui.shown(),
                  T == "P" ? Shown("Record Eliminato", Editor{}, corona48, {"12", "10", "11"})
                           : Shown("Record Eliminato", editor, corona48, {}))
            << '"' << T << '"';
    }
}

}  // namespace
}  // namespace zanfiro::testing
