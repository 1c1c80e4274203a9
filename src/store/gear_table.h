#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/gear.h"
#include "store/session.h"
#include "store/sql_dialect.h"

namespace zanfiro::store {

// What the tools and the tests do with whole gears, through any engine.

// "ID, D, M, T, QTY": every column, in the table's order.
std::string gearColumnList();

// The statement that makes the table Gears in the engine's dialect.
std::string gearsTableSchema(const SqlDialect& sql);

// Stores one gear with its values as they are (a text where a number
// belongs, Null). A Null ID lets the database give the next one.
void insertGear(Session& session, const GearRecord& gear);

std::int64_t countGears(Session& session);

// Every gear, ordered by ID.
std::vector<GearRecord> allGears(Session& session);

// The current row of a cursor over the five columns in their order.
GearRecord gearAt(const Cursor& cursor);

}  // namespace zanfiro::store
