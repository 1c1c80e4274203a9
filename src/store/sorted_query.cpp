#include "store/sorted_query.h"

#include "base/text.h"

namespace zanfiro::store {

std::string SortedQuery::text() const { return concat({select, orderBy, key, ascending}); }

}  // namespace zanfiro::store
