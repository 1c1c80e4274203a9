#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <vector>

namespace zanfiro::tools {

// A gear's ID before and after renumber.
struct IdMove {
    std::int64_t from = 0, to = 0;
    bool operator==(const IdMove&) const = default;
};

// Moves every gear whose ID the window cannot pick (above 32767) to the
// lowest IDs below it that no gear holds, in the order of their IDs, in one
// transaction, recording each move in the history; refused, changing
// nothing, when they do not fit. The counter is left as it is: new gears
// never get an ID that was given before. Prints the moves on `out` and, with
// a `csv` path (empty for none, and never over an existing file), writes
// them there as CSV, the file appearing once the moves are committed.
std::vector<IdMove> renumberGears(const std::filesystem::path& database, const std::filesystem::path& csv,
                                  std::ostream& out);

}  // namespace zanfiro::tools
