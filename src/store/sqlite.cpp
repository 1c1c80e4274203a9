#include "store/sqlite.h"

#include <sqlite3.h>

#include <cstdio>

#include "base/failure.h"

namespace zanfiro::store::sqlite {

namespace {

// Another program holding the file (a backup copying it, the companion
// tool) gets this long to finish before an operation fails.
constexpr int kBusyTimeoutMs = 5000;

std::string realText(double number) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", number);
    return buffer;
}

}  // namespace

Database::Database(const std::filesystem::path& file, Mode mode) {
    // Without CREATE, SQLite never makes a file: a missing database stays
    // missing and the failure names it.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::CreateNew) flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw Failure(rc, message + ": " + file.string());
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

Database::~Database() { sqlite3_close_v2(db_); }

void Database::exec(std::string_view sql) {
    const std::string text(sql);
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
}

std::int64_t Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(db_); }

int Database::changes() const { return sqlite3_changes(db_); }

void Database::fail(int code) const { throw Failure(code, sqlite3_errmsg(db_)); }

Statement::Statement(Database& db, std::string_view sql) : db_(db) {
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &stmt_, &tail);
    if (rc != SQLITE_OK) db.fail(rc);
    if (!stmt_) throw Failure(SQLITE_MISUSE, "empty statement");
    // One text is one statement: a second one would silently never run.
    for (const char* p = tail; p < sql.data() + sql.size(); ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r' && *p != ';') {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw Failure(SQLITE_MISUSE, "more than one statement in: " + std::string(sql));
        }
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.fail(rc);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::bind(int index, std::int64_t value) {
    if (const int rc = sqlite3_bind_int64(stmt_, index, value); rc != SQLITE_OK) db_.fail(rc);
}

void Statement::bind(int index, std::string_view value) {
    const int rc = sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) db_.fail(rc);
}

void Statement::bind(int index, const Value& value) {
    if (value.isNull())
        bindNull(index);
    else if (value.isNumber())
        bind(index, value.number());
    else
        bind(index, std::string_view(value.text()));
}

void Statement::bindNull(int index) {
    if (const int rc = sqlite3_bind_null(stmt_, index); rc != SQLITE_OK) db_.fail(rc);
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

std::string Statement::columnName(int column) const { return sqlite3_column_name(stmt_, column); }

Value Statement::column(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER: return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT: return Value(realText(sqlite3_column_double(stmt_, column)));
    case SQLITE_NULL: return Value();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return Value(std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))));
    }
    }
}

}  // namespace zanfiro::store::sqlite
