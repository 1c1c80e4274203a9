#pragma once

// The PDFs zanfiro-db writes, read back as an operator sees them: their text page by page (pdftotext) and the
// QR codes a page shows when printed at 300 dpi (pdftoppm, then zbarimg).

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace zanfiro::testing {

// The pages of a PDF as pdftotext lays them out, lines with their blanks squeezed, blank lines left out.
inline std::vector<std::vector<std::string>> pdfPages(const std::filesystem::path& pdf) {
    const Outcome text = run(pdf.parent_path(), {"-layout", pdf.string(), "-"}, "pdftotext");
    EXPECT_EQ(text.exit, 0) << text.out;
    std::vector<std::vector<std::string>> pages(1);
    std::istringstream in(text.out);
    for (std::string line; std::getline(in, line);) {
        for (std::size_t feed; (feed = line.find('\f')) != std::string::npos; line.erase(0, feed + 1))
            pages.emplace_back();
        std::istringstream words(line);
        std::string word, squeezed;
        while (words >> word) squeezed += (squeezed.empty() ? "" : " ") + word;
        if (!squeezed.empty()) pages.back().push_back(squeezed);
    }
    while (!pages.empty() && pages.back().empty()) pages.pop_back();
    return pages;
}

}  // namespace zanfiro::testing
