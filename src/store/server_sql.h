#pragma once

#include <string>
#include <string_view>

namespace zanfiro::store {

// The program's SQL in the server's dialect: DELETE * loses its star, and
// each ? outside a quoted literal or name becomes $1, $2, ... The rest
// (quoted literals, column names in any case) is common SQL and passes
// unchanged.
std::string serverSql(std::string_view accessSql);

}  // namespace zanfiro::store
