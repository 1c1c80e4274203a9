#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zanfiro {

// The pieces joined with nothing between them, so that a statement or a row
// reads as the list of its pieces.
std::string concat(std::initializer_list<std::string_view> pieces);

// ASCII letters in lower case; other bytes (UTF-8 included) unchanged.
std::string lower(std::string_view text);
constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// "1 gear", "0 gears", "30 gears": a count with its noun.
std::string counted(long long count, std::string_view one, std::string_view many);

// The text without the given characters at either end.
std::string_view trimmed(std::string_view text, std::string_view blanks = " ");

}  // namespace zanfiro
