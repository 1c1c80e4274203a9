#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "labels.h"

namespace zanfiro::tools {

// Draws a label per gear on A4 sheets of the layout, with Qt's own PDF
// writer: the QR code in vector squares placed on the grid of a 300 dpi
// printer, so that every module prints as whole dots. Says on a terminal
// how far it has come. Returns the number of pages.
std::size_t writeLabelsPdf(const std::vector<store::GearRecord>& gears, const LabelLayout& layout,
                           const std::filesystem::path& file);

}  // namespace zanfiro::tools
