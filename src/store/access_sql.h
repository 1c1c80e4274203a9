#pragma once

#include <string>
#include <string_view>

namespace zanfiro::store {

// The program writes its statements in the Access dialect. These are the
// dialect's rules that the engines and the statement builders share.

// A text as it stands inside a quoted literal: every ' doubled.
std::string escaped(std::string_view text);

// "DELETE * FROM t" is Access's way of writing "DELETE FROM t", which every
// other engine wants. The rest of what the program writes (quoted literals,
// column names in any case, ORDER BY) is common SQL and passes unchanged.
std::string withoutDeleteStar(std::string_view accessSql);

}  // namespace zanfiro::store
