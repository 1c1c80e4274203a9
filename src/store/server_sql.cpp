#include "store/server_sql.h"

#include "store/access_sql.h"

namespace zanfiro::store {

std::string serverSql(std::string_view accessSql) {
    const std::string sql = withoutDeleteStar(accessSql);
    std::string out;
    out.reserve(sql.size() + 4);
    char quote = 0;
    int parameter = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        // SQLite's numbered ?NNN is none of the program's: left as it is, the
        // server refuses it rather than reading it as another parameter.
        const bool numbered = i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9';
        if (quote) {
            if (c == quote) quote = 0;  // a doubled quote closes and reopens
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?' && !numbered) {
            out += "$" + std::to_string(++parameter);
            continue;
        }
        out += c;
    }
    return out;
}

}  // namespace zanfiro::store
