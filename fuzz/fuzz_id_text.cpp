// The 16-bit ID conversion against a plain reading of its rule: blanks
// around, one sign, decimal digits; -32768..32767 comes back in plain
// decimal, a larger number overflows, anything else is a type mismatch.
#include <string>

#include "base/failure.h"
#include "check.h"
#include "editing/id_text.h"

using namespace zanfiro;

namespace {

// The expected outcome: the number's text, or "#6" / "#13".
std::string expected(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return "#13";
    for (const char c : text)
        if (c < '0' || c > '9') return "#13";
    while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
    if (text.size() > 5) return "#6";
    const long value = (negative ? -1 : 1) * std::stol(std::string(text));
    if (value < -32768 || value > 32767) return "#6";
    return std::to_string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text = asText(data, size);
    std::string outcome;
    try {
        outcome = idText(text);
        FUZZ_CHECK(idText(outcome) == outcome);
    } catch (const Failure& failure) {
        outcome = "#" + std::to_string(failure.number());
    }
    FUZZ_CHECK(outcome == expected(text));
    return 0;
}
