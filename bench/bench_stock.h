#pragma once

#include <filesystem>

namespace zanfiro {

// Fills the empty Gears table of `file` with `count` gears spread over the
// four modules and two types, in one transaction: the stock every
// benchmark measures.
void seedBenchStock(const std::filesystem::path& file, int count);

}  // namespace zanfiro
