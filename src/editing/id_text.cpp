#include "editing/id_text.h"

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro {

std::int16_t toWholeNumber16(std::string_view text) {
    std::string_view number = trimmed(text);
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        throw Failure(failure::kTypeMismatch, "Type mismatch");
    std::int32_t magnitude = 0;
    for (const char digit : number) {
        magnitude = magnitude * 10 + (digit - '0');
        if (magnitude > 32768) throw Failure(failure::kOverflow, "Overflow");
    }
    const std::int32_t value = negative ? -magnitude : magnitude;
    if (value > 32767) throw Failure(failure::kOverflow, "Overflow");
    return static_cast<std::int16_t>(value);
}

std::string idText(std::string_view rowHead) { return std::to_string(toWholeNumber16(rowHead)); }

}  // namespace zanfiro
