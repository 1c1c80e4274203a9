#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/gear.h"
#include "store/session.h"
#include "store/sql_dialect.h"

namespace zanfiro::store {

// Every insert, update and delete of a gear leaves one row in this table,
// written by the database itself whoever made the change, so that the
// window's statements need not know about it.
inline constexpr std::string_view kHistoryTable = "GearsHistory";

enum class ChangeKind { Insert, Update, Delete, Renumber };

// The kind as the table keeps it: "insert", "update", "delete", "renumber".
std::string_view changeName(ChangeKind kind);

// A gear that `zanfiro-db renumber` moved to the row's ID from another is
// kept as "renumber from OLD-ID", found under either ID.
std::string renumberedFrom(std::int64_t id);

// The columns of GearsHistory: Seq (the order of the changes), At (when, in
// UTC as "YYYY-MM-DD HH:MM:SS.SSS"), Change (the kind), ID (the gear), then
// for every other column of Gears its value before (Old...) and after
// (New...) the change; an insert has no before and a delete no after.
inline constexpr std::string_view kHistorySeq = "Seq";
inline constexpr std::string_view kHistoryAt = "At";
inline constexpr std::string_view kHistoryChange = "Change";

// "OldD", "NewQTY" and the like.
std::string historyColumn(const GearColumn& column, bool after);

// The value columns of a gear: kGearColumns without the ID.
std::vector<const GearColumn*> gearValueColumns();

// The statements that make the table and its triggers, in the engine's
// dialect; each leaves what is there already in place.
std::vector<std::string> historySchema(const SqlDialect& sql);

struct GearChange {
    std::int64_t seq = 0;
    std::string at;  // UTC, "YYYY-MM-DD HH:MM:SS.SSS"
    ChangeKind kind = ChangeKind::Update;
    std::int64_t id = 0;
    GearRecord before, after;  // ID filled in both (a renumber's old one before); the values a side lacks are Null
};

// The recorded changes, newest first: of one gear or of all, and from a
// moment on (UTC, compared as text in the form above) or from the start.
std::vector<GearChange> gearChanges(Session& session, std::optional<std::int64_t> id,
                                    std::optional<std::string> sinceUtc);

}  // namespace zanfiro::store
