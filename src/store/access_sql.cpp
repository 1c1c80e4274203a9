#include "store/access_sql.h"

#include <cctype>

#include "base/text.h"

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
    // Only the statement's first words count, so a '*' inside a quoted
    // literal or a later clause is never touched.
    const auto blanksFrom = [&](std::size_t at) {
        while (at < accessSql.size() && std::isspace(static_cast<unsigned char>(accessSql[at]))) ++at;
        return at;
    };
    const auto wordAt = [&](std::size_t at, std::string_view word) {
        return at + word.size() <= accessSql.size() && lower(accessSql.substr(at, word.size())) == lower(word);
    };
    const std::size_t deleteAt = blanksFrom(0);
    if (!wordAt(deleteAt, "DELETE")) return std::string(accessSql);
    const std::size_t afterDelete = deleteAt + 6;
    const std::size_t starAt = blanksFrom(afterDelete);
    if (starAt == afterDelete || starAt == accessSql.size() || accessSql[starAt] != '*') return std::string(accessSql);
    const std::size_t fromAt = blanksFrom(starAt + 1);
    if (!wordAt(fromAt, "FROM")) return std::string(accessSql);
    const std::size_t afterFrom = fromAt + 4;
    const bool wordGoesOn =
        afterFrom < accessSql.size() &&
        (std::isalnum(static_cast<unsigned char>(accessSql[afterFrom])) || accessSql[afterFrom] == '_');
    if (wordGoesOn) return std::string(accessSql);
    return concat({accessSql.substr(0, afterDelete), " ", accessSql.substr(fromAt)});
}

}  // namespace zanfiro::store
