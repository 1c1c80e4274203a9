#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "store/value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zanfiro::store::sqlite {

// An open SQLite database file. Errors are thrown as Failure with the
// engine's result code and message.
class Database {
public:
    enum class Mode { OpenExisting, CreateNew };

    Database(const std::filesystem::path& file, Mode mode);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs statements that return no rows, such as a schema or a pragma.
    void exec(std::string_view sql);
    std::int64_t lastInsertRowId() const;
    int changes() const;
    sqlite3* handle() const { return db_; }

    [[noreturn]] void fail(int code) const;

private:
    sqlite3* db_ = nullptr;
};

// One prepared statement, stepped row by row.
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Advances to the next row; false once the statement is done.
    bool step();
    void reset();

    void bind(int index, std::int64_t value);
    void bind(int index, std::string_view value);
    void bind(int index, const Value& value);
    void bindNull(int index);

    int columnCount() const;
    std::string columnName(int column) const;
    Value column(int column) const;

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace zanfiro::store::sqlite
