// The Access import's whole numbers against the rule they follow: one
// sign, decimal digits and, for decimal columns, a fraction of zeros; a
// number beyond 64 bits is too large, anything else no whole number.
#include <regex>
#include <string>

#include "check.h"
#include "whole_number.h"

using zanfiro::tools::WholeNumber;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size > 64) return 0;  // the rule's regex reference is slow on long texts
    const std::string text(asText(data, size));
    static const std::regex whole(R"([+-]?([0-9]+))"), decimal(R"([+-]?([0-9]+)(\.0*)?)");
    for (const bool fractionAllowed : {false, true}) {
        std::int64_t number = 0;
        const WholeNumber outcome = zanfiro::tools::parseWhole(text, fractionAllowed, number);
        std::smatch match;
        if (!std::regex_match(text, match, fractionAllowed ? decimal : whole)) {
            FUZZ_CHECK(outcome == WholeNumber::NotWhole);
            continue;
        }
        const std::string sign = text[0] == '-' ? "-" : "";
        std::string digits = match[1];
        while (digits.size() > 1 && digits.front() == '0') digits.erase(0, 1);
        if (outcome == WholeNumber::TooLarge) {
            FUZZ_CHECK(digits.size() >= 19);
            continue;
        }
        FUZZ_CHECK(outcome == WholeNumber::Ok);
        FUZZ_CHECK(std::to_string(number) == (digits == "0" ? "0" : sign + digits));
    }
    return 0;
}
