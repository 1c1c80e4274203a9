#include "store/sqlite_session.h"

#include <sqlite3.h>

#include "base/failure.h"
#include "base/text.h"
#include "store/access_sql.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear.h"
#include "store/gear_history.h"
#include "store/gear_levels.h"
#include "store/gear_table.h"
#include "store/sqlite.h"
#include "store/workstation.h"

namespace zanfiro::store {

namespace {

std::string_view columnType(ColumnKind kind) {
    switch (kind) {
    // AUTOINCREMENT keeps the ID of a deleted gear from ever coming back.
    case ColumnKind::Id: return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case ColumnKind::WholeNumber: return "INTEGER";
    case ColumnKind::Text: return "TEXT";
    }
    return {};
}

std::vector<std::string> sqliteTrigger(std::string_view name, std::string_view table, std::string_view event,
                                       std::string_view when, std::string_view statement) {
    return {concat({"CREATE TRIGGER IF NOT EXISTS ",
                    name,
                    " AFTER ",
                    event,
                    " ON ",
                    table,
                    when.empty() ? "" : " WHEN ",
                    when,
                    " BEGIN ",
                    statement,
                    "; END"})};
}

constexpr SqlDialect kSqlite{
    .columnType = columnType,
    .counter = "INTEGER PRIMARY KEY AUTOINCREMENT",
    .nowUtc = "strftime('%Y-%m-%d %H:%M:%f', 'now')",
    .isDistinctFrom = " IS NOT ",
    // A file's own triggers run for every program that writes it, and know
    // nothing of that program: the program's own connections sign the rows
    // they make (signChanges), others leave them unknown.
    .who = "NULL",
    .workstation = "NULL",
    // Nor what the program's transaction marked: recordUpdatesAsCounts
    // relabels the rows instead.
    .changeMark = "",
    .historyTriggers = {"GearsHistoryInsert", "GearsHistoryUpdate", "GearsHistoryDelete"},
    .trigger = sqliteTrigger,
    .tableExists = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
    .columnExists = "SELECT count(*) FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE",
};

// The lists are ordered by module (the start-up) and by teeth (LOAD ALL).
// An index on each, holding every column, lets SQLite read 30,000 gears in
// that order instead of sorting them, in a third of the time and without
// the sort's memory; the ID right after the key keeps gears of equal keys
// in the order of their IDs, as the sort gave them.
struct ListOrder {
    std::string_view index;
    std::string_view key;
};
constexpr ListOrder kListOrders[] = {{"GearsByModule", "M"}, {"GearsByTeeth", "D"}};

std::string listIndex(const ListOrder& order) {
    std::string columns = concat({order.key, ", ID"});
    for (const GearColumn* column : gearValueColumns())
        if (column->name != order.key) columns += concat({", ", column->name});
    return concat({"CREATE INDEX IF NOT EXISTS ", order.index, " ON ", kGearsTable, " (", columns, ")"});
}

// Adds the indexes the file lacks; false when it had them all.
bool addListIndexes(sqlite::Database& db) {
    bool added = false;
    for (const ListOrder& order : kListOrders) {
        sqlite::Statement found(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = ?");
        found.bind(1, order.index);
        found.step();
        if (found.column(0).number() > 0) continue;
        db.exec(listIndex(order));
        added = true;
    }
    return added;
}

void bindAll(sqlite::Statement& statement, std::span<const Value> parameters) {
    for (std::size_t i = 0; i < parameters.size(); ++i) statement.bind(static_cast<int>(i + 1), parameters[i]);
}

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(sqlite::Database& db, std::string_view sql, std::span<const Value> parameters) : statement_(db, sql) {
        bindAll(statement_, parameters);
    }
    bool next() override { return statement_.step(); }
    int columnCount() const override { return statement_.columnCount(); }
    std::string columnName(int column) const override { return statement_.columnName(column); }
    Value value(int column) const override { return statement_.column(column); }

private:
    sqlite::Statement statement_;
};

bool keepsSqliteHistory(sqlite::Database& db) {
    std::string names = concat({"'", kHistoryTable, "'"});
    for (const std::string_view trigger : kSqlite.historyTriggers) names += concat({", '", trigger, "'"});
    SqliteCursor count(db, concat({"SELECT count(*) FROM sqlite_master WHERE name IN (", names, ")"}), {});
    count.next();
    return count.value(0).number() == static_cast<std::int64_t>(kSqlite.historyTriggers.size() + 1);
}

bool signsSqliteChanges(sqlite::Database& db) {
    return sqlite3_table_column_metadata(db.handle(),
                                         "main",
                                         std::string(kHistoryTable).c_str(),
                                         std::string(kHistoryWho).c_str(),
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr) == SQLITE_OK;
}

// Signs every history row this connection's changes make with the
// operator's account and workstation. A trigger kept in the file cannot
// know which program runs it, so this one lives in the connection's
// temporary schema, gone when it closes. Making it takes about 60
// microseconds of CPU, nothing written to disk.
void signChanges(sqlite::Database& db) {
    if (!signsSqliteChanges(db)) return;
    db.exec(concat({"CREATE TEMP TRIGGER IF NOT EXISTS zanfiro_sign AFTER INSERT ON main.",
                    kHistoryTable,
                    " BEGIN UPDATE ",
                    kHistoryTable,
                    " SET ",
                    kHistoryWho,
                    " = '",
                    escaped(operatorAccount()),
                    "', ",
                    kHistoryWorkstation,
                    " = '",
                    escaped(workstationName()),
                    "' WHERE ",
                    kHistorySeq,
                    " = NEW.",
                    kHistorySeq,
                    "; END"}));
}

// The name of the trigger that relabels this connection's updates as counts.
constexpr std::string_view kCountsTrigger = "zanfiro_counts";

// The file's own triggers cannot read what a program's transaction marked
// its updates as, so the transaction itself relabels its rows, through a
// temporary trigger made for it and dropped before it commits.
std::string relabelUpdatesAsCounts() {
    return concat({"CREATE TEMP TRIGGER ",
                   kCountsTrigger,
                   " AFTER INSERT ON main.",
                   kHistoryTable,
                   " WHEN NEW.",
                   kHistoryChange,
                   " = '",
                   changeName(ChangeKind::Update),
                   "' BEGIN UPDATE ",
                   kHistoryTable,
                   " SET ",
                   kHistoryChange,
                   " = '",
                   changeName(ChangeKind::Count),
                   "' WHERE ",
                   kHistorySeq,
                   " = NEW.",
                   kHistorySeq,
                   "; END"});
}

class SqliteSession final : public Session {
public:
    explicit SqliteSession(std::unique_ptr<sqlite::Database> db) : db_(std::move(db)) {}

    void execute(std::string_view sql, std::span<const Value> parameters) override {
        // Before the connection's first write, not at its opening: the
        // window's lists and picks, a connection each, never pay for it.
        if (!signing_) signChanges(*db_), signing_ = true;
        sqlite::Statement statement(*db_, withoutDeleteStar(sql));
        bindAll(statement, parameters);
        while (statement.step()) {
        }
    }

    std::unique_ptr<Cursor> query(std::string_view sql, std::span<const Value> parameters) override {
        return std::make_unique<SqliteCursor>(*db_, withoutDeleteStar(sql), parameters);
    }

    // SQLite sorts Null before every value. Gears of equal keys come by ID
    // from the lists' indexes; the ID is named all the same, since without
    // it the order of equal keys would be the query planner's choice.
    std::unique_ptr<Cursor> query(const SortedQuery& sorted) override {
        return query(concat({sorted.text(), ", ID"}), {});
    }

    void begin() override { db_->exec("BEGIN IMMEDIATE"); }

    void commit() override {
        if (counting_) db_->exec(concat({"DROP TRIGGER temp.", kCountsTrigger})), counting_ = false;
        db_->exec("COMMIT");
    }

    void recordUpdatesAsCounts() override {
        if (counting_ || !keepsSqliteHistory(*db_)) return;
        db_->exec(relabelUpdatesAsCounts());
        counting_ = true;
    }

    // The file has no lock finer than the whole: every other writer waits.
    std::optional<GearRecord> beginHoldingGear(std::int64_t id) override {
        begin();
        const Value key(id);
        SqliteCursor gear(
            *db_, concat({"SELECT ", gearColumnList(), " FROM ", kGearsTable, " WHERE ID = ?"}), {&key, 1});
        if (!gear.next()) return std::nullopt;
        return gearAt(gear);
    }

    void rollback() noexcept override {
        if (!sqlite3_get_autocommit(db_->handle())) sqlite3_exec(db_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        // Made within the transaction, they are undone with it.
        signing_ = false, counting_ = false;
    }

    std::int64_t nextId() override {
        // SQLite gives the next row the larger of the counter and the
        // largest ID, plus one.
        SqliteCursor seq(*db_,
                         "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'Gears'), 0), "
                         "coalesce((SELECT max(ID) FROM Gears), 0)) + 1",
                         {});
        seq.next();
        return seq.value(0).number();
    }

    void continueIdsAfter(std::int64_t id) override {
        const Value last(id);
        execute("UPDATE sqlite_sequence SET seq = ? WHERE name = 'Gears'", {&last, 1});
        if (db_->changes() == 0) execute("INSERT INTO sqlite_sequence (name, seq) VALUES ('Gears', ?)", {&last, 1});
    }

    bool keepsHistory() override { return keepsSqliteHistory(*db_); }

    bool addHistory() override {
        if (keepsSqliteHistory(*db_)) return false;
        for (const std::string& statement : historySchema(kSqlite)) db_->exec(statement);
        signChanges(*db_), signing_ = true;
        return true;
    }

    bool signsChanges() override { return signsSqliteChanges(*db_); }

    bool addSignatures() override {
        if (signsSqliteChanges(*db_)) return false;
        for (const std::string& statement : historySignatures(kSqlite)) db_->exec(statement);
        signChanges(*db_), signing_ = true;
        return true;
    }

    const SqlDialect& dialect() const override { return kSqlite; }

    sqlite::Database& database() { return *db_; }

private:
    std::unique_ptr<sqlite::Database> db_;
    bool signing_ = false;   // the connection signs its changes, or its history cannot
    bool counting_ = false;  // the transaction records its updates as counts
};

}  // namespace

std::unique_ptr<sqlite::Database> openSqliteFile(const std::filesystem::path& file) {
    auto db = std::make_unique<sqlite::Database>(file, sqlite::Database::Mode::OpenExisting);
    // SQLite reads the file lazily; reading the schema now makes a file
    // that is no database fail here, with its name, and not at some later
    // statement.
    sqlite3* handle = db->handle();
    const int rc = sqlite3_exec(handle, "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        // Deleting the rollback journal is what commits a statement; EXTRA
        // flushes the folder after that deletion, before the statement
        // returns, so that a SAVE the window has acknowledged survives a
        // power cut (FULL, the default, leaves the deletion to the file
        // system's next flush, and the journal could come back and roll
        // the SAVE back). Set once the schema is read, which is when
        // another program's lock has been waited for.
        db->exec("PRAGMA synchronous = EXTRA");
        // Each connection runs one statement; a list reads its pages once,
        // in order, so a page cache of SQLite's default 2 MB only holds
        // what is never read again (at 30,000 gears, half a megabyte of
        // the window's memory).
        db->exec("PRAGMA cache_size = -256");
        return db;
    }
    if ((rc & 0xff) == SQLITE_NOTADB && isAccessFile(file))
        throw Failure(rc,
                      concat({"this is an Access database from the old Windows program, not one of this program: ",
                              file.string(),
                              ". Bring its gears over with: zanfiro-db import ",
                              file.string()}));
    throw Failure(rc, concat({sqlite3_errmsg(handle), ": ", file.string()}));
}

std::unique_ptr<Session> openSqliteDatabase(const std::filesystem::path& file) {
    return std::make_unique<SqliteSession>(openSqliteFile(file));
}

void createSqliteDatabase(const std::filesystem::path& file, const std::function<void(Session&)>& fill) {
    if (nameTaken(file))
        throw Failure(SQLITE_CANTOPEN, "the file already exists and was left untouched: " + file.string());
    SqliteSession session(std::make_unique<sqlite::Database>(file, sqlite::Database::Mode::CreateNew));
    sqlite::Database& db = session.database();
    db.exec("BEGIN");
    db.exec(gearsTableSchema(kSqlite));
    for (const std::string& statement : historySchema(kSqlite)) db.exec(statement);
    for (const std::string& statement : levelsSchema(kSqlite)) db.exec(statement);
    addListIndexes(db);
    if (fill) fill(session);
    db.exec("COMMIT");
}

Upgrade upgradeSqliteDatabase(const std::filesystem::path& file) {
    SqliteSession session(openSqliteFile(file));
    session.begin();
    const Upgrade added{.history = session.addHistory(),
                        .signatures = session.addSignatures(),
                        .listIndexes = addListIndexes(session.database()),
                        .levels = addLevels(session),
                        .levelChanges = addLevelChanges(session)};
    session.commit();
    return added;
}

}  // namespace zanfiro::store
