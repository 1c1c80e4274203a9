#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "store/gear.h"

namespace zanfiro::store {

// The few words in which two engines' SQL differ where the program makes
// its tables: everything else (the columns, what the history records and
// when) is written once, in gear_table.cpp and gear_history.cpp.
struct SqlDialect {
    // The column type that holds each kind of value.
    std::string_view (*columnType)(ColumnKind);
    // The type of a key the engine counts up by itself, never reusing one.
    std::string_view counter;
    // The present moment in UTC, as "YYYY-MM-DD HH:MM:SS.SSS".
    std::string_view nowUtc;
    // Compares two values, Null included: true when they differ.
    std::string_view isDistinctFrom;
    // Who makes a change and from which workstation, as the database itself
    // knows them inside a trigger; NULL where it knows neither.
    std::string_view who;
    std::string_view workstation;
    // What the transaction that runs a trigger marked its updates of gears
    // as (Session::recordUpdatesAsCounts), where the engine's own triggers
    // can read such a mark; empty where they cannot, and the program's
    // connection relabels the history's rows itself.
    std::string_view changeMark;
    // The history's triggers' names, for an insert, an update and a delete.
    std::array<std::string_view, 3> historyTriggers;
    // The statements that make the trigger `name` run `statement` after
    // every row of `table` that `event` touches, when `when` holds (always
    // when it is empty; no subquery). OLD and NEW name the row before and
    // after.
    std::vector<std::string> (*trigger)(std::string_view name, std::string_view table, std::string_view event,
                                        std::string_view when, std::string_view statement);
    // A query of one row and column, more than 0 when the table whose name
    // is its one parameter exists.
    std::string_view tableExists;
    // The same for a column: the table's name, then the column's.
    std::string_view columnExists;
};

}  // namespace zanfiro::store
