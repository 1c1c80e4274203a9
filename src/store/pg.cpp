#include "store/pg.h"

#include <dlfcn.h>

#include <libpq-fe.h>

#include <charconv>
#include <type_traits>
#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "store/workstation.h"

namespace zanfiro::store::pg {

namespace {

// libpq is loaded when a link to a server is first opened, not linked: a
// program that works on a file then never maps it, nor the dozen libraries
// it brings (TLS, Kerberos, LDAP), which cost the window's start-up a
// quarter of its time and a fifth of its memory.
struct Libpq {
    decltype(&::PQclear) PQclear;
    decltype(&::PQconnectdbParams) PQconnectdbParams;
    decltype(&::PQconninfoFree) PQconninfoFree;
    decltype(&::PQconninfoParse) PQconninfoParse;
    decltype(&::PQerrorMessage) PQerrorMessage;
    decltype(&::PQexecParams) PQexecParams;
    decltype(&::PQfinish) PQfinish;
    decltype(&::PQfname) PQfname;
    decltype(&::PQfreemem) PQfreemem;
    decltype(&::PQftype) PQftype;
    decltype(&::PQgetisnull) PQgetisnull;
    decltype(&::PQgetlength) PQgetlength;
    decltype(&::PQgetvalue) PQgetvalue;
    decltype(&::PQnfields) PQnfields;
    decltype(&::PQntuples) PQntuples;
    decltype(&::PQresultErrorField) PQresultErrorField;
    decltype(&::PQresultStatus) PQresultStatus;
    decltype(&::PQsetNoticeProcessor) PQsetNoticeProcessor;
    decltype(&::PQstatus) PQstatus;
};

const Libpq& libpq() {
    static const Libpq loaded = [] {
        void* library = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            throw Failure(failure::kServerConnectionFailed,
                          concat({"the PostgreSQL client library is missing (Debian package libpq5): ", dlerror()}));
        Libpq api{};
        const auto resolve = [library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            if (!function) throw Failure(failure::kServerConnectionFailed, concat({"libpq.so.5 lacks ", name}));
        };
        resolve(api.PQclear, "PQclear");
        resolve(api.PQconnectdbParams, "PQconnectdbParams");
        resolve(api.PQconninfoFree, "PQconninfoFree");
        resolve(api.PQconninfoParse, "PQconninfoParse");
        resolve(api.PQerrorMessage, "PQerrorMessage");
        resolve(api.PQexecParams, "PQexecParams");
        resolve(api.PQfinish, "PQfinish");
        resolve(api.PQfname, "PQfname");
        resolve(api.PQfreemem, "PQfreemem");
        resolve(api.PQftype, "PQftype");
        resolve(api.PQgetisnull, "PQgetisnull");
        resolve(api.PQgetlength, "PQgetlength");
        resolve(api.PQgetvalue, "PQgetvalue");
        resolve(api.PQnfields, "PQnfields");
        resolve(api.PQntuples, "PQntuples");
        resolve(api.PQresultErrorField, "PQresultErrorField");
        resolve(api.PQresultStatus, "PQresultStatus");
        resolve(api.PQsetNoticeProcessor, "PQsetNoticeProcessor");
        resolve(api.PQstatus, "PQstatus");
        return api;
    }();
    return loaded;
}

// Type OIDs of the columns read back as whole numbers (int8, int2, int4).
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23;

std::string withoutTrailingNewlines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// A failed statement: the server says which SQLSTATE and why.
[[noreturn]] void failStatement(const PGresult* result, pg_conn* conn) {
    const char* state = result ? libpq().PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* message = result ? libpq().PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const std::string why = message ? message : withoutTrailingNewlines(libpq().PQerrorMessage(conn));
    throw Failure(failure::kServerCallFailed, concat({"SQLSTATE ", state ? state : "08006", ": ", why}));
}

}  // namespace

Result::~Result() { libpq().PQclear(result_); }

int Result::rows() const { return libpq().PQntuples(result_); }
int Result::columns() const { return libpq().PQnfields(result_); }
std::string Result::columnName(int column) const { return libpq().PQfname(result_, column); }

Value Result::value(int row, int column) const {
    if (libpq().PQgetisnull(result_, row, column)) return Value();
    const char* text = libpq().PQgetvalue(result_, row, column);
    const auto size = static_cast<std::size_t>(libpq().PQgetlength(result_, row, column));
    const Oid type = libpq().PQftype(result_, column);
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
// after the system's TCP timeout, and the server's administrator (and the
// history's signature) sees which program on which workstation connected.
pg_conn* connect(const std::string& conninfo) {
    const char* const keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* const values[] = {"10", workstationName().c_str(), conninfo.c_str(), nullptr};
    // The connection string goes in as dbname and is expanded there, so its
    // own settings come after, and win over, the two above.
    return libpq().PQconnectdbParams(keywords, values, 1);
}

}  // namespace

Connection::Connection(const std::string& conninfo) : conn_(connect(conninfo)) {
    if (!conn_) throw Failure(failure::kOutOfMemory, "Out of memory");
    if (libpq().PQstatus(conn_) != CONNECTION_OK) {
        // libpq gives no SQLSTATE for a connection it could not make; 08001
        // is the standard one for "unable to establish".
        const std::string why = withoutTrailingNewlines(libpq().PQerrorMessage(conn_));
        libpq().PQfinish(conn_);
        conn_ = nullptr;
        throw Failure(failure::kServerConnectionFailed, concat({"SQLSTATE 08001: ", why}));
    }
    // Warnings such as "table already exists, skipping" are for people at a
    // psql prompt, not for the operator's terminal.
    libpq().PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
}

Connection::~Connection() { libpq().PQfinish(conn_); }

Result Connection::exec(std::string_view sql, std::span<const Value> parameters) {
    std::vector<std::string> texts;
    texts.reserve(parameters.size());
    std::vector<const char*> values;
    for (const Value& parameter : parameters) {
        texts.push_back(parameter.textOrEmpty());
        values.push_back(parameter.isNull() ? nullptr : texts.back().c_str());
    }
    PGresult* raw = libpq().PQexecParams(
        conn_, std::string(sql).c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    Result result(raw);
    const ExecStatusType status = libpq().PQresultStatus(raw);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) failStatement(raw, conn_);
    return result;
}

bool namesPassword(const std::string& conninfo) {
    char* error = nullptr;
    PQconninfoOption* options = libpq().PQconninfoParse(conninfo.c_str(), &error);
    if (!options) {
        const std::string why = error ? withoutTrailingNewlines(error) : "out of memory";
        libpq().PQfreemem(error);
        throw Failure(failure::kBadConnectionString, concat({"the server's connection string is wrong: ", why}));
    }
    bool found = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        if (std::string_view(option->keyword) == "password" && option->val && *option->val) found = true;
    libpq().PQconninfoFree(options);
    return found;
}

}  // namespace zanfiro::store::pg
