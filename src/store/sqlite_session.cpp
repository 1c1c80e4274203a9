#include "store/sqlite_session.h"

#include <sqlite3.h>

#include "base/failure.h"
#include "base/text.h"
#include "store/access_sql.h"
#include "store/engine.h"
#include "store/gear.h"
#include "store/sqlite.h"

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

std::string gearsSchema() {
    std::string columns;
    for (const GearColumn& column : kGearColumns)
        columns += concat({columns.empty() ? "" : ", ", column.name, " ", columnType(column.kind)});
    return concat({"CREATE TABLE ", kGearsTable, " (", columns, ")"});
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

class SqliteSession final : public Session {
public:
    explicit SqliteSession(const std::filesystem::path& file) : db_(file, sqlite::Database::Mode::OpenExisting) {}

    void execute(std::string_view sql, std::span<const Value> parameters) override {
        sqlite::Statement statement(db_, withoutDeleteStar(sql));
        bindAll(statement, parameters);
        while (statement.step()) {
        }
    }

    std::unique_ptr<Cursor> query(std::string_view sql, std::span<const Value> parameters) override {
        return std::make_unique<SqliteCursor>(db_, withoutDeleteStar(sql), parameters);
    }

    void begin() override { db_.exec("BEGIN IMMEDIATE"); }
    void commit() override { db_.exec("COMMIT"); }

    std::int64_t nextId() override {
        // SQLite gives the next row the larger of the counter and the
        // largest ID, plus one.
        SqliteCursor seq(db_,
                         "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'Gears'), 0), "
                         "coalesce((SELECT max(ID) FROM Gears), 0)) + 1",
                         {});
        seq.next();
        return seq.value(0).number();
    }

    void continueIdsAfter(std::int64_t id) override {
        const Value last(id);
        execute("UPDATE sqlite_sequence SET seq = ? WHERE name = 'Gears'", {&last, 1});
        if (db_.changes() == 0) execute("INSERT INTO sqlite_sequence (name, seq) VALUES ('Gears', ?)", {&last, 1});
    }

    sqlite::Database& database() { return db_; }

private:
    sqlite::Database db_;
};

}  // namespace

std::unique_ptr<Session> openSqliteDatabase(const std::filesystem::path& file) {
    auto session = std::make_unique<SqliteSession>(file);
    // SQLite reads the file lazily; reading the schema now makes a file
    // that is no database fail here, with its name, and not at some later
    // statement.
    sqlite3* handle = session->database().handle();
    const int rc = sqlite3_exec(handle, "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return session;
    if ((rc & 0xff) == SQLITE_NOTADB && isAccessFile(file))
        throw Failure(rc,
                      concat({"this is an Access database from the old Windows program, not one of this program: ",
                              file.string(),
                              ". Bring its gears over with: zanfiro-db import ",
                              file.string()}));
    throw Failure(rc, concat({sqlite3_errmsg(handle), ": ", file.string()}));
}

void createSqliteDatabase(const std::filesystem::path& file) {
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored) || std::filesystem::is_symlink(file, ignored))
        throw Failure(SQLITE_CANTOPEN, "the file already exists and was left untouched: " + file.string());
    if (file.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        if (error)
            throw Failure(SQLITE_CANTOPEN,
                          concat({"cannot create the folder ", file.parent_path().string(), ": ", error.message()}));
    }
    try {
        sqlite::Database db(file, sqlite::Database::Mode::CreateNew);
        db.exec(gearsSchema());
    } catch (...) {
        std::filesystem::remove(file, ignored);
        throw;
    }
}

}  // namespace zanfiro::store
