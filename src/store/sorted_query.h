#pragma once

#include <string>
#include <string_view>

namespace zanfiro::store {

// A list's query: its rows sorted by one column, ascending. The handler
// gives the statement as its pieces, so that each engine learns the sort key
// from them and never by reading the text: every engine puts gears without
// a value in that column first, as the file does, and gears of equal keys in
// the order of their IDs, so that a list looks the same on a file and on a
// server, and a gear keeps its place after an update.
struct SortedQuery {
    std::string_view select;     // up to the ORDER BY, with its trailing space
    std::string_view orderBy;    // "ORDER BY " or "order by ", as the statement spells it
    std::string_view key;        // the column
    std::string_view ascending;  // " ASC", or nothing

    // The statement as the handler writes it.
    std::string text() const;
};

}  // namespace zanfiro::store
