#include "store/gear_levels.h"

#include "base/text.h"
#include "store/gear.h"
#include "store/gear_history.h"

namespace zanfiro::store {

namespace {

// One name for both engines: the server folds it to lower case, and both
// find it again that way.
constexpr std::string_view kLevelsFollowGear = "GearLevelsFollowGear";

}  // namespace

// The checks keep a hand-made row from holding what the tools refuse: a
// negative minimum or a target below it.
std::vector<std::string> levelsSchema(const SqlDialect& sql) {
    const std::string_view number = sql.columnType(ColumnKind::WholeNumber);
    std::vector<std::string> statements{concat({"CREATE TABLE IF NOT EXISTS ",
                                                kLevelsTable,
                                                " (ID ",
                                                number,
                                                " NOT NULL PRIMARY KEY, Minimum ",
                                                number,
                                                " NOT NULL CHECK (Minimum >= 0), Target ",
                                                number,
                                                " CHECK (Target >= Minimum))"})};
    for (std::string& statement : sql.trigger(kLevelsFollowGear,
                                              kGearsTable,
                                              "DELETE",
                                              "",
                                              concat({"DELETE FROM ", kLevelsTable, " WHERE ID = OLD.ID"})))
        statements.push_back(std::move(statement));
    for (std::string& statement : levelsHistoryTriggers(sql)) statements.push_back(std::move(statement));
    return statements;
}

bool keepsLevels(Session& session) {
    const Value name{std::string(kLevelsTable)};
    auto found = session.query(session.dialect().tableExists, {&name, 1});
    return found->next() && found->value(0).number() > 0;
}

bool addLevels(Session& session) {
    if (keepsLevels(session)) return false;
    for (const std::string& statement : levelsSchema(session.dialect())) session.execute(statement);
    return true;
}

std::vector<GearLevel> allLevels(Session& session) {
    auto rows = session.query(concat({"SELECT ID, Minimum, Target FROM ", kLevelsTable, " ORDER BY ID"}));
    std::vector<GearLevel> levels;
    while (rows->next()) {
        const Value target = rows->value(2);
        levels.push_back({.id = rows->value(0).number(),
                          .minimum = rows->value(1).number(),
                          .target = target.isNull() ? std::nullopt : std::optional(target.number())});
    }
    return levels;
}

// Both engines read ON CONFLICT alike; an update of a row that is there
// keeps it one row, so that its history shows a change rather than a
// delete and an insert.
void setLevel(Session& session, const GearLevel& level) {
    const Value values[] = {Value(level.id), Value(level.minimum), level.target ? Value(*level.target) : Value()};
    session.execute(concat({"INSERT INTO ",
                            kLevelsTable,
                            " (ID, Minimum, Target) VALUES (?, ?, ?) ON CONFLICT (ID) DO UPDATE SET Minimum = "
                            "excluded.Minimum, Target = excluded.Target"}),
                    values);
}

}  // namespace zanfiro::store
