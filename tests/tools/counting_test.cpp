// Stocktaking with the real zanfiro-db: the count sheet and its CSV template, and counts applied all or nothing,
// on a file and (ZANFIRO_TEST_ENGINE=server) on the tests' PostgreSQL server.
#include <gmock/gmock.h>

#include "pdf_read.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

// Crown gears of 0.4 (IDs 1, 2), pinions of 48 (3, 4, 5).
class Counting : public Test {
protected:
    void SetUp() override {
        seed(home.database,
             {gear(40, "0.4", "C", 12),
              gear(60, "0.4", "C", 4),
              gear(11, "48", "P", 14),
              gear(13, "48", "P", 8),
              gear(17, "48", "P", 0)});
        stock = gearsOf(home.database);
    }
    Outcome zanfiroDb(const std::vector<std::string>& args) { return run(home.home, args); }
    void writeCounts(const std::string& text) { std::ofstream(home.home / "counts.csv") << text; }
    std::vector<std::int64_t> quantities() {
        std::vector<std::int64_t> qty;
        for (const auto& g : gearsOf(home.database)) qty.push_back(g.QTY.number());
        return qty;
    }
    ProgramHome home;
    std::vector<store::GearRecord> stock;
    const std::string counts = (home.home / "counts.csv").string();
};

TEST_F(Counting, TheSheetListsEachGearWithItsQuantityAndItsCsvIsTheTemplateToFillIn) {
    EXPECT_EQ(zanfiroDb({"count-sheet", "--type", "P", "--csv", "-o", "count.pdf"}).said(),
              "0 Wrote the count sheet (3 gears, 1 section, 1 page) to " + (home.home / "count.pdf").string() +
                  "\nWrote the counts to fill in as CSV to " + (home.home / "count.csv").string() + "\n");
    const auto page = pdfPages(home.home / "count.pdf").at(0);
    EXPECT_THAT(page.at(0), StartsWith("Inventario ingranaggi - Pignioni Pagina 1 di 1"));
    EXPECT_THAT(
        std::vector(page.begin() + 2, page.end()),
        ElementsAre("Pignioni Modulo 48", "ID Denti QTY Contati", "3 11 14", "4 13 8", "5 17 0", "Totale pezzi: 22"));
    EXPECT_EQ(bytesOf(home.home / "count.csv"),
              "ID,D,M,T,QTY,Counted\r\n3,11,48,P,14,\r\n4,13,48,P,8,\r\n5,17,48,P,0,\r\n");
}

TEST_F(Counting, ApplyShowsEveryDifferenceAndChangesNothingUntilTold) {
    writeCounts("ID,D,M,T,QTY,Counted\n1,40,0.4,C,12,10\n2,60,0.4,C,4,4\n3,11,48,P,14,\n5,17,48,P,0,3\n");
    EXPECT_EQ(zanfiroDb({"count", "apply", "counts.csv"}).said(),
              "0 Read 3 counts from " + counts +
                  ".\nCounted as the stock has it: 1 gear.\n\nDifferences from the stock:\n"
                  "ID  D   M    T  QTY  Counted  Difference\n"
                  "1   40  0.4  C  12   10       -2\n"
                  "5   17  48   P  0    3        +3\n"
                  "Nothing was changed. Run the command again with --yes to apply 2 corrections.\n");
    EXPECT_EQ(gearsOf(home.database), stock);
    EXPECT_THAT(zanfiroDb({"count", "apply", "--yes", "counts.csv"}).out,
                EndsWith("Applied 2 corrections to the stock.\n"));
    EXPECT_THAT(quantities(), ElementsAre(10, 4, 14, 8, 3));
}

TEST_F(Counting, AYesAtTheTerminalAppliesTheCountAndANoChangesNothing) {
    writeCounts("ID,Counted\n2,6\n");
    EXPECT_THAT(runOnTerminal(home.home, {"count", "apply", "counts.csv"}, "n\n").out,
                HasSubstr("Apply 1 correction to the stock? [y/N] "));
    EXPECT_EQ(gearsOf(home.database), stock);
    EXPECT_THAT(runOnTerminal(home.home, {"count", "apply", "counts.csv"}, "y\n").out,
                EndsWith("Applied 1 correction to the stock.\r\n"));
    EXPECT_THAT(quantities(), ElementsAre(12, 6, 14, 8, 0));
}

TEST_F(Counting, AFileWithAWrongLineNamesItAndAppliesNothing) {
    writeCounts("ID,Counted\n1,10\n2,zwei\n7,1\n");
    EXPECT_EQ(zanfiroDb({"count", "apply", "--yes", "counts.csv"}).said(),
              "1 zanfiro-db: " + counts +
                  " has wrong lines; nothing was changed:\n"
                  "  line 3: the count is a whole number of 0 or more, not \"zwei\"\n"
                  "  line 4: no gear has the ID 7 (error 3317)\n");
    EXPECT_EQ(gearsOf(home.database), stock);
}

TEST_F(Counting, HistoryShowsEachCorrectionAsCountedSignedAndALaterSaveAsChanged) {
    writeCounts("ID,Counted\n1,10\n");
    ASSERT_EQ(zanfiroDb({"count", "apply", "--yes", "counts.csv"}).exit, 0);
    auto session = store::openDatabase(home.database);
    session->begin();
    session->recordUpdatesAsCounts();
    session->commit();
    session->execute("UPDATE Gears SET QTY = 9 WHERE ID = 1");  // a SAVE, on a connection that counted before
    EXPECT_THAT(historyLines(home.home, {"1"}),
                ElementsAre("ID D M T QTY Who Where",
                            "changed 1 40 0.4 C 10 → 9 " + signedBy("counting_tests"),
                            "counted 1 40 0.4 C 12 → 10 " + signedBy("zanfiro-db"),
                            StartsWith("inserted 1 ")));
}

TEST_F(Counting, AGearChangedSinceTheSheetWasPrintedIsHeldBackUnlessForced) {
    zanfiroDb({"count-sheet", "--csv", "-o", "count.pdf"});
    std::string sheet = bytesOf(home.home / "count.csv");
    for (const auto& [line, counted] : {std::pair{"1,40,0.4,C,12,", "11"}, {"3,11,48,P,14,", "13"}})
        sheet.insert(sheet.find(line) + std::string(line).size(), counted);
    std::ofstream(counts) << sheet;
    store::openDatabase(home.database)->execute("UPDATE Gears SET QTY = 9 WHERE ID = 3");  // a SAVE since printing

    const Outcome held = zanfiroDb({"count", "apply", "--yes", "counts.csv"});
    EXPECT_THAT(held.out,
                HasSubstr("Changed since the sheet was printed, left as they are (--force applies them):\n"
                          "ID  D   M   T  Printed  QTY now  Counted\n"
                          "3   11  48  P  14       9        13\n"));
    EXPECT_THAT(held.out, EndsWith("Applied 1 correction to the stock.\n"));
    EXPECT_THAT(quantities(), ElementsAre(11, 4, 9, 8, 0));

    EXPECT_THAT(zanfiroDb({"count", "apply", "--yes", "--force", "counts.csv"}).out,
                EndsWith("Applied 1 correction to the stock.\n"));
    EXPECT_THAT(quantities(), ElementsAre(11, 4, 13, 8, 0));
}

}  // namespace
}  // namespace zanfiro::testing
