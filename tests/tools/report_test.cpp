// The printed stock sheet: its sections, order, totals and pages as tools/report works them out, and the PDF
// that `zanfiro-db report` writes, read back page by page with pdftotext.
#include "report.h"

#include <gmock/gmock.h>

#include <ctime>
#include <iomanip>
#include <map>
#include <sstream>

#include "form/control_table.h"
#include "pdf_read.h"
#include "report_pdf.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;
using tools::ReportFilter;
using zanfiro::testing::gear;  // the one without an ID, for the database

// A gear with its ID, for the sheet worked out without a database.
store::GearRecord gear(std::int64_t id, store::Value D, store::Value M, store::Value T, store::Value QTY) {
    return {.ID = num(id), .D = std::move(D), .M = std::move(M), .T = std::move(T), .QTY = std::move(QTY)};
}
store::GearRecord gear(std::int64_t id, std::int64_t D, std::string M, std::string T, std::int64_t QTY) {
    return gear(id, num(D), txt(std::move(M)), txt(std::move(T)), num(QTY));
}

// A section as "heading: IDs in order | total".
std::vector<std::string> described(const std::vector<tools::ReportSection>& sections) {
    std::vector<std::string> lines;
    for (const auto& section : sections) {
        std::string line = section.heading + ":";
        for (const auto& g : section.gears) line += " " + g.ID.text();
        lines.push_back(line + " | " + tools::totalText(section));
    }
    return lines;
}

std::vector<std::string> entries(std::string_view control) {
    for (const auto& c : controlTable())
        if (c.name == control) return {c.entries.begin(), c.entries.end()};
    return {};
}

TEST(Report, SectionsAreTheTypesAndModulesOfTheWindowsDropDowns) {
    std::vector<std::string> types, modules{std::begin(tools::kReportModules), std::end(tools::kReportModules)};
    for (const auto& type : tools::kReportTypes) types.emplace_back(type.code);
    EXPECT_EQ(types, entries("Combo2"));
    EXPECT_EQ(modules, entries("Combo3"));
}

TEST(Report, EachSectionListsItsGearsByTeethAsNumbersWithTheTotalOfPieces) {
    // IDs out of teeth order; 9 before 10 before 100 only when sorted as numbers.
    const std::vector<store::GearRecord> stock{
        gear(1, 100, "0.4", "C", 2),
        gear(2, 9, "0.4", "C", 0),
        gear(3, 10, "0.4", "C", 5),
        gear(4, txt("12a"), txt("0.4"), txt("C"), txt("tre")),
        gear(5, null(), txt("0.4"), txt("C"), null()),
        gear(6, 10, "0.4", "C", 1),
        gear(7, 30, "48", "P", 0),
        gear(8, 20, "48", "P", 4),
        gear(9, 20, "0.4 ", "C", 6),  // a module as FIND would not find it
        gear(10, 20, "0.4", "c", 7),  // neither a type
        gear(11, 25, "64", "", 1),
        gear(12, null(), null(), txt("P"), num(3)),
        gear(13, 15, "0.6", "X", 0),
    };
    const std::string others = "Altri ingranaggi (tipo o modulo fuori elenco):";
    const struct {
        const char* what;
        ReportFilter filter;
        std::vector<std::string> sections;
    } cases[] = {
        {.what = "everything",
         .filter = {},
         .sections = {"Corone Modulo 0.4: 2 3 6 1 4 5 | Totale pezzi: 8 (2 quantità non numeriche escluse)",
                      "Pignioni Modulo 48: 8 7 | Totale pezzi: 4",
                      others + " 11 9 12 13 10 | Totale pezzi: 17"}},
        {.what = "the pinions", .filter = {.type = "P"}, .sections = {"Pignioni Modulo 48: 8 7 | Totale pezzi: 4"}},
        {.what = "module 0.4",
         .filter = {.module = "0.4"},
         .sections = {"Corone Modulo 0.4: 2 3 6 1 4 5 | Totale pezzi: 8 (2 quantità non numeriche escluse)"}},
        {.what = "out of stock",
         .filter = {.outOfStockOnly = true},
         .sections = {"Corone Modulo 0.4: 2 | Totale pezzi: 0",
                      "Pignioni Modulo 48: 7 | Totale pezzi: 0",
                      others + " 13 | Totale pezzi: 0"}},
    };
    for (const auto& [what, filter, sections] : cases)
        EXPECT_EQ(described(tools::stockSections(stock, filter)), sections) << what;
}

// A page as letters: g gap, H heading, h heading going on, c column heads, G gear, T total, N no gears.
std::string pagesOf(const std::vector<std::size_t>& sizes, std::size_t linesPerPage) {
    std::vector<tools::ReportSection> sections;
    for (std::size_t size : sizes)
        sections.push_back({.heading = "S", .gears = std::vector<store::GearRecord>(size, gear(1, 20, "0.4", "C", 1))});
    std::string text;
    for (const auto& page : tools::paginate(sections, linesPerPage)) {
        text += text.empty() ? "" : "|";
        for (const auto& line : page)
            text += "gHcGTN"[static_cast<int>(line.kind)] + std::string(line.continued ? "'" : "");
    }
    return text;
}

TEST(Report, PagesRepeatAHeadingThatGoesOnAndKeepEachTotalWithItsLastGear) {
    const struct {
        std::vector<std::size_t> sections;  // gears in each
        std::size_t lines;                  // a page
        const char* pages;
    } cases[] = {
        {.sections = {}, .lines = 5, .pages = "N"},
        {.sections = {1}, .lines = 5, .pages = "HcGT"},
        {.sections = {2, 1}, .lines = 10, .pages = "HcGGTgHcGT"},
        {.sections = {2, 1}, .lines = 9, .pages = "HcGGT|HcGT"},  // no room for gap, heading, heads, gear, total
        {.sections = {3}, .lines = 5, .pages = "HcGG|H'cGT"},     // the last gear goes over with its total
        {.sections = {7}, .lines = 5, .pages = "HcGGG|H'cGGG|H'cGT"},
        {.sections = {3, 2}, .lines = 10, .pages = "HcGGGTgHcG|H'cGT"},
        {.sections = {3, 2}, .lines = 9, .pages = "HcGGGT|HcGGT"},  // never a heading without a gear below it
    };
    for (const auto& [sections, lines, pages] : cases)
        EXPECT_EQ(pagesOf(sections, lines), pages) << sections.size() << " sections, " << lines << " lines";
}

// -- The PDF, as the real program writes it.

std::string todayItalian() {
    const std::time_t now = std::time(nullptr);
    std::ostringstream text;
    text << std::put_time(std::localtime(&now), "%d/%m/%Y");
    return text.str();
}

TEST(Report, APdfOf300GearsReadsRightPageByPage) {
    ProgramHome home;
    std::vector<store::GearRecord> shelf;
    const char* types[] = {"P", "C"};
    const char* modules[] = {"64", "48", "0.6", "0.4"};
    // Teeth repeat and run against the IDs; every 11th gear is out of stock; one in 30 is of no offered pair.
    for (int i = 0; i < 300; ++i) {
        const char* module = i % 30 == 29 ? "0.5" : modules[i % 4];
        shelf.push_back(gear(200 - i % 97, module, types[(i / 4) % 2], i % 11 == 0 ? 0 : i % 13 + 1));
    }
    seed(home.database, shelf);
    const auto stock = gearsOf(home.database);
    const std::string date = todayItalian();
    const Outcome outcome = run(home.home, {"report", "-o", "stock.pdf"});
    const auto sections = tools::stockSections(stock, {});
    const auto expectedPages = tools::paginate(sections, tools::kReportLinesPerPage);
    ASSERT_EQ(outcome.said(),
              "0 Wrote the stock sheet (300 gears, 9 sections, " + std::to_string(expectedPages.size() + 1) +
                  " pages) to " + (home.home / "stock.pdf").string() + "\n");
    ASSERT_GE(expectedPages.size(), 6u);
    const auto pages = pdfPages(home.home / "stock.pdf");
    ASSERT_EQ(pages.size(), expectedPages.size() + 1);  // the summary first

    // Every page after the summary: the header with the date and its number, then the lines the sheet puts on it.
    std::map<std::string, std::int64_t> totals;  // by heading, added up from the rows printed
    std::vector<std::string> order;
    std::string current;
    std::map<std::int64_t, int> printed;  // how often each ID appears
    for (std::size_t p = 1; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const auto& lines = pages[p];
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[0],
                  "Magazzino ingranaggi Pagina " + std::to_string(p + 1) + " di " + std::to_string(pages.size()));
        EXPECT_EQ(lines[1], "Stampato il " + date);
        for (std::size_t i = 2; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            std::smatch m;
            if (std::regex_match(
                    line, m, std::regex(R"((Corone|Pignioni) Modulo \S+( \(segue\))?|Altri ingranaggi.*)"))) {
                const std::string heading = std::regex_replace(line, std::regex(R"( \(segue\)$)"), "");
                EXPECT_EQ(m[2].matched, heading == current) << line;
                if (heading != current) order.push_back(heading);
                current = heading;
            } else if (std::regex_match(line, m, std::regex(R"((\d+) (\d+) (\S+ \S+ )?(\d+)( esaurito)?)"))) {
                const std::int64_t id = std::stoll(m[1]), qty = std::stoll(m[4]);
                const store::GearRecord& g = stock.at(static_cast<std::size_t>(id - 1));
                EXPECT_EQ(std::stoll(m[2]), g.D.number()) << line;
                EXPECT_EQ(qty, g.QTY.number()) << line;
                EXPECT_EQ(m[5].matched, qty == 0) << line;
                totals[current] += qty;
                ++printed[id];
            } else if (std::regex_match(line, m, std::regex(R"(Totale pezzi: (\d+))"))) {
                EXPECT_EQ(std::stoll(m[1]), totals[current]) << current;
            } else {
                EXPECT_THAT(line, AnyOf("ID Denti QTY", "ID Denti Modulo Tipo QTY"));
            }
        }
    }
    // Crowns first, each type's modules as its drop-down lists them, other gears last.
    EXPECT_THAT(order,
                ElementsAre("Corone Modulo 0.4",
                            "Corone Modulo 0.6",
                            "Corone Modulo 48",
                            "Corone Modulo 64",
                            "Pignioni Modulo 0.4",
                            "Pignioni Modulo 0.6",
                            "Pignioni Modulo 48",
                            "Pignioni Modulo 64",
                            "Altri ingranaggi (tipo o modulo fuori elenco)"));
    EXPECT_EQ(printed.size(), 300u);
    EXPECT_THAT(printed, Each(Pair(_, 1)));
}

TEST(Report, AFilteredPdfHoldsOnlyWhatWasAskedAndWrongOptionsAreRefused) {
    ProgramHome home;
    seed(home.database, {gear(20, "48", "P", 0), gear(12, "48", "P", 3), gear(30, "48", "C", 0)});
    const Outcome filtered = run(home.home, {"report", "--type=P", "--module", "48", "--out-of-stock", "-o", "p.pdf"});
    ASSERT_THAT(filtered.said(), StartsWith("0 Wrote the stock sheet (1 gear, 1 section, 2 pages) to "));
    EXPECT_THAT(pdfPages(home.home / "p.pdf").at(1),
                ElementsAre("Magazzino ingranaggi - Pignioni, Modulo 48, solo esauriti Pagina 2 di 2",
                            "Stampato il " + todayItalian(),
                            "Pignioni Modulo 48",
                            "ID Denti QTY",
                            "1 20 0 esaurito",
                            "Totale pezzi: 0"));
    const Outcome none = run(home.home, {"report", "--type", "C", "--module", "0.6", "-o", "none.pdf"});
    ASSERT_THAT(none.said(), StartsWith("0 Wrote the stock sheet (0 gears, 0 sections, 1 page)"));
    EXPECT_THAT(pdfPages(home.home / "none.pdf").at(0), Contains("Nessun ingranaggio."));

    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"report", "--type", "X"}, "2 zanfiro-db: --type is C (crown gears) or P (pinions), not X"},
        {{"report", "--module=0.5"}, "2 zanfiro-db: --module is 0.4, 0.6, 48 or 64, not 0.5"},
        {{"report", "--module"}, "2 zanfiro-db: --module needs 0.4|0.6|48|64"},
        {{"report", "--out-of-stock=yes"}, "2 zanfiro-db: --out-of-stock takes no value"},
        {{"report", "-o", "missing/stock.pdf"}, "1 zanfiro-db: cannot write the PDF file "},
    };
    for (const auto& [args, said] : wrong) {
        const std::string before = everything(home.home);
        EXPECT_THAT(run(home.home, args).said(), StartsWith(said));
        EXPECT_EQ(everything(home.home), before);
    }
}

}  // namespace
}  // namespace zanfiro::testing
