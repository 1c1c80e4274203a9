#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zanfiro::tools {

// Rows printed as columns lined up by characters (UTF-8 letters and "→"
// take one place each), two blanks apart, the last column unpadded.
void printTable(const std::vector<std::vector<std::string>>& rows, std::ostream& out);

}  // namespace zanfiro::tools
