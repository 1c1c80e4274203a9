// Bin labels as the real zanfiro-db writes them: each page printed at 300 dpi (pdftoppm) and its QR codes read
// back (zbarimg) as a phone's camera reads them; the words on each label (pdftotext).
#include <gmock/gmock.h>

#include <numeric>
#include <set>
#include <sstream>

#include "pdf_read.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

// What the QR codes on one page of the PDF say, as a 300 dpi print of it is read.
std::multiset<std::string> qrCodesOn(const fs::path& pdf, int page) {
    const std::string number = std::to_string(page), png = (pdf.parent_path() / ("page-" + number)).string();
    const Outcome printed = run(pdf.parent_path(),
                                {"-r", "300", "-gray", "-png", "-singlefile", "-f", number, "-l", number, pdf, png},
                                "pdftoppm");
    EXPECT_EQ(printed.exit, 0) << printed.out;
    const Outcome read = run(
        pdf.parent_path(), {"--quiet", "--raw", "--nodbus", "-Sdisable", "-Sqrcode.enable", png + ".png"}, "zbarimg");
    std::multiset<std::string> codes;
    std::istringstream lines(read.out);
    for (std::string line; std::getline(lines, line);) codes.insert(line);
    return codes;
}

std::multiset<std::string> ids(int from, int to) {
    std::multiset<std::string> all;
    for (int id = from; id <= to; ++id) all.insert(std::to_string(id));
    return all;
}

// IDs 1 to 30: crown gears (1-20) and pinions (21-30), of module 0.4 (odd IDs) and 48 (even IDs), 10 to 39 teeth.
class Labels : public Test {
protected:
    void SetUp() override {
        std::vector<store::GearRecord> shelf;
        for (int i = 0; i < 30; ++i) shelf.push_back(gear(10 + i, i % 2 ? "48" : "0.4", i < 20 ? "C" : "P", i));
        seed(home.database, shelf);
    }
    ProgramHome home{true, Engine::File};
    const fs::path pdf = home.home / "labels.pdf";
};

TEST_F(Labels, EveryQrCodeOnEverySheetOfEachLayoutReadsBackAsItsGearsId) {
    const struct {
        const char* layout;
        int perSheet, sheets;
    } layouts[] = {{"3x8", 24, 2}, {"3x7", 21, 2}, {"2x7", 14, 3}};
    for (const auto& [layout, perSheet, sheets] : layouts) {
        SCOPED_TRACE(layout);
        EXPECT_EQ(
            run(home.home, {"labels", "--layout", layout, "-o", "labels.pdf"}).said(),
            "0 Wrote 30 labels on " + std::to_string(sheets) + " sheets of " + layout + " to " + pdf.string() + "\n");
        std::multiset<std::string> all;
        for (int page = 1; page <= sheets; ++page) {
            const auto codes = qrCodesOn(pdf, page);
            if (page == 1) {
                EXPECT_EQ(codes.size(), static_cast<std::size_t>(perSheet));
            }
            all.insert(codes.begin(), codes.end());
        }
        EXPECT_EQ(all, ids(1, 30));
    }
}

TEST_F(Labels, LabelsOfTheGivenIdsTellTeethModuleAndTypeInWords) {
    ASSERT_EQ(run(home.home, {"labels", "22", "5"}).said(),
              "0 Wrote 2 labels on 1 sheet of 3x8 to " + pdf.string() + "\n");
    EXPECT_EQ(qrCodesOn(pdf, 1), (std::multiset<std::string>{"22", "5"}));
    // Side by side on the sheet's first row, each label's lines beside the other's.
    EXPECT_THAT(pdfPages(pdf).at(0),
                ElementsAre("22 5", "Denti 31 Denti 14", "Modulo 48 Modulo 0.4", "Pignone Corona"));
}

TEST_F(Labels, TheQrCodesPrintAsWholeDotsAt300Dpi) {
    ASSERT_EQ(run(home.home, {"labels", "1", "-o", "labels.pdf"}).exit, 0);
    // The first label's left part, which holds its QR code and nothing else: 32 x 36 mm from its top left corner.
    const Outcome printed = run(home.home,
                                {"-r",
                                 "300",
                                 "-gray",
                                 "-x",
                                 "0",
                                 "-y",
                                 "6",
                                 "-W",
                                 "378",
                                 "-H",
                                 "425",
                                 "-singlefile",
                                 pdf.string(),
                                 (home.home / "qr").string()},
                                "pdftoppm");
    ASSERT_EQ(printed.exit, 0) << printed.out;
    const std::string pgm = bytesOf(home.home / "qr.pgm");
    const std::string pixels = pgm.substr(pgm.size() - 378 * 425);
    // A module's edge between two printer dots would print as grey dots, or leave modules a dot wider than others.
    EXPECT_EQ(std::ranges::count_if(pixels, [](char c) { return c != '\0' && c != '\xff'; }), 0);
    std::size_t dots = 0;  // the greatest common divisor of the lengths of the runs of one colour along the rows
    for (std::size_t row = 0; row < 425; ++row) {
        const std::string_view line = std::string_view(pixels).substr(row * 378, 378);
        for (std::size_t start = line.find('\0'), end; start != std::string_view::npos; start = end) {
            end = line.find_first_not_of(line[start], start);
            if (end == std::string_view::npos || line.find('\0', end) == std::string_view::npos) break;
            dots = std::gcd(dots, end - start);
        }
    }
    EXPECT_GE(dots, 8u) << "a QR module is " << dots << " dots";
}

TEST_F(Labels, AnIdNoGearHasIsRefusedAndNoSheetIsWritten) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"labels", "3", "31"}, "1 zanfiro-db: no gear has the ID 31; no labels were written (error 3317)\n"},
        {{"labels", "3", "31", "99"},
         "1 zanfiro-db: no gears have the IDs 31, 99; no labels were written (error 3317)\n"},
    };
    for (const auto& [args, said] : cases) EXPECT_EQ(run(home.home, args).said(), said);
    EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
}  // namespace zanfiro::testing
