// The DELETE * rewrite against a plain reading of its rule: only a
// statement that starts (after blanks) with DELETE, blanks, a star, maybe
// blanks and the word FROM changes, and only by its star and the blanks
// around it becoming one space.
#include <cctype>
#include <optional>
#include <string>

#include "check.h"
#include "store/access_sql.h"

namespace {

bool blank(char c) { return std::isspace(static_cast<unsigned char>(c)); }
bool wordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string lowered(std::string_view text) {
    std::string out;
    for (const char c : text) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The statement as the rule rewrites it, or nothing when the rule does not apply.
std::optional<std::string> expected(std::string_view text) {
    const auto star = text.find('*');
    if (star == std::string_view::npos) return std::nullopt;
    std::string_view head = text.substr(0, star), rest = text.substr(star + 1);
    std::size_t blanksBefore = 0;
    while (!head.empty() && blank(head.back())) head.remove_suffix(1), ++blanksBefore;
    while (!rest.empty() && blank(rest.front())) rest.remove_prefix(1);
    std::string_view word = head;
    while (!word.empty() && blank(word.front())) word.remove_prefix(1);
    if (blanksBefore == 0 || lowered(word) != "delete") return std::nullopt;
    if (lowered(rest.substr(0, 4)) != "from" || (rest.size() > 4 && wordChar(rest[4]))) return std::nullopt;
    return std::string(head) + " " + std::string(rest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text = asText(data, size);
    const std::string rewritten = zanfiro::store::withoutDeleteStar(text);
    FUZZ_CHECK(rewritten == expected(text).value_or(std::string(text)));
    FUZZ_CHECK(zanfiro::store::withoutDeleteStar(rewritten) == rewritten);
    return 0;
}
