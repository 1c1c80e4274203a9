#include "store/pg.h"

#include <libpq-fe.h>

#include <charconv>
#include <vector>

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro::store::pg {

namespace {

// Type OIDs of the columns read back as whole numbers (int8, int2, int4).
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23;

std::string withoutTrailingNewlines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// A failed statement: the server says which SQLSTATE and why.
[[noreturn]] void failStatement(const PGresult* result, pg_conn* conn) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* message = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const std::string why = message ? message : withoutTrailingNewlines(PQerrorMessage(conn));
    throw Failure(failure::kServerCallFailed, concat({"SQLSTATE ", state ? state : "08006", ": ", why}));
}

}  // namespace

Result::~Result() { PQclear(result_); }

int Result::rows() const { return PQntuples(result_); }
int Result::columns() const { return PQnfields(result_); }
std::string Result::columnName(int column) const { return PQfname(result_, column); }

Value Result::value(int row, int column) const {
    if (PQgetisnull(result_, row, column)) return Value();
    const char* text = PQgetvalue(result_, row, column);
    const auto size = static_cast<std::size_t>(PQgetlength(result_, row, column));
    const Oid type = PQftype(result_, column);
    if (type == kInt8 || type == kInt4 || type == kInt2) {
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text, text + size, number);
        if (error == std::errc() && end == text + size) return Value(number);
    }
    return Value(std::string(text, size));
}

namespace {

// What the program asks of a connection unless the connection string says
// otherwise: a server that does not answer fails within seconds rather than
// after the system's TCP timeout, and the server's administrator sees which
// connections are the program's.
pg_conn* connect(const std::string& conninfo) {
    const char* const keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* const values[] = {"10", "zanfiro", conninfo.c_str(), nullptr};
    // The connection string goes in as dbname and is expanded there, so its
    // own settings come after, and win over, the two above.
    return PQconnectdbParams(keywords, values, 1);
}

}  // namespace

Connection::Connection(const std::string& conninfo) : conn_(connect(conninfo)) {
    if (!conn_) throw Failure(failure::kOutOfMemory, "Out of memory");
    if (PQstatus(conn_) != CONNECTION_OK) {
        // libpq gives no SQLSTATE for a connection it could not make; 08001
        // is the standard one for "unable to establish".
        const std::string why = withoutTrailingNewlines(PQerrorMessage(conn_));
        PQfinish(conn_);
        conn_ = nullptr;
        throw Failure(failure::kServerConnectionFailed, concat({"SQLSTATE 08001: ", why}));
    }
    // Warnings such as "table already exists, skipping" are for people at a
    // psql prompt, not for the operator's terminal.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
}

Connection::~Connection() { PQfinish(conn_); }

Result Connection::exec(std::string_view sql, std::span<const Value> parameters) {
    std::vector<std::string> texts;
    texts.reserve(parameters.size());
    std::vector<const char*> values;
    for (const Value& parameter : parameters) {
        texts.push_back(parameter.textOrEmpty());
        values.push_back(parameter.isNull() ? nullptr : texts.back().c_str());
    }
    PGresult* raw = PQexecParams(
        conn_, std::string(sql).c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    Result result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) failStatement(raw, conn_);
    return result;
}

bool namesPassword(const std::string& conninfo) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
    if (!options) {
        const std::string why = error ? withoutTrailingNewlines(error) : "out of memory";
        PQfreemem(error);
        throw Failure(failure::kBadConnectionString, concat({"the server's connection string is wrong: ", why}));
    }
    bool found = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        if (std::string_view(option->keyword) == "password" && option->val && *option->val) found = true;
    PQconninfoFree(options);
    return found;
}

}  // namespace zanfiro::store::pg
