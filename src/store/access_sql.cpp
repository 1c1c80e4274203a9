#include "store/access_sql.h"

#include <regex>

namespace zanfiro::store {

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string withoutDeleteStar(std::string_view accessSql) {
    // Anchored at the start, so a '*' inside a quoted literal is never touched.
    static const std::regex deleteStar(R"(^(\s*DELETE)\s+\*\s*(FROM\b))", std::regex::icase);
    return std::regex_replace(std::string(accessSql), deleteStar, "$1 $2", std::regex_constants::format_first_only);
}

}  // namespace zanfiro::store
