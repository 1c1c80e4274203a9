#pragma once

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
// with the server's SQLSTATE and message in the description.
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
    explicit Connection(const std::string& conninfo);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs one statement with its `$n` parameters sent as texts, which the
    // server converts to the types the statement calls for.
    Result exec(std::string_view sql, std::span<const Value> parameters = {});

private:
    pg_conn* conn_ = nullptr;
};

// The password a connection string names, or nothing.
bool namesPassword(const std::string& conninfo);

}  // namespace zanfiro::store::pg
