#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "store/gear.h"
#include "store/session.h"
#include "values.h"

namespace zanfiro::testing {

// Where a test's gears live: a file, or a database of their own on the tests' PostgreSQL server (which CTest
// starts: see support/pg_server.sh), reached through a link at the file's place.
enum class Engine { File, Server };

inline void PrintTo(Engine engine, std::ostream* out) { *out << (engine == Engine::File ? "File" : "Server"); }

// The tests' PostgreSQL server, as support/pg_server.sh wrote it down (at ZANFIRO_TEST_PG_STATE when set): its
// socket folder and its port, which it also listens on at 127.0.0.1 with TLS, and two certificate authorities, the
// one that signed the server's certificate and one that signed nothing of it.
struct TestServer {
    std::string socketFolder, port;
    std::filesystem::path authority, otherAuthority;
};
const TestServer& testServer();

// The engine a test gets unless it asks for one: ZANFIRO_TEST_ENGINE=server runs a suite on the server.
Engine testEngine();

// A libpq connection string for `database` on the tests' server, logged in as `user` (by default the superuser
// zanfiro); the server trusts every role on its socket.
std::string serverConninfo(const std::string& database, const std::string& user = "zanfiro");

// A name for a database or role on the tests' server that no other test, in this run or another, takes.
std::string uniqueServerName(const std::string& prefix);

// A server keeps teeth and quantity as whole numbers, where a file keeps whatever text it is given.
inline bool numbersOnlyInNumberColumns() { return testEngine() == Engine::Server; }
inline constexpr const char* kServerKeepsNumbers = "the server keeps teeth and quantity as whole numbers only";

// A gear database made as `zanfiro-db init` makes it, in a temporary folder removed afterwards. Gears are stored
// and read through the store's own engine, with their values as given (texts where numbers belong, Null).
class TempDatabase {
public:
    enum class Content { EmptyTable, NoFile };
    explicit TempDatabase(Content content = Content::EmptyTable, Engine engine = testEngine());
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& path() const { return path_; }
    // The libpq connection string of the server database; empty for a file.
    const std::string& server() const { return server_; }
    std::string connectionString() const;  // read by the program's own code

    // A session of its own on the file, as another program holding it would have.
    std::shared_ptr<store::Session> session() const;

    // Stores the gear; a Null ID lets the database give the next one. Returns the gear's ID.
    std::int64_t insert(const store::GearRecord& gear);
    std::int64_t insert(std::int64_t D, std::string M, std::string T, std::int64_t QTY) {
        return insert({.D = num(D), .M = txt(std::move(M)), .T = txt(std::move(T)), .QTY = num(QTY)});
    }
    void insertWithId(std::int64_t id, store::Value D, store::Value M, store::Value T, store::Value QTY) {
        insert({.ID = num(id), .D = D, .M = M, .T = T, .QTY = QTY});
    }
    void execute(std::string_view sql) const;
    std::vector<store::GearRecord> gears() const;  // ordered by ID
    std::int64_t count() const;

private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
    std::string server_;
    std::string serverDatabase_;
};

}  // namespace zanfiro::testing
