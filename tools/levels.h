#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>

#include "report.h"
#include "stock_levels.h"
#include "store/session.h"

namespace zanfiro::tools {

// The minimum and target levels of the gears (store/gear_levels.h), as
// `zanfiro-db levels` sets, imports and lists them.

struct Levels {
    std::int64_t minimum = 0;
    std::optional<std::int64_t> target = {};
};

// Levels typed as texts, the target empty for none: a whole number of 0 or
// more and a target not below it; otherwise a sentence that says what is
// wrong.
std::variant<Levels, std::string> typedLevels(std::string_view minimum, std::string_view target);

// Which gears a command of levels is for: the gear with `id`, or else every
// gear of a type, a module, or both, matched as the sheets match them.
struct GearChoice {
    std::optional<std::int64_t> id;
    ReportFilter section;
};

// Gives the chosen gears these levels, or takes theirs away (nothing given),
// in one transaction; says what it did. A gear that is not there is a failure.
void setLevels(const std::filesystem::path& database, const GearChoice& gears, const std::optional<Levels>& levels,
               std::ostream& out);

// Sets the levels a CSV file gives (the columns ID and Minimum, Target if
// there; others are left aside, so that the file `levels --csv` writes comes
// back as it is). An empty minimum and target take a gear's levels away.
// All or nothing: a file with wrong lines changes nothing, and the failure
// names each of them. Says how many levels it set, took away and left.
void importLevels(const std::filesystem::path& database, const std::filesystem::path& csv, std::ostream& out);

// The gears that have levels in the sheets' order, with their quantity and
// how many to order where they are below the minimum; as CSV, every gear
// with its levels or empty fields.
void printLevels(const std::filesystem::path& database, bool csv, std::ostream& out);

// The levels a database keeps: none when it has no table of levels yet.
StockLevels stockLevels(store::Session& session);

// Refuses a database without the table of levels, pointing at `upgrade`.
void requireLevels(store::Session& session, const std::filesystem::path& database);

}  // namespace zanfiro::tools
