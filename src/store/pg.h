#pragma once

#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "store/value.h"

struct pg_conn;
struct pg_result;

namespace zanfiro::store::pg {

// A libpq connection to a PostgreSQL server. Failures are thrown as Failure
// with the server's SQLSTATE and message in the description; a statement
// that waited for another session's lock past the wait a file allows fails
// with the file's number for a held database (failure::kDatabaseBusy).
class Connection;

// The whole result of one statement, held by the client.
class Result {
public:
    explicit Result(pg_result* result) : result_(result) {}
    ~Result();
    Result(Result&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
    Result& operator=(Result&&) = delete;
    Result(const Result&) = delete;

    int rows() const;
    int columns() const;
    std::string columnName(int column) const;
    Value value(int row, int column) const;

private:
    pg_result* result_;
};

class Connection {
public:
    // Connects with a libpq connection string (key=value pairs, a service
    // name or a postgresql:// URI); whatever it leaves out comes from
    // libpq's own environment and files (~/.pg_service.conf, ~/.pgpass).
    // The program's limits on waiting (kServerSettings in pg.cpp) come
    // first, so that the string's own `options` and keywords win.
    explicit Connection(const std::string& conninfo);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs one statement with its `$n` parameters sent as texts, which the
    // server converts to the types the statement calls for. A server that
    // has not answered by the end of its statement limit and a few seconds
    // more is given up: the connection is closed and the statement fails.
    Result exec(std::string_view sql, std::span<const Value> parameters = {});

private:
    using Deadline = std::chrono::steady_clock::time_point;
    void awaitServer(short events, Deadline deadline);
    [[noreturn]] void giveUp();

    pg_conn* conn_ = nullptr;
    std::chrono::milliseconds answerWithin_{};  // zero: without end, as a link with statement_timeout=0 asks
};

// The password a connection string names, or nothing.
bool namesPassword(const std::string& conninfo);

}  // namespace zanfiro::store::pg
