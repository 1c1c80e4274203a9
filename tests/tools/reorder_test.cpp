// The sheets that read the gears' levels, as the real zanfiro-db writes them and pdftotext reads them back: the
// reorder sheet with its CSV, and the stock sheet's summary page and marks; and how a long sheet shows its progress.
#include <gmock/gmock.h>

#include <sstream>

#include "pdf_read.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

// Gears of two sections and of no offered pair, some with levels (IDs from 1 in this order).
class LevelledStock : public Test {
protected:
    void SetUp() override {
        const struct {
            store::GearRecord gear;
            std::vector<std::string> levels;  // MIN [TARGET]: none when empty
        } shelf[] = {
            {gear(40, "0.4", "C", 3), {"5", "20"}},  // 1: below, up to the target: 17
            {gear(30, "0.4", "C", 5), {"5", "9"}},   // 2: at its minimum, not below
            {gear(20, "0.4", "C", 0), {"2"}},        // 3: none left, up to the minimum: 2
            {gear(50, "0.4", "C", 4), {}},           // 4: no levels
            {gear(11, "48", "P", 1), {"10", "10"}},  // 5: below: 9
            {gear(12, "48", "P", 7), {"0"}},         // 6: a minimum of 0, never below
            {gear(25, "0.5", "X", 0), {"1", "4"}},   // 7: of no offered pair: 4
        };
        for (const auto& [g, levels] : shelf) {
            seed(home.database, {g});
            if (levels.empty()) continue;
            std::vector<std::string> args{"levels", "set", std::to_string(gearsOf(home.database).size())};
            args.insert(args.end(), levels.begin(), levels.end());
            ASSERT_EQ(run(home.home, args).exit, 0);
        }
    }
    ProgramHome home{true, Engine::File};
};

TEST_F(LevelledStock, TheReorderSheetHoldsExactlyTheGearsBelowTheirMinimumWithWhatToOrder) {
    EXPECT_EQ(run(home.home, {"reorder", "--csv", "-o", "order.pdf"}).said(),
              "0 Wrote the reorder sheet (4 gears, 3 sections, 1 page) to " + (home.home / "order.pdf").string() +
                  "\nWrote the order of 32 pieces as CSV to " + (home.home / "order.csv").string() + "\n");
    EXPECT_EQ(bytesOf(home.home / "order.csv"),
              "ID,D,M,T,QTY,Minimum,Target,Order\r\n"
              "3,20,0.4,C,0,2,,2\r\n"
              "1,40,0.4,C,3,5,20,17\r\n"
              "5,11,48,P,1,10,10,9\r\n"
              "7,25,0.5,X,0,1,4,4\r\n");
    const auto page = pdfPages(home.home / "order.pdf").at(0);
    EXPECT_THAT(page.at(0), "Riordino ingranaggi Pagina 1 di 1");
    EXPECT_THAT(std::vector(page.begin() + 2, page.end()),
                ElementsAre("Corone Modulo 0.4",
                            "ID Denti QTY Minimo Obiettivo Da ordinare",
                            "3 20 0 2 2",
                            "1 40 3 5 20 17",
                            "Totale da ordinare: 19 pezzi",
                            "Pignioni Modulo 48",
                            "ID Denti QTY Minimo Obiettivo Da ordinare",
                            "5 11 1 10 10 9",
                            "Totale da ordinare: 9 pezzi",
                            "Altri ingranaggi (tipo o modulo fuori elenco)",
                            "ID Denti Modulo Tipo QTY Minimo Obiettivo Da ordinare",
                            "7 25 0.5 X 0 1 4 4",
                            "Totale da ordinare: 4 pezzi"));
}

TEST_F(LevelledStock, TheStockSheetOpensWithASummaryAndMarksGearsBelowTheirMinimum) {
    ASSERT_EQ(run(home.home, {"report", "-o", "stock.pdf"}).exit, 0);
    const auto pages = pdfPages(home.home / "stock.pdf");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_THAT(std::vector(pages[0].begin() + 2, pages[0].end()),
                ElementsAre("Pezzi per tipo e modulo",
                            "Corone Modulo 0.4 12",
                            "Pignioni Modulo 48 8",
                            "Altri ingranaggi (tipo o modulo fuori elenco) 0",
                            "Ingranaggi per tipo e modulo",
                            "Ingranaggi Pezzi Sotto scorta Esauriti",
                            "Corone Modulo 0.4 4 12 1 1",
                            "Pignioni Modulo 48 2 8 1 0",
                            "Altri ingranaggi (tipo o modulo fuori elenco) 1 0 0 1",
                            "Totale 7 20 2 2"));
    EXPECT_THAT(
        pages[1],
        IsSupersetOf({"3 20 0 esaurito", "1 40 3 sotto scorta", "2 30 5", "4 50 4", "5 11 1 sotto scorta", "6 12 7"}));
}

TEST(Progress, ALongSheetCountsItsPagesOnATerminalAndSaysNothingElsewhere) {
    ProgramHome home(true, Engine::File);
    std::vector<store::GearRecord> shelf;
    for (int i = 0; i < 300; ++i) shelf.push_back(gear(10 + i % 90, "48", "P", i % 7));
    seed(home.database, shelf);
    const std::string file = (home.home / "count.pdf").string();
    EXPECT_EQ(run(home.home, {"count-sheet", "-o", "count.pdf"}).said(),
              "0 Wrote the count sheet (300 gears, 1 section, 10 pages) to " + file + "\n");
    const Outcome terminal = runOnTerminal(home.home, {"count-sheet", "-o", "count.pdf"});
    EXPECT_EQ(terminal.exit, 0);
    EXPECT_THAT(terminal.out, StartsWith("\r\033[KPage 1 of 10"));
    // The line is cleared before the command says what it did.
    EXPECT_THAT(terminal.out,
                EndsWith("\r\033[KWrote the count sheet (300 gears, 1 section, 10 pages) to " + file + "\r\n"));
}

}  // namespace
}  // namespace zanfiro::testing
