#pragma once

#include <string>
#include <string_view>

namespace zanfiro::store {

// Rewrites the Access SQL forms the program's statements use into SQLite's
// dialect: "DELETE * FROM t" becomes "DELETE FROM t". Everything else the
// statements use (quoted literals, column names in any case, ORDER BY) is
// common to both and passes unchanged.
std::string toSqlite(std::string_view accessSql);

}  // namespace zanfiro::store
