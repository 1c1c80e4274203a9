#include "base/text.h"

#include <algorithm>

namespace zanfiro {

std::string concat(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (const std::string_view piece : pieces) size += piece.size();
    // Sized once and copied into: every list row is made here, and appending
    // piece by piece checked the capacity each time.
    std::string out(size, '\0');
    char* next = out.data();
    for (const std::string_view piece : pieces) next = std::copy(piece.begin(), piece.end(), next);
    return out;
}

std::string counted(long long count, std::string_view one, std::string_view many) {
    return concat({std::to_string(count), " ", count == 1 ? one : many});
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

std::string_view trimmed(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace zanfiro
