#include "whole_number.h"

#include <charconv>

namespace zanfiro::tools {

WholeNumber parseWhole(std::string_view text, bool zeroFractionAllowed, std::int64_t& out) {
    if (zeroFractionAllowed) {
        const auto point = text.find('.');
        if (point != std::string_view::npos) {
            if (text.find_first_not_of('0', point + 1) != std::string_view::npos) return WholeNumber::NotWhole;
            text = text.substr(0, point);
        }
    }
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) text.remove_prefix(1);
    const std::string_view digits = !plus && !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return WholeNumber::NotWhole;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (error == std::errc::result_out_of_range) return WholeNumber::TooLarge;
    return error == std::errc() && end == text.data() + text.size() ? WholeNumber::Ok : WholeNumber::NotWhole;
}

}  // namespace zanfiro::tools
