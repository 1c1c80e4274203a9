#pragma once

#include <cstdint>
#include <string_view>

namespace zanfiro::tools {

enum class WholeNumber { Ok, NotWhole, TooLarge };

// Reads a whole number from the text form mdbtools gives: an optional sign,
// then decimal digits. Decimal columns may add a fraction of zeros
// ("12.000"); texts may not, since "1.000" in an Italian workshop means a
// thousand and not one.
WholeNumber parseWhole(std::string_view text, bool zeroFractionAllowed, std::int64_t& out);

}  // namespace zanfiro::tools
