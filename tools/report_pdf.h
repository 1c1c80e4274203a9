#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "report.h"

namespace zanfiro::tools {

// Draws the stock sheet as an A4 PDF with Qt's own PDF writer: on every
// page a header with the title, the date it was printed and "Pagina N di
// M", then the page's lines. Works without a display. Returns the number
// of pages.
std::size_t writeReportPdf(const std::vector<ReportSection>& sections, const std::string& title,
                           const std::string& date, const std::filesystem::path& file);

// The lines a page of that PDF holds.
inline constexpr std::size_t kReportLinesPerPage = 50;

}  // namespace zanfiro::tools
