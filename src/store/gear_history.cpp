#include "store/gear_history.h"

#include <charconv>

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro::store {

std::string_view changeName(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Insert: return "insert";
    case ChangeKind::Update: return "update";
    case ChangeKind::Delete: return "delete";
    case ChangeKind::Renumber: return "renumber";
    }
    return {};
}

namespace {

constexpr std::string_view kRenumberedFrom = "renumber from ";

// The kind of change by the name its trigger (or renumber) wrote; no other
// name is expected there.
ChangeKind changeKind(std::string_view name) {
    for (const ChangeKind kind : {ChangeKind::Insert, ChangeKind::Update, ChangeKind::Delete})
        if (changeName(kind) == name) return kind;
    return name.starts_with(kRenumberedFrom) ? ChangeKind::Renumber : ChangeKind::Update;
}

}  // namespace

std::string renumberedFrom(std::int64_t id) { return concat({kRenumberedFrom, std::to_string(id)}); }

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

// A row per insert, update and delete, written inside the statement that
// made the change, so that a statement that fails leaves none; none for an
// update that changes no value (SAVE pressed on a gear as it was).
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
    std::vector<std::string> statements{concat({"CREATE TABLE IF NOT EXISTS ", kHistoryTable, " (", columns, ")"})};

    std::string changed;
    for (const GearColumn& column : kGearColumns)
        changed +=
            concat({changed.empty() ? "" : " OR ", "OLD.", column.name, sql.isDistinctFrom, "NEW.", column.name});
    for (std::size_t i = 0; i < std::size(kHistoryEvents); ++i) {
        const ChangeKind kind = kHistoryEvents[i].kind;
        const bool before = kind != ChangeKind::Insert, after = kind != ChangeKind::Delete;
        std::string into = concat({kHistoryAt, ", ", kHistoryChange, ", ID"});
        std::string values = concat({sql.nowUtc, ", '", changeName(kind), "', ", after ? "NEW.ID" : "OLD.ID"});
        if (before) into += ", " + valueList("", false), values += ", " + valueList("OLD", false);
        if (after) into += ", " + valueList("", true), values += ", " + valueList("NEW", true);
        const std::string record = concat({"INSERT INTO ", kHistoryTable, " (", into, ") VALUES (", values, ")"});
        for (std::string& statement : sql.trigger(
                 sql.historyTriggers[i], kHistoryEvents[i].event, kind == ChangeKind::Update ? changed : "", record))
            statements.push_back(std::move(statement));
    }
    return statements;
}

std::vector<GearChange> gearChanges(Session& session, std::optional<std::int64_t> id,
                                    std::optional<std::string> sinceUtc) {
    std::string columns = concat({kHistorySeq, ", ", kHistoryAt, ", ", kHistoryChange, ", ID"});
    for (const bool after : {false, true})
        for (const GearColumn* column : gearValueColumns()) columns += ", " + historyColumn(*column, after);
    std::vector<Value> parameters;
    std::string where;
    if (id) {
        where += concat({" WHERE (ID = ? OR ", kHistoryChange, " = ?)"});
        parameters.emplace_back(*id);
        parameters.emplace_back(renumberedFrom(*id));
    }
    if (sinceUtc) {
        where += concat({where.empty() ? " WHERE " : " AND ", kHistoryAt, " >= ?"});
        parameters.emplace_back(*sinceUtc);
    }
    auto rows = session.query(
        concat({"SELECT ", columns, " FROM ", kHistoryTable, where, " ORDER BY ", kHistorySeq, " DESC"}), parameters);
    const auto values = gearValueColumns();
    std::vector<GearChange> changes;
    while (rows->next()) {
        GearChange change;
        change.seq = rows->value(0).number();
        change.at = rows->value(1).text();
        change.id = rows->value(3).number();
        const std::string kind = rows->value(2).text();
        change.kind = changeKind(kind);
        change.before.ID = change.after.ID = Value(change.id);
        if (change.kind == ChangeKind::Renumber) {
            std::int64_t from = change.id;
            std::from_chars(kind.data() + kRenumberedFrom.size(), kind.data() + kind.size(), from);
            change.before.ID = Value(from);
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            change.before.*values[i]->field = rows->value(static_cast<int>(4 + i));
            change.after.*values[i]->field = rows->value(static_cast<int>(4 + values.size() + i));
        }
        changes.push_back(std::move(change));
    }
    return changes;
}

}  // namespace zanfiro::store
