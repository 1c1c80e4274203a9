#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "store/gear_history.h"

namespace zanfiro::tools {

// A moment the operator types, in local time: "YYYY-MM-DD" (the start of
// that day) or "YYYY-MM-DD HH:MM[:SS]", as UTC in the history's own form;
// nothing when the text is no such moment.
std::optional<std::string> sinceUtc(std::string_view localDate);

// When a change was made, from the history's UTC form to local time,
// "YYYY-MM-DD HH:MM:SS".
std::string localTime(std::string_view utc);

// The changes as a table a person reads, newest first: when, the kind, the
// gear's ID and its four values, a changed value as "12 → 7", where changes
// of levels are among them the minimum and target before and after, then
// who made the change and from where, "(unknown)" where the history does
// not know.
void printHistory(const std::vector<store::GearChange>& changes, std::ostream& out);

// The changes recorded in `database` that the filter lets through,
// printed as above.
void printDatabaseHistory(const std::filesystem::path& database, const store::ChangeFilter& filter, std::ostream& out);

// Makes `database` record its changes; says whether it did so already.
void upgrade(const std::filesystem::path& database, std::ostream& out);

}  // namespace zanfiro::tools
