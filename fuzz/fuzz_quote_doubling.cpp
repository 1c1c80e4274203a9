// Quote doubling: whatever the operator types, the escaped text between
// quotes is one literal that SQLite reads back as exactly that text, and
// no second statement can follow it.
#include <sqlite3.h>

#include <string>

#include "check.h"
#include "store/access_sql.h"

namespace {

sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        return opened;
    }();
    return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text = asText(data, size);
    const std::string escaped = zanfiro::store::escaped(text);
    std::size_t quotes = 0;
    for (const char c : text) quotes += c == '\'';
    FUZZ_CHECK(escaped.size() == text.size() + quotes);
    // SQLite ends a statement's text at a NUL byte, as the handlers' texts
    // never hold one; the rest must read back whole.
    if (text.find('\0') != std::string_view::npos) return 0;
    const std::string sql = "SELECT '" + escaped + "'";
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(database(), sql.c_str(), int(sql.size()), &statement, &tail) == SQLITE_OK);
    FUZZ_CHECK(tail == sql.c_str() + sql.size());
    FUZZ_CHECK(sqlite3_step(statement) == SQLITE_ROW);
    const auto* read = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    FUZZ_CHECK(std::string_view(read, std::size_t(sqlite3_column_bytes(statement, 0))) == text);
    sqlite3_finalize(statement);
    return 0;
}
