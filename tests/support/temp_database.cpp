#include "temp_database.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "store/connection_string.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "store/pg_session.h"
#include "store/server_link.h"

namespace zanfiro::testing {

namespace {

void onServer(const std::string& statement) {
    store::openServerDatabase(serverConninfo("postgres"))->execute(statement);
}

}  // namespace

const TestServer& testServer() {
    static const TestServer server = [] {
        const char* named = std::getenv("ZANFIRO_TEST_PG_STATE");
        const std::string path = named && *named ? named : ZANFIRO_PG_STATE;
        std::ifstream state(path);
        TestServer read;
        std::string authority, otherAuthority;
        if (!std::getline(state, read.socketFolder) || !std::getline(state, read.port) ||
            !std::getline(state, authority) || !std::getline(state, otherAuthority))
            throw std::runtime_error(
                "no PostgreSQL server runs for the tests: ctest starts one (fixture pg_server), or run "
                "bash tests/support/pg_server.sh start " +
                path);
        read.authority = authority;
        read.otherAuthority = otherAuthority;
        return read;
    }();
    return server;
}

std::string serverConninfo(const std::string& database, const std::string& user) {
    return "host=" + testServer().socketFolder + " port=" + testServer().port + " user=" + user + " dbname=" + database;
}

std::string uniqueServerName(const std::string& prefix) {
    static std::atomic<int> made = 0;
    return prefix + "_" + std::to_string(getpid()) + "_" + std::to_string(++made);
}

Engine testEngine() {
    const char* engine = std::getenv("ZANFIRO_TEST_ENGINE");
    return engine && std::string_view(engine) == "server" ? Engine::Server : Engine::File;
}

TempDatabase::TempDatabase(Content content, Engine engine) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zanfiro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    path_ = folder_ / "DB.mdb";
    if (engine == Engine::Server) {
        serverDatabase_ = uniqueServerName("test");
        onServer("CREATE DATABASE " + serverDatabase_);
        server_ = serverConninfo(serverDatabase_);
        if (content == Content::EmptyTable) {
            store::createServerGearsTable(server_);
            store::writeServerLink(path_, server_);  // at the file's place, where the program looks
        }
    } else if (content == Content::EmptyTable) {
        store::createDatabase(path_);
    }
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    if (serverDatabase_.empty()) return;
    try {
        onServer("DROP DATABASE " + serverDatabase_ + " WITH (FORCE)");
    } catch (const std::exception&) {
        // The server going away first must not end the test run.
    }
}

std::string TempDatabase::connectionString() const { return store::connectionStringFor(path_); }

std::shared_ptr<store::Session> TempDatabase::session() const { return store::openDatabase(path_); }

std::int64_t TempDatabase::insert(const store::GearRecord& gear) {
    auto db = session();
    store::insertGear(*db, gear);
    if (gear.ID.isNull()) return db->nextId() - 1;
    // An ID given by hand moves the numbering on, as SQLite's does by itself, so that both engines give the next
    // new gear the same ID.
    if (gear.ID.number() >= db->nextId()) db->continueIdsAfter(gear.ID.number());
    return gear.ID.number();
}

void TempDatabase::execute(std::string_view sql) const { session()->execute(sql); }

std::vector<store::GearRecord> TempDatabase::gears() const { return store::allGears(*session()); }

std::int64_t TempDatabase::count() const { return store::countGears(*session()); }

}  // namespace zanfiro::testing
