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

// Besides a gear's insert, update and delete: an update that corrects the
// stock by a count (`zanfiro-db count apply`), a change of a gear's levels
// (store/gear_levels.h), and a move of a gear to another ID (`zanfiro-db
// renumber`).
enum class ChangeKind { Insert, Update, Delete, Count, Levels, Renumber };

// The kind as the table keeps it: "insert", "update", "delete", "count",
// "levels", "renumber from OLD-ID".
std::string_view changeName(ChangeKind kind);

// A gear that `zanfiro-db renumber` moved to the row's ID from another is
// kept as "renumber from OLD-ID", found under either ID.
std::string renumberedFrom(std::int64_t id);

// The columns of GearsHistory: Seq (the order of the changes), At (when, in
// UTC as "YYYY-MM-DD HH:MM:SS.SSS"), Change (the kind), ID (the gear), then
// for every other column of Gears its value before (Old...) and after
// (New...) the change (an insert has no before and a delete no after), then
// the change's signature: Who made it (a server's login role, a file's
// account) and from which Workstation, Null where unknown, and last a
// gear's levels before and after a change of them (OldMinimum, OldTarget,
// NewMinimum, NewTarget; Null for none). A change of levels keeps the
// gear's values as they stood on both sides; the levels a deleted gear
// takes along leave no row of their own, its deletion says it all.
inline constexpr std::string_view kHistorySeq = "Seq";
inline constexpr std::string_view kHistoryAt = "At";
inline constexpr std::string_view kHistoryChange = "Change";
inline constexpr std::string_view kHistoryWho = "Who";
inline constexpr std::string_view kHistoryWorkstation = "Workstation";

// "OldD", "NewQTY" and the like.
std::string historyColumn(const GearColumn& column, bool after);

// The value columns of a gear: kGearColumns without the ID.
std::vector<const GearColumn*> gearValueColumns();

// The statements that make the table and its triggers, in the engine's
// dialect; each leaves what is there already in place.
std::vector<std::string> historySchema(const SqlDialect& sql);

// For a history made before it signed the changes: the statements that add
// the signature's columns (older rows are left unknown), then make the
// triggers again where the engine's triggers must fill them.
std::vector<std::string> historySignatures(const SqlDialect& sql);

// The triggers that record every insert, update and delete of a row of
// GearLevels, made with that table.
std::vector<std::string> levelsHistoryTriggers(const SqlDialect& sql);

// Whether the history records the changes of levels and the counts, and
// making an older one record them from now on; addLevelChanges() is false
// when it recorded them already and it changed nothing.
bool recordsLevelChanges(Session& session);
bool addLevelChanges(Session& session);

// A gear's levels as the history keeps them: Null where it had none.
struct RecordedLevels {
    Value minimum, target;
};

struct GearChange {
    std::int64_t seq = 0;
    std::string at;  // UTC, "YYYY-MM-DD HH:MM:SS.SSS"
    ChangeKind kind = ChangeKind::Update;
    std::int64_t id = 0;
    GearRecord before, after;  // ID filled in both (a renumber's old one before); the values a side lacks are Null
    Value who, workstation;    // Null: unknown
    RecordedLevels levelsBefore, levelsAfter;  // of a change of levels
};

// Which recorded changes to read; every one unless told.
struct ChangeFilter {
    std::optional<std::int64_t> id;       // of one gear
    std::optional<std::string> sinceUtc;  // from a moment on (UTC, compared as text in the form above)
    std::optional<std::string> who;       // made by one role or account
};

// The recorded changes, newest first. A history not yet signing its
// changes (Session::signsChanges()) gives every one as made by someone
// unknown.
std::vector<GearChange> gearChanges(Session& session, const ChangeFilter& filter = {});

}  // namespace zanfiro::store
