// FIND, and the refresh that SAVE and DELETE run: which gears they list, in which layout, under which title.
#include <gmock/gmock.h>

#include "filters/refresh.h"
#include "window_test.h"

namespace zanfiro::testing {
namespace {

using ::testing::Each;

// Every pair with teeth out of ID and QTY order, equal teeth, an empty pair, the ID range's ends, look-alikes.
class Stock : public WindowTest {
protected:
    void SetUp() override {
        open({
            {.ID = num(1), .D = num(40), .M = txt("0.4"), .T = txt("C"), .QTY = num(1)},
            {.ID = num(2), .D = num(9), .M = txt("0.4"), .T = txt("C"), .QTY = num(2)},
            {.ID = num(3), .D = num(100), .M = txt("0.4"), .T = txt("C"), .QTY = num(3)},
            {.ID = num(4), .D = num(40), .M = txt("0.4"), .T = txt("C"), .QTY = num(4)},
            {.ID = num(5), .D = num(12), .M = txt("0.4"), .T = txt("P"), .QTY = num(5)},
            {.ID = num(6), .D = num(30), .M = txt("0.6"), .T = txt("P"), .QTY = num(6)},
            {.ID = num(7), .D = num(40), .M = txt("0.6"), .T = txt("C"), .QTY = num(12)},
            {.ID = num(8), .D = num(25), .M = txt("0.6"), .T = txt("P"), .QTY = num(8)},
            {.ID = num(9), .D = num(50), .M = txt("48"), .T = txt("C"), .QTY = num(9)},
            {.ID = num(10), .D = num(15), .M = txt("48"), .T = txt("P"), .QTY = num(10)},
            {.ID = num(11), .D = num(15), .M = txt("48"), .T = txt("P"), .QTY = num(11)},
            {.ID = num(12), .D = num(8), .M = txt("48"), .T = txt("P"), .QTY = num(12)},
            {.ID = num(13), .D = num(70), .M = txt("64"), .T = txt("C"), .QTY = num(13)},
            {.ID = num(14), .D = num(1), .M = txt("0.4 "), .T = txt("C"), .QTY = num(0)},
            {.ID = num(15), .D = num(1), .M = txt("0.40"), .T = txt("C"), .QTY = num(0)},
            {.ID = num(16), .D = num(1), .M = txt("48 "), .T = txt("P"), .QTY = num(0)},
            {.ID = num(17), .D = num(1), .M = txt("0.4"), .T = txt("c"), .QTY = num(0)},
            {.ID = num(18), .D = num(1), .M = txt("48"), .T = txt("P "), .QTY = num(0)},
            {.ID = num(19), .D = num(20), .M = txt("0.6"), .T = txt("C"), .QTY = num(99)},
            {.ID = num(20), .D = num(30), .M = txt("48"), .T = txt("C"), .QTY = num(99)},
            {.ID = num(21), .D = num(60), .M = txt("64"), .T = txt("C"), .QTY = num(99)},
            {.ID = num(22), .D = num(10), .M = txt("0.4"), .T = txt("P"), .QTY = num(99)},
            {.ID = num(32767), .D = num(40), .M = txt("0.6"), .T = txt("P"), .QTY = num(3)},
            {.ID = num(-32768), .D = num(25), .M = txt("0.6"), .T = txt("P"), .QTY = num(4)},
            {.ID = num(23), .D = num(5), .M = txt(" 0.4"), .T = txt("C"), .QTY = num(3)},
            {.ID = num(24), .D = num(5), .M = txt("0.4"), .T = txt("C "), .QTY = num(3)},
            {.ID = num(25), .D = num(5), .M = txt("048"), .T = txt("P"), .QTY = num(3)},
            {.ID = num(26), .D = num(5), .M = txt("64.0"), .T = txt("P"), .QTY = num(3)},
        });
    }

    // The layout of each row of Combo1, told by what follows its ID.
    std::vector<std::string> layouts() const {
        std::vector<std::string> layouts;
        for (const std::string& row : ui.comboRows()) {
            const auto id = row.find(' ');
            layouts.push_back(row.find("   -      Denti  ") == id     ? "full list"
                              : row.find("    -    Denti   \t") == id ? "filtered"
                                                                      : row);
        }
        return layouts;
    }
};

TEST_F(Stock, FindShowsTheFilteredRowLayoutInBothLists) {
    ui.selectOptions(kCorona06);
    ui.press("Command6");
    EXPECT_EQ(ui.comboRows().at(1), "7    -    Denti   \t40\t      Modulo    0.6\t      Tipo    C\t    QTY   12");
    EXPECT_EQ(ui.listRows().at(1), "7    -    Denti \t40\t Modulo 0.6\tTipo  C\t   QTY   12");
}

// One type and module: the options that choose it, FIND's title and the IDs of its gears by teeth.
struct Pair {
    Options options;
    std::string title;
    std::vector<std::string> ids;
};
void PrintTo(const Pair& pair, std::ostream* out) { *out << pair.title; }

const Pair kPairs[] = {
    {.options = kCorona04, .title = "Lista Corone Modulo 0.4", .ids = {"2", "1", "4", "3"}},
    {.options = kCorona06, .title = "Lista Corone Modulo 0.6", .ids = {"19", "7"}},
    {.options = kCorona48, .title = "Lista Corone Modulo 48", .ids = {"20", "9"}},
    {.options = kCorona64, .title = "Lista Corone Modulo 64", .ids = {"21", "13"}},
    {.options = kPignone04, .title = "Lista Pignioni Modulo 0.4", .ids = {"22", "5"}},
    {.options = kPignone06, .title = "Lista Pignioni Modulo 0.6", .ids = {"-32768", "8", "6", "32767"}},
    {.options = kPignone48, .title = "Lista Pignioni Modulo 48", .ids = {"12", "10", "11"}},
    {.options = kPignone64, .title = "Lista Pignioni Modulo 64", .ids = {}},
};

// The pair's options chosen and the editor filled, which FIND leaves alone.
class PairOfStock : public Stock, public ::testing::WithParamInterface<Pair> {
protected:
    void SetUp() override {
        Stock::SetUp();
        ui.selectOptions(GetParam().options);
        ui.fillEditor(typed);
    }
    const Editor typed{.D = "99", .M = "0.6", .T = "P", .QTY = "5"};
};
INSTANTIATE_TEST_SUITE_P(, PairOfStock, ::testing::ValuesIn(kPairs), [](const auto& info) {
    std::string name;  // the title's letters and digits
    for (const char c : info.param.title)
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    return name;
});

TEST_P(PairOfStock, FindListsItsGearsByTeethUnderItsTitle) {
    ui.press("Command6");
    EXPECT_EQ(
        ui.shown(),
        (Shown{.status = GetParam().title, .editor = typed, .options = GetParam().options, .ids = GetParam().ids}));
}

TEST_P(PairOfStock, FindUsesTheFullListLayoutOnlyForCorona04) {
    ui.press("Command6");
    EXPECT_THAT(layouts(), Each(std::string(GetParam().title == "Lista Corone Modulo 0.4" ? "full list" : "filtered")));
}

TEST_F(Stock, RefreshUsesTheFilteredLayoutEvenForCorona04) {
    ui.selectOptions(kCorona04);
    ui.press("Command6");
    ui.fillEditor({.D = "99", .M = "0.4", .T = "C", .QTY = "5"});
    refreshFilteredList(ui.form());
    EXPECT_EQ(layouts(), std::vector<std::string>(4, "filtered"));
}

TEST_F(Stock, RefreshTakesTheTypeOnlyFromExactlyCOrPInCombo2) {
    ui.selectOptions(kCorona48);
    for (const std::string T : {"c", "", " C", "P "}) {
        const Editor typed{.D = "40", .M = "0.4", .T = T, .QTY = "3"};
        ui.fillEditor(typed);
        ui.form().Label1.setCaption("Record Eliminato");
        refreshFilteredList(ui.form());
        EXPECT_EQ(ui.shown(), (Shown{.status = "Record Eliminato", .editor = typed, .options = kCorona48}))
            << '"' << T << '"';
    }
}

// Gears without teeth or module, equal keys, modules that sort as text and teeth as numbers; gears 2 and 4 written
// last, which a server would return last among their equals.
class Unsorted : public WindowTest {
protected:
    void SetUp() override {
        for (const auto& [D, M] : std::vector<std::pair<store::Value, store::Value>>{{num(40), txt("0.6")},
                                                                                     {null(), txt("0.4")},
                                                                                     {num(40), null()},
                                                                                     {num(9), txt("0.4")},
                                                                                     {num(40), txt("0.4")},
                                                                                     {null(), txt("0.4")},
                                                                                     {num(9), txt("0.4")},
                                                                                     {num(100), txt("100")},
                                                                                     {num(5), txt("0.4 ")}})
            db.insert({.D = D, .M = M, .T = txt("C"), .QTY = num(1)});
        db.execute("UPDATE Gears SET QTY = 2 WHERE ID IN (2, 4)");
        open();
    }
};

TEST_F(Unsorted, StartUpListsGearsWithoutModuleFirstThenByModuleAndId) {
    EXPECT_EQ(ui.shown().ids, (std::vector<std::string>{"3", "2", "4", "5", "6", "7", "9", "1", "8"}));
}

TEST_F(Unsorted, LoadAllListsGearsWithoutTeethFirstThenByTeethAndId) {
    ui.press("Command1");
    EXPECT_EQ(ui.shown().ids, (std::vector<std::string>{"2", "6", "9", "4", "7", "1", "3", "5", "8"}));
}

TEST_F(Unsorted, FindListsGearsWithoutTeethFirstThenByTeethAndId) {
    ui.press("Command6");
    EXPECT_EQ(ui.shown().ids, (std::vector<std::string>{"2", "6", "4", "7", "5"}));
}

}  // namespace
}  // namespace zanfiro::testing
