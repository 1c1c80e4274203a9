#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zanfiro {

// The program's conversion of a text to a signed 16-bit whole number.
// Surrounding spaces and one leading '+' or '-' are accepted; then only
// decimal digits. Anything else is a type-mismatch failure (13), a number
// outside -32768..32767 an overflow failure (6).
std::int16_t toWholeNumber16(std::string_view text);

// The ID text of a selected row: its head converted to a 16-bit whole number
// and written back in plain decimal ("007" gives "7").
std::string idText(std::string_view rowHead);

}  // namespace zanfiro
