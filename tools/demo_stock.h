#pragma once

#include <filesystem>

namespace zanfiro::tools {

// Fills an empty Gears table with a small stock as a workshop keeps it:
// crown gears and pinions of the four modules. Refuses a table that holds
// gears already. Returns the number of gears written.
int writeDemoStock(const std::filesystem::path& database);

}  // namespace zanfiro::tools
