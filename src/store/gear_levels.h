#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/session.h"
#include "store/sql_dialect.h"

namespace zanfiro::store {

// The quantities a gear should not fall below and should be brought up to
// when ordered, kept beside Gears (whose columns the window's statements
// fix): one row per gear that has them, keyed by the gear's ID, and gone
// with the gear when the gear is deleted, whoever deletes it.
inline constexpr std::string_view kLevelsTable = "GearLevels";

struct GearLevel {
    std::int64_t id = 0;
    std::int64_t minimum = 0;
    std::optional<std::int64_t> target;  // at least the minimum

    bool operator==(const GearLevel&) const = default;
};

// The statements that make the table, the trigger that deletes a gear's
// levels with the gear and those that record every change of them in the
// history (store/gear_history.h), in the engine's dialect.
std::vector<std::string> levelsSchema(const SqlDialect& sql);

// Whether the database has the table, and making it so; addLevels() is
// false when it was there already and it changed nothing.
bool keepsLevels(Session& session);
bool addLevels(Session& session);

// Every gear's levels, by ID.
std::vector<GearLevel> allLevels(Session& session);

// Gives a gear its levels, in place of those it had.
void setLevel(Session& session, const GearLevel& level);

}  // namespace zanfiro::store
