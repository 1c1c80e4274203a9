#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zanfiro {

// Cuts a text at every occurrence of the separator, scanning from the left.
// Pieces may be empty; the empty text gives no piece at all.
std::vector<std::string> splitAt(std::string_view text, std::string_view separator);

}  // namespace zanfiro
