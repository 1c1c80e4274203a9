#include "store/pg.h"

#include <dlfcn.h>
#include <poll.h>

#include <libpq-fe.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
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
    decltype(&::PQconsumeInput) PQconsumeInput;
    decltype(&::PQerrorMessage) PQerrorMessage;
    decltype(&::PQfinish) PQfinish;
    decltype(&::PQflush) PQflush;
    decltype(&::PQfname) PQfname;
    decltype(&::PQfreemem) PQfreemem;
    decltype(&::PQftype) PQftype;
    decltype(&::PQgetisnull) PQgetisnull;
    decltype(&::PQgetlength) PQgetlength;
    decltype(&::PQgetResult) PQgetResult;
    decltype(&::PQgetvalue) PQgetvalue;
    decltype(&::PQisBusy) PQisBusy;
    decltype(&::PQnfields) PQnfields;
    decltype(&::PQntuples) PQntuples;
    decltype(&::PQresultErrorField) PQresultErrorField;
    decltype(&::PQresultStatus) PQresultStatus;
    decltype(&::PQsendQueryParams) PQsendQueryParams;
    decltype(&::PQsetnonblocking) PQsetnonblocking;
    decltype(&::PQsetNoticeProcessor) PQsetNoticeProcessor;
    decltype(&::PQsocket) PQsocket;
    decltype(&::PQsslInUse) PQsslInUse;
    decltype(&::PQsslStruct) PQsslStruct;
    decltype(&::PQstatus) PQstatus;
    // OpenSSL's, which libpq brings; absent from a libpq built without TLS.
    int (*SSL_pending)(const void* ssl);
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
        resolve(api.PQconsumeInput, "PQconsumeInput");
        resolve(api.PQerrorMessage, "PQerrorMessage");
        resolve(api.PQfinish, "PQfinish");
        resolve(api.PQflush, "PQflush");
        resolve(api.PQfname, "PQfname");
        resolve(api.PQfreemem, "PQfreemem");
        resolve(api.PQftype, "PQftype");
        resolve(api.PQgetisnull, "PQgetisnull");
        resolve(api.PQgetlength, "PQgetlength");
        resolve(api.PQgetResult, "PQgetResult");
        resolve(api.PQgetvalue, "PQgetvalue");
        resolve(api.PQisBusy, "PQisBusy");
        resolve(api.PQnfields, "PQnfields");
        resolve(api.PQntuples, "PQntuples");
        resolve(api.PQresultErrorField, "PQresultErrorField");
        resolve(api.PQresultStatus, "PQresultStatus");
        resolve(api.PQsendQueryParams, "PQsendQueryParams");
        resolve(api.PQsetnonblocking, "PQsetnonblocking");
        resolve(api.PQsetNoticeProcessor, "PQsetNoticeProcessor");
        resolve(api.PQsocket, "PQsocket");
        resolve(api.PQsslInUse, "PQsslInUse");
        resolve(api.PQsslStruct, "PQsslStruct");
        resolve(api.PQstatus, "PQstatus");
        api.SSL_pending = reinterpret_cast<decltype(api.SSL_pending)>(dlsym(library, "SSL_pending"));
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

// A statement that waited for another session's lock until lock_timeout.
constexpr std::string_view kLockNotAvailable = "55P03";

// A failed statement: the server says which SQLSTATE and why. Without a
// result the connection failed, which libpq tells in words only.
[[noreturn]] void failStatement(const PGresult* result, pg_conn* conn) {
    const char* state = result ? libpq().PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* message = result ? libpq().PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const std::string why = message ? message : withoutTrailingNewlines(libpq().PQerrorMessage(conn));
    const int number = state && state == kLockNotAvailable ? failure::kDatabaseBusy : failure::kServerCallFailed;
    throw Failure(number, concat({"SQLSTATE ", state ? state : "08006", ": ", why}));
}

// What a connection string gives for one keyword, empty when nothing.
std::string conninfoValue(const std::string& conninfo, std::string_view keyword) {
    char* error = nullptr;
    PQconninfoOption* options = libpq().PQconninfoParse(conninfo.c_str(), &error);
    if (!options) {
        const std::string why = error ? withoutTrailingNewlines(error) : "out of memory";
        libpq().PQfreemem(error);
        throw Failure(failure::kBadConnectionString, concat({"the server's connection string is wrong: ", why}));
    }
    std::string value;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        if (option->keyword == keyword && option->val) value = option->val;
    libpq().PQconninfoFree(options);
    return value;
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

// What the program asks of the server for every connection. A statement
// waiting for another session's lock gives up after the 5 s a file waits
// for its lock. A statement may run 10 s, which the list of 30,000 gears
// (tens of ms on a server nearby) stays far within on a slow server. A
// session left inside a transaction by a workstation whose network went
// down is ended, so that its table lock does not shut the others out until
// the server's own TCP timeout (hours). The link's own `options` come
// after these, and a setting given twice counts the last time.
constexpr std::string_view kServerSettings =
    "-c lock_timeout=5s -c statement_timeout=10s -c idle_in_transaction_session_timeout=10s";

// How much longer than its statement limit the program waits for an
// answer: the server reports a statement it cancelled at the limit well
// within this, so silence past it means the server or the way to it is gone.
constexpr std::chrono::milliseconds kAnswerGrace{5000};

// The words of libpq's `options` (backslash keeps a blank in a word).
std::vector<std::string> optionWords(std::string_view options) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const char c = options[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) words.push_back(std::exchange(word, {}));
            inWord = false;
            continue;
        }
        if (c == '\\' && i + 1 < options.size()) ++i;
        word += options[i];
        inWord = true;
    }
    if (inWord) words.push_back(word);
    return words;
}

// A time setting as the server reads it: a number, in ms unless a unit
// follows.
std::optional<std::chrono::milliseconds> timeSetting(std::string_view text) {
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc()) return std::nullopt;
    const std::string_view unit = trimmed(text.substr(static_cast<std::size_t>(end - text.data())));
    static constexpr std::pair<std::string_view, double> kUnits[] = {
        {"", 1}, {"us", 0.001}, {"ms", 1}, {"s", 1000}, {"min", 60'000}, {"h", 3'600'000}, {"d", 86'400'000}};
    for (const auto& [name, ms] : kUnits)
        if (unit == name) return std::chrono::milliseconds(std::llround(number * ms));
    return std::nullopt;
}

// The statement limit `options` give the server, the last one counting.
std::chrono::milliseconds statementLimit(std::string_view options) {
    std::chrono::milliseconds limit{};
    const std::vector<std::string> words = optionWords(options);
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string setting;
        if (words[i] == "-c" && i + 1 < words.size())
            setting = words[++i];
        else if (words[i].starts_with("--"))
            setting = words[i].substr(2);
        else if (words[i].starts_with("-c"))
            setting = words[i].substr(2);
        const auto equals = setting.find('=');
        std::string name = lower(setting.substr(0, equals == std::string::npos ? 0 : equals));
        std::replace(name.begin(), name.end(), '-', '_');
        if (name != "statement_timeout") continue;
        if (const auto value = timeSetting(std::string_view(setting).substr(equals + 1))) limit = *value;
    }
    return limit;
}

// The program's settings, then the environment's and the link's: libpq
// takes `options` from one place only, the last given.
std::string serverOptions(const std::string& conninfo) {
    const char* environment = std::getenv("PGOPTIONS");
    return concat({kServerSettings, " ", environment ? environment : "", " ", conninfoValue(conninfo, "options")});
}

// What the program asks of a connection unless the connection string says
// otherwise: a connection not made within 10 s fails, a network gone quiet
// is noticed by TCP itself within about 15 s (keepalives, unacknowledged
// data), and the server's administrator (and the history's signature) sees
// which program on which workstation connected.
pg_conn* connect(const std::string& conninfo, const std::string& options) {
    const char* const keywords[] = {"connect_timeout",
                                    "application_name",
                                    "keepalives_idle",
                                    "keepalives_interval",
                                    "keepalives_count",
                                    "tcp_user_timeout",
                                    "dbname",
                                    "options",
                                    nullptr};
    const char* const values[] = {
        "10", workstationName().c_str(), "5", "2", "3", "15000", conninfo.c_str(), options.c_str(), nullptr};
    // The connection string goes in as dbname and is expanded there, so its
    // own settings come after, and win over, the ones before it; `options`
    // already holds its own.
    return libpq().PQconnectdbParams(keywords, values, 1);
}

// Bytes TLS has taken from the socket that libpq has not read yet: poll()
// on the socket does not see them.
bool tlsHoldsInput(pg_conn* conn) {
    if (!libpq().SSL_pending || !libpq().PQsslInUse(conn)) return false;
    const void* tls = libpq().PQsslStruct(conn, "OpenSSL");
    return tls && libpq().SSL_pending(tls) > 0;
}

std::string inSeconds(std::chrono::milliseconds time) {
    const auto ms = time.count();
    return ms % 1000 ? std::to_string(ms) + " ms" : std::to_string(ms / 1000) + " s";
}

}  // namespace

Connection::Connection(const std::string& conninfo) {
    const std::string options = serverOptions(conninfo);
    if (const auto limit = statementLimit(options); limit.count() > 0) answerWithin_ = limit + kAnswerGrace;
    conn_ = connect(conninfo, options);
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
    // A statement is sent and its answer awaited by the program itself, with
    // a deadline; libpq alone would wait for a silent server without end.
    libpq().PQsetnonblocking(conn_, 1);
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
    const Deadline deadline = std::chrono::steady_clock::now() + answerWithin_;
    if (!libpq().PQsendQueryParams(conn_,
                                   std::string(sql).c_str(),
                                   static_cast<int>(values.size()),
                                   nullptr,
                                   values.data(),
                                   nullptr,
                                   nullptr,
                                   0))
        failStatement(nullptr, conn_);
    // What did not fit the socket goes out as the server reads, which it
    // may only do once the program has read what the server sent.
    while (const int unsent = libpq().PQflush(conn_)) {
        if (unsent < 0) failStatement(nullptr, conn_);
        awaitServer(POLLIN | POLLOUT, deadline);
        if (!libpq().PQconsumeInput(conn_)) failStatement(nullptr, conn_);
    }
    const auto nextResult = [&] {
        while (libpq().PQisBusy(conn_)) {
            awaitServer(POLLIN, deadline);
            if (!libpq().PQconsumeInput(conn_)) failStatement(nullptr, conn_);
        }
        return libpq().PQgetResult(conn_);
    };
    PGresult* raw = nextResult();
    if (!raw) failStatement(nullptr, conn_);
    Result result(raw);
    while (PGresult* more = nextResult()) libpq().PQclear(more);
    const ExecStatusType status = libpq().PQresultStatus(raw);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) failStatement(raw, conn_);
    return result;
}

void Connection::awaitServer(short events, Deadline deadline) {
    if (tlsHoldsInput(conn_)) return;
    const int socket = libpq().PQsocket(conn_);
    if (socket < 0) failStatement(nullptr, conn_);
    for (;;) {
        int timeoutMs = -1;
        if (answerWithin_.count() > 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) giveUp();
            timeoutMs = static_cast<int>(left.count());
        }
        pollfd watched{socket, events, 0};
        const int ready = poll(&watched, 1, timeoutMs);
        if (ready > 0) return;
        if (ready < 0 && errno != EINTR)
            throw Failure(failure::kServerCallFailed, concat({"SQLSTATE 08006: ", std::strerror(errno)}));
    }
}

void Connection::giveUp() {
    // Closed at once: the server rolls back the open transaction as soon as
    // it sees the connection end (or, the way to it being cut, once it has
    // been idle in it past idle_in_transaction_session_timeout).
    libpq().PQfinish(std::exchange(conn_, nullptr));
    throw Failure(failure::kServerCallFailed,
                  concat({"SQLSTATE 08006: the server did not answer within ",
                          inSeconds(answerWithin_),
                          "; the connection was closed"}));
}

bool namesPassword(const std::string& conninfo) { return !conninfoValue(conninfo, "password").empty(); }

}  // namespace zanfiro::store::pg
