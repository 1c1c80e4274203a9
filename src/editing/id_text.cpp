#include "editing/id_text.h"

#include "store/failure.h"

namespace zanfiro {

std::int16_t toWholeNumber16(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    std::string_view number =
        first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1);
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        throw store::Failure(store::failure::kTypeMismatch, "Type mismatch");
    std::int32_t magnitude = 0;
    for (const char digit : number) {
        magnitude = magnitude * 10 + (digit - '0');
        if (magnitude > 32768) throw store::Failure(store::failure::kOverflow, "Overflow");
    }
    const std::int32_t value = negative ? -magnitude : magnitude;
    if (value > 32767) throw store::Failure(store::failure::kOverflow, "Overflow");
    return static_cast<std::int16_t>(value);
}

std::string idText(std::string_view rowHead) { return std::to_string(toWholeNumber16(rowHead)); }

}  // namespace zanfiro
