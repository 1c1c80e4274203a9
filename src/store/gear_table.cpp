#include "store/gear_table.h"

#include <string>

#include "base/text.h"

namespace zanfiro::store {

namespace {

// "ID, D, M, T, QTY", or without the ID.
std::string columnList(bool withId) {
    std::string list;
    for (const GearColumn& column : kGearColumns) {
        if (column.kind == ColumnKind::Id && !withId) continue;
        list += concat({list.empty() ? "" : ", ", column.name});
    }
    return list;
}

}  // namespace

std::string gearColumnList() { return columnList(true); }

std::string gearsTableSchema(const SqlDialect& sql) {
    std::string columns;
    for (const GearColumn& column : kGearColumns)
        columns += concat({columns.empty() ? "" : ", ", column.name, " ", sql.columnType(column.kind)});
    return concat({"CREATE TABLE ", kGearsTable, " (", columns, ")"});
}

void insertGear(Session& session, const GearRecord& gear) {
    const bool withId = !gear.ID.isNull();
    std::vector<Value> values;
    std::string placeholders;
    for (const GearColumn& column : kGearColumns) {
        if (column.kind == ColumnKind::Id && !withId) continue;
        values.push_back(gear.*column.field);
        placeholders += placeholders.empty() ? "?" : ", ?";
    }
    session.execute(concat({"INSERT INTO ", kGearsTable, " (", columnList(withId), ") VALUES (", placeholders, ")"}),
                    values);
}

std::int64_t countGears(Session& session) {
    auto count = session.query(concat({"SELECT count(*) FROM ", kGearsTable}));
    count->next();
    return count->value(0).number();
}

std::vector<GearRecord> allGears(Session& session) {
    auto rows = session.query(concat({"SELECT ", gearColumnList(), " FROM ", kGearsTable, " ORDER BY ID"}));
    std::vector<GearRecord> gears;
    while (rows->next()) gears.push_back(gearAt(*rows));
    return gears;
}

GearRecord gearAt(const Cursor& cursor) {
    GearRecord gear;
    for (std::size_t i = 0; i < kGearColumns.size(); ++i)
        gear.*kGearColumns[i].field = cursor.value(static_cast<int>(i));
    return gear;
}

}  // namespace zanfiro::store
