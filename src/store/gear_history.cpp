#include "store/gear_history.h"

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro::store {

std::string_view changeName(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Insert: return "insert";
    case ChangeKind::Update: return "update";
    case ChangeKind::Delete: return "delete";
    case ChangeKind::Count: return "count";
    }
    return {};
}

namespace {

// The kind of change by the name its trigger wrote; only the triggers
// write the table, so no other name is expected there.
ChangeKind changeKind(std::string_view name) {
    for (const ChangeKind kind : {ChangeKind::Insert, ChangeKind::Update, ChangeKind::Delete, ChangeKind::Count})
        if (changeName(kind) == name) return kind;
    return ChangeKind::Update;
}

}  // namespace

std::string historyColumn(const GearColumn& column, bool after) { return concat({after ? "New" : "Old", column.name}); }

std::vector<const GearColumn*> gearValueColumns() {
    std::vector<const GearColumn*> columns;
    for (const GearColumn& column : kGearColumns)
        if (column.kind != ColumnKind::Id) columns.push_back(&column);
    return columns;
}

namespace {

// The statements that fire the history's triggers, in the order of the
// dialect's trigger names.
struct HistoryEvent {
    ChangeKind kind;
    std::string_view event;
};
constexpr HistoryEvent kHistoryEvents[] = {
    {ChangeKind::Insert, "INSERT"},
    {ChangeKind::Update, "UPDATE"},
    {ChangeKind::Delete, "DELETE"},
};

// "NEW.D, NEW.M, NEW.T, NEW.QTY" for `row` NEW, or the history's columns
// that keep them ("NewD, ...") for an empty `row`.
std::string valueList(std::string_view row, bool after) {
    std::string list;
    for (const GearColumn* column : gearValueColumns())
        list += concat(
            {list.empty() ? "" : ", ", row.empty() ? historyColumn(*column, after) : concat({row, ".", column->name})});
    return list;
}

}  // namespace

namespace {

// The signature's columns and what the engine knows to fill them with.
struct Signature {
    std::string_view column;
    std::string_view SqlDialect::*value;
};
constexpr Signature kSignature[] = {
    {kHistoryWho, &SqlDialect::who},
    {kHistoryWorkstation, &SqlDialect::workstation},
};

// A change marked as a count is recorded as one where the triggers can read
// the mark; elsewhere the connection relabels its rows.
std::string updateKind(const SqlDialect& sql) {
    const std::string update = concat({"'", changeName(ChangeKind::Update), "'"});
    if (sql.changeMark.empty()) return update;
    const std::string_view count = changeName(ChangeKind::Count);
    return concat({"CASE ", sql.changeMark, " WHEN '", count, "' THEN '", count, "' ELSE ", update, " END"});
}

// A row per insert, update and delete, written inside the statement that
// made the change, so that a statement that fails leaves none; none for an
// update that changes no value (SAVE pressed on a gear as it was).
std::vector<std::string> historyTriggers(const SqlDialect& sql) {
    std::string changed;
    for (const GearColumn& column : kGearColumns)
        changed +=
            concat({changed.empty() ? "" : " OR ", "OLD.", column.name, sql.isDistinctFrom, "NEW.", column.name});
    std::vector<std::string> statements;
    for (std::size_t i = 0; i < std::size(kHistoryEvents); ++i) {
        const ChangeKind kind = kHistoryEvents[i].kind;
        const bool before = kind != ChangeKind::Insert, after = kind != ChangeKind::Delete;
        std::string into = concat({kHistoryAt, ", ", kHistoryChange, ", ID"});
        std::string values =
            concat({sql.nowUtc,
                    ", ",
                    kind == ChangeKind::Update ? updateKind(sql) : concat({"'", changeName(kind), "'"}),
                    ", ",
                    after ? "NEW.ID" : "OLD.ID"});
        if (before) into += ", " + valueList("", false), values += ", " + valueList("OLD", false);
        if (after) into += ", " + valueList("", true), values += ", " + valueList("NEW", true);
        for (const Signature& signature : kSignature)
            into += concat({", ", signature.column}), values += concat({", ", sql.*signature.value});
        const std::string record = concat({"INSERT INTO ", kHistoryTable, " (", into, ") VALUES (", values, ")"});
        for (std::string& statement : sql.trigger(
                 sql.historyTriggers[i], kHistoryEvents[i].event, kind == ChangeKind::Update ? changed : "", record))
            statements.push_back(std::move(statement));
    }
    return statements;
}

}  // namespace

std::vector<std::string> historySchema(const SqlDialect& sql) {
    std::string columns = concat({kHistorySeq,
                                  " ",
                                  sql.counter,
                                  ", ",
                                  kHistoryAt,
                                  " ",
                                  sql.columnType(ColumnKind::Text),
                                  " NOT NULL, ",
                                  kHistoryChange,
                                  " ",
                                  sql.columnType(ColumnKind::Text),
                                  " NOT NULL, ID ",
                                  sql.columnType(ColumnKind::WholeNumber)});
    for (const bool after : {false, true})
        for (const GearColumn* column : gearValueColumns())
            columns += concat({", ", historyColumn(*column, after), " ", sql.columnType(column->kind)});
    // Last, where an upgrade's ALTER TABLE puts them in an older history.
    for (const Signature& signature : kSignature)
        columns += concat({", ", signature.column, " ", sql.columnType(ColumnKind::Text)});
    std::vector<std::string> statements{concat({"CREATE TABLE IF NOT EXISTS ", kHistoryTable, " (", columns, ")"})};
    for (std::string& statement : historyTriggers(sql)) statements.push_back(std::move(statement));
    return statements;
}

std::vector<std::string> historySignatures(const SqlDialect& sql) {
    std::vector<std::string> statements;
    for (const Signature& signature : kSignature)
        statements.push_back(concat(
            {"ALTER TABLE ", kHistoryTable, " ADD COLUMN ", signature.column, " ", sql.columnType(ColumnKind::Text)}));
    for (std::string& statement : historyTriggers(sql)) statements.push_back(std::move(statement));
    return statements;
}

std::vector<GearChange> gearChanges(Session& session, const ChangeFilter& filter) {
    std::string columns = concat({kHistorySeq, ", ", kHistoryAt, ", ", kHistoryChange, ", ID"});
    for (const bool after : {false, true})
        for (const GearColumn* column : gearValueColumns()) columns += ", " + historyColumn(*column, after);
    const bool signs = session.signsChanges();
    for (const Signature& signature : kSignature) columns += concat({", ", signs ? signature.column : "NULL"});
    std::vector<Value> parameters;
    std::string where;
    const auto require = [&](std::string_view condition, Value parameter) {
        where += concat({where.empty() ? " WHERE " : " AND ", condition, " ?"});
        parameters.push_back(std::move(parameter));
    };
    if (filter.id) require("ID =", Value(*filter.id));
    if (filter.sinceUtc) require(concat({kHistoryAt, " >="}), Value(*filter.sinceUtc));
    if (filter.who) require(concat({signs ? kHistoryWho : "NULL", " ="}), Value(*filter.who));
    auto rows = session.query(
        concat({"SELECT ", columns, " FROM ", kHistoryTable, where, " ORDER BY ", kHistorySeq, " DESC"}), parameters);
    const auto values = gearValueColumns();
    const int signature = static_cast<int>(4 + 2 * values.size());
    std::vector<GearChange> changes;
    while (rows->next()) {
        GearChange change;
        change.seq = rows->value(0).number();
        change.at = rows->value(1).text();
        change.id = rows->value(3).number();
        change.kind = changeKind(rows->value(2).text());
        change.before.ID = change.after.ID = Value(change.id);
        for (std::size_t i = 0; i < values.size(); ++i) {
            change.before.*values[i]->field = rows->value(static_cast<int>(4 + i));
            change.after.*values[i]->field = rows->value(static_cast<int>(4 + values.size() + i));
        }
        change.who = rows->value(signature);
        change.workstation = rows->value(signature + 1);
        changes.push_back(std::move(change));
    }
    return changes;
}

}  // namespace zanfiro::store
