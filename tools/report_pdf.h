#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "report.h"

namespace zanfiro::tools {

// Draws a sheet of gears as an A4 PDF with Qt's own PDF writer: on every
// page a header with the title, the date it was printed and "Pagina N di
// M", then, after the summary page where the sheet has one, the page's
// lines. Works without a display; says on a terminal how far it has come.
// Returns the number of pages.
std::size_t writeSheetPdf(const GearSheet& sheet, const std::filesystem::path& file);

// The lines a page holds at the sheet's line height.
std::size_t linesPerPage(double lineHeight);

// The lines a page of the stock sheet holds.
inline constexpr std::size_t kReportLinesPerPage = 50;

}  // namespace zanfiro::tools
