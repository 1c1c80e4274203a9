#include "store/gear_history.h"

#include <charconv>
#include <span>

#include "base/failure.h"
#include "base/text.h"
#include "store/gear_levels.h"

namespace zanfiro::store {

std::string_view changeName(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Insert: return "insert";
    case ChangeKind::Update: return "update";
    case ChangeKind::Delete: return "delete";
    case ChangeKind::Count: return "count";
    case ChangeKind::Levels: return "levels";
    case ChangeKind::Renumber: return "renumber";
    }
    return {};
}

namespace {

constexpr std::string_view kRenumberedFrom = "renumber from ";

// The kind of change by the name its trigger (or renumber) wrote; no other
// name is expected there.
ChangeKind changeKind(std::string_view name) {
    for (const ChangeKind kind :
         {ChangeKind::Insert, ChangeKind::Update, ChangeKind::Delete, ChangeKind::Count, ChangeKind::Levels})
        if (changeName(kind) == name) return kind;
    return name.starts_with(kRenumberedFrom) ? ChangeKind::Renumber : ChangeKind::Update;
}

std::string oldOrNew(std::string_view name, bool after) { return concat({after ? "New" : "Old", name}); }

}  // namespace

std::string renumberedFrom(std::int64_t id) { return concat({kRenumberedFrom, std::to_string(id)}); }

std::string historyColumn(const GearColumn& column, bool after) { return oldOrNew(column.name, after); }

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

// The columns of GearLevels the history keeps before and after.
struct LevelColumn {
    std::string_view name;
    Value RecordedLevels::*field;
};
constexpr LevelColumn kLevelColumns[] = {{"Minimum", &RecordedLevels::minimum}, {"Target", &RecordedLevels::target}};

// One row of the history: its columns and the values they get.
struct HistoryRow {
    std::string into, values;
    void add(std::string_view column, std::string_view value) {
        into += concat({into.empty() ? "" : ", ", column});
        values += concat({values.empty() ? "" : ", ", value});
    }
    void signWith(const SqlDialect& sql) {
        for (const Signature& signature : kSignature) add(signature.column, sql.*signature.value);
    }
};

// A change marked as a count is recorded as one where the triggers can read
// the mark; elsewhere the connection relabels its rows.
std::string updateKind(const SqlDialect& sql) {
    const std::string update = concat({"'", changeName(ChangeKind::Update), "'"});
    if (sql.changeMark.empty()) return update;
    const std::string_view count = changeName(ChangeKind::Count);
    return concat({"CASE ", sql.changeMark, " WHEN '", count, "' THEN '", count, "' ELSE ", update, " END"});
}

// The statements that make `table`'s triggers `names` (an insert's, an
// update's and a delete's), each running the statement `record` gives for
// its kind; an update's only when one of `columns` changed.
template <typename Record>
std::vector<std::string> recordingTriggers(const SqlDialect& sql, std::string_view table,
                                           std::span<const std::string_view, 3> names,
                                           const std::vector<std::string_view>& columns, Record record) {
    std::string changed;
    for (const std::string_view column : columns)
        changed += concat({changed.empty() ? "" : " OR ", "OLD.", column, sql.isDistinctFrom, "NEW.", column});
    std::vector<std::string> statements;
    for (std::size_t i = 0; i < std::size(kHistoryEvents); ++i) {
        const ChangeKind kind = kHistoryEvents[i].kind;
        for (std::string& statement : sql.trigger(
                 names[i], table, kHistoryEvents[i].event, kind == ChangeKind::Update ? changed : "", record(kind)))
            statements.push_back(std::move(statement));
    }
    return statements;
}

// A row per insert, update and delete, written inside the statement that
// made the change, so that a statement that fails leaves none; none for an
// update that changes no value (SAVE pressed on a gear as it was).
std::vector<std::string> historyTriggers(const SqlDialect& sql) {
    std::vector<std::string_view> columns;
    for (const GearColumn& column : kGearColumns) columns.push_back(column.name);
    return recordingTriggers(sql, kGearsTable, sql.historyTriggers, columns, [&sql](ChangeKind kind) {
        const bool before = kind != ChangeKind::Insert, after = kind != ChangeKind::Delete;
        HistoryRow row;
        row.add(kHistoryAt, sql.nowUtc);
        row.add(kHistoryChange, kind == ChangeKind::Update ? updateKind(sql) : concat({"'", changeName(kind), "'"}));
        row.add("ID", after ? "NEW.ID" : "OLD.ID");
        if (before) row.add(valueList("", false), valueList("OLD", false));
        if (after) row.add(valueList("", true), valueList("NEW", true));
        row.signWith(sql);
        return concat({"INSERT INTO ", kHistoryTable, " (", row.into, ") VALUES (", row.values, ")"});
    });
}

// One name for both engines: the server folds it to lower case.
constexpr std::string_view kLevelsHistoryTriggers[] = {
    "GearLevelsHistoryInsert", "GearLevelsHistoryUpdate", "GearLevelsHistoryDelete"};

// A column the history gained after its first version, and its kind.
struct AddedColumn {
    std::string name;
    ColumnKind kind;
};

std::vector<AddedColumn> signatureColumns() {
    std::vector<AddedColumn> columns;
    for (const Signature& signature : kSignature) columns.push_back({std::string(signature.column), ColumnKind::Text});
    return columns;
}

std::vector<AddedColumn> levelColumns() {
    std::vector<AddedColumn> columns;
    for (const bool after : {false, true})
        for (const LevelColumn& column : kLevelColumns)
            columns.push_back({oldOrNew(column.name, after), ColumnKind::WholeNumber});
    return columns;
}

// For a history made before it kept `columns`: the statements that add them
// (older rows keep Null there), then make the gears' triggers again (a
// server replaces its own, which fill the signature and read a count's
// mark; a file keeps its).
std::vector<std::string> columnsAdded(const SqlDialect& sql, const std::vector<AddedColumn>& columns) {
    std::vector<std::string> statements;
    for (const AddedColumn& column : columns)
        statements.push_back(
            concat({"ALTER TABLE ", kHistoryTable, " ADD COLUMN ", column.name, " ", sql.columnType(column.kind)}));
    for (std::string& statement : historyTriggers(sql)) statements.push_back(std::move(statement));
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
    // Last, in the order upgrades' ALTER TABLE put them in an older history.
    for (const auto& added : {signatureColumns(), levelColumns()})
        for (const AddedColumn& column : added)
            columns += concat({", ", column.name, " ", sql.columnType(column.kind)});
    std::vector<std::string> statements{concat({"CREATE TABLE IF NOT EXISTS ", kHistoryTable, " (", columns, ")"})};
    for (std::string& statement : historyTriggers(sql)) statements.push_back(std::move(statement));
    return statements;
}

std::vector<std::string> historySignatures(const SqlDialect& sql) { return columnsAdded(sql, signatureColumns()); }

// The gear's values come from Gears as it stands: the levels of no gear, as
// a deleted gear's are when they go with it, leave no row.
std::vector<std::string> levelsHistoryTriggers(const SqlDialect& sql) {
    std::vector<std::string_view> columns{"ID"};
    for (const LevelColumn& column : kLevelColumns) columns.push_back(column.name);
    return recordingTriggers(sql, kLevelsTable, kLevelsHistoryTriggers, columns, [&sql](ChangeKind kind) {
        HistoryRow row;
        row.add(kHistoryAt, sql.nowUtc);
        row.add(kHistoryChange, concat({"'", changeName(ChangeKind::Levels), "'"}));
        row.add("ID", concat({kGearsTable, ".ID"}));
        for (const bool after : {false, true}) row.add(valueList("", after), valueList(kGearsTable, after));
        row.signWith(sql);
        for (const LevelColumn& column : kLevelColumns) {
            if (kind != ChangeKind::Insert) row.add(oldOrNew(column.name, false), concat({"OLD.", column.name}));
            if (kind != ChangeKind::Delete) row.add(oldOrNew(column.name, true), concat({"NEW.", column.name}));
        }
        return concat({"INSERT INTO ",
                       kHistoryTable,
                       " (",
                       row.into,
                       ") SELECT ",
                       row.values,
                       " FROM ",
                       kGearsTable,
                       " WHERE ",
                       kGearsTable,
                       ".ID = ",
                       kind == ChangeKind::Delete ? "OLD" : "NEW",
                       ".ID"});
    });
}

bool recordsLevelChanges(Session& session) {
    const Value names[] = {Value(std::string(kHistoryTable)), Value(oldOrNew(kLevelColumns[0].name, false))};
    auto found = session.query(session.dialect().columnExists, names);
    return found->next() && found->value(0).number() > 0;
}

bool addLevelChanges(Session& session) {
    if (recordsLevelChanges(session)) return false;
    std::vector<std::string> statements = columnsAdded(session.dialect(), levelColumns());
    if (keepsLevels(session))
        for (std::string& statement : levelsHistoryTriggers(session.dialect()))
            statements.push_back(std::move(statement));
    for (const std::string& statement : statements) session.execute(statement);
    return true;
}

std::vector<GearChange> gearChanges(Session& session, const ChangeFilter& filter) {
    std::string columns = concat({kHistorySeq, ", ", kHistoryAt, ", ", kHistoryChange, ", ID"});
    for (const bool after : {false, true})
        for (const GearColumn* column : gearValueColumns()) columns += ", " + historyColumn(*column, after);
    const bool signs = session.signsChanges();
    for (const Signature& signature : kSignature) columns += concat({", ", signs ? signature.column : "NULL"});
    const bool levels = recordsLevelChanges(session);
    for (const AddedColumn& column : levelColumns()) columns += concat({", ", levels ? column.name : "NULL"});
    std::vector<Value> parameters;
    std::string where;
    const auto require = [&](std::string_view condition, Value parameter) {
        where += concat({where.empty() ? " WHERE " : " AND ", condition, " ?"});
        parameters.push_back(std::move(parameter));
    };
    if (filter.id) {
        // A renumbered gear is found under its old ID too.
        where += concat({" WHERE (ID = ? OR ", kHistoryChange, " = ?)"});
        parameters.emplace_back(*filter.id);
        parameters.emplace_back(renumberedFrom(*filter.id));
    }
    if (filter.sinceUtc) require(concat({kHistoryAt, " >="}), Value(*filter.sinceUtc));
    if (filter.who) require(concat({signs ? kHistoryWho : "NULL", " ="}), Value(*filter.who));
    auto rows = session.query(
        concat({"SELECT ", columns, " FROM ", kHistoryTable, where, " ORDER BY ", kHistorySeq, " DESC"}), parameters);
    const auto values = gearValueColumns();
    const int signature = static_cast<int>(4 + 2 * values.size());
    const int levelsAt = signature + static_cast<int>(std::size(kSignature));
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
        change.who = rows->value(signature);
        change.workstation = rows->value(signature + 1);
        for (std::size_t i = 0; i < std::size(kLevelColumns); ++i) {
            change.levelsBefore.*kLevelColumns[i].field = rows->value(levelsAt + static_cast<int>(i));
            change.levelsAfter.*kLevelColumns[i].field =
                rows->value(levelsAt + static_cast<int>(std::size(kLevelColumns) + i));
        }
        changes.push_back(std::move(change));
    }
    return changes;
}

}  // namespace zanfiro::store
