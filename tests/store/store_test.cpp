// The data source as the handlers use it: connection strings, the dialect, recordsets, opening the file.
#include <gmock/gmock.h>
#include <sqlite3.h>

#include <fstream>
#include <thread>

#include "store/connection.h"
#include "store/connection_string.h"
#include "store/gear_table.h"
#include "store/recordset.h"
#include "temp_database.h"

namespace zanfiro::testing {
namespace {

using namespace store;
using ::testing::HasSubstr;
using zanfiro::testing::PrintTo;
using Rows = std::vector<std::string>;
const std::string kAccess = "driver={Microsoft Access Driver (*.mdb)};dbq=";

std::unique_ptr<Connection> connect(const TempDatabase& db) {
    auto connection = std::make_unique<Connection>();
    connection->open(db.connectionString());
    return connection;
}

// Walks a query as a list handler does: per record, the named fields' texts joined by '|'.
Rows rowsOf(const TempDatabase& db, const std::string& query, const Rows& fields) {
    const auto connection = connect(db);
    Recordset records;
    records.open(query, *connection);
    Rows rows;
    for (; !records.eof(); records.moveNext()) {
        rows.emplace_back();
        for (const auto& f : fields) rows.back() += (&f == &fields[0] ? "" : "|") + records.field(f).textOrEmpty();
    }
    return rows;
}

struct Mapped {
    std::string text, path;
};

TEST(ConnectionString, DriveCIsTheOperatorsHomeFolder) {
    const Mapped cases[] = {
        {.text = std::string(kConnectionString), .path = "/home/op/NDB/DB.mdb"},
        {.text = kAccess + R"(c:/NDB/Old\DB.mdb)", .path = "/home/op/NDB/Old/DB.mdb"},
        {.text = kAccess + R"({C:\Dati Officina\DB;1.mdb})", .path = "/home/op/Dati Officina/DB;1.mdb"},
    };
    for (const Mapped& c : cases) EXPECT_EQ(dataSourceFor(c.text, "/home/op").database, c.path) << c.text;
}

TEST(ConnectionString, FirstDbqCountsWhateverItsBlanksBracesAndCase) {
    const std::string text = "  DBQ = {/tmp/a;b}}c.mdb} ;dbq=/2.mdb;; Driver={microsoft access driver (*.mdb)}";
    EXPECT_EQ(dataSourceFor(text, "/home/op").database, "/tmp/a;b}c.mdb");
}

TEST(ConnectionString, MalformedOneIsABadConnectionString) {
    const struct {
        std::string why, text;
    } cases[] = {
        {.why = "unclosed brace", .text = kAccess + "{/tmp/DB.mdb"},
        {.why = "text after the brace", .text = kAccess + "{/tmp/DB}.mdb"},
        {.why = "a drive other than C:", .text = kAccess + R"(D:\DB.mdb)"},
        {.why = "a path relative to C:", .text = kAccess + R"(C:NDB\DB.mdb)"},
        {.why = "no path", .text = kAccess},
        {.why = "no driver", .text = R"(dbq=C:\NDB\DB.mdb)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(failureOf([&] { dataSourceFor(c.text, "/home/op"); }).number(), failure::kBadConnectionString)
            << c.why;
}

TEST(ConnectionString, OtherDriverIsNotFound) {
    const Failure failed = failureOf([] { dataSourceFor(R"(driver={SQL Server};dbq=C:\NDB\DB.mdb)", "/home/op"); });
    EXPECT_EQ(failed.number(), failure::kUnknownDriver);
    EXPECT_EQ(failed.description(), "driver not found: SQL Server");
}

// Every engine serves the program's statements alike: each case runs on a file and on the tests' server.
const auto kBothEngines = ::testing::Values(Engine::File, Engine::Server);
// What each engine numbers a refused statement: SQLite's own code, or the server's.
int refusedStatement(Engine engine) { return engine == Engine::File ? SQLITE_ERROR : failure::kServerCallFailed; }

class OnEngine : public ::testing::TestWithParam<Engine> {
protected:
    Failure run(const std::string& statement) {
        return failureOf([&] { connect(db)->execute(statement); });
    }
    TempDatabase db{TempDatabase::Content::EmptyTable, GetParam()};
};
INSTANTIATE_TEST_SUITE_P(, OnEngine, kBothEngines, ::testing::PrintToStringParamName());

// The dialect's own rules, on statements run as DELETE and SAVE run theirs: gears 12 and 13 stored.
class Statements : public OnEngine {
protected:
    void SetUp() override { db.insert(g12), db.insert(g13); }
    const GearRecord g12{.ID = num(12), .D = num(40), .M = txt("0.6"), .T = txt("P"), .QTY = num(1)};
    const GearRecord g13{.ID = num(13), .D = num(30), .M = txt("48"), .T = txt("C"), .QTY = num(2)};
};
INSTANTIATE_TEST_SUITE_P(, Statements, kBothEngines, ::testing::PrintToStringParamName());

TEST_P(Statements, TheIdOfADeletedLastGearIsNeverGivenAgain) {
    run("INSERT INTO Gears (D, M, T, QTY) VALUES ('20', 'O''Neil', 'C', '5')");
    run("DELETE * FROM Gears WHERE id = 14");
    run("INSERT INTO Gears (D, M, T, QTY) VALUES ('30', ' 0.4 ', '*', '5')");  // a '*' no DELETE rule touches
    const GearRecord g15{.ID = num(15), .D = num(30), .M = txt(" 0.4 "), .T = txt("*"), .QTY = num(5)};
    EXPECT_EQ(db.gears(), (std::vector{g12, g13, g15}));
}

TEST_P(Statements, RefusedStatementFailsWithTheEnginesNumberAndWritesNothing) {
    const Failure refused = run("UPDATE Gears SET D = '20' WHERE WHERE");
    EXPECT_EQ(refused.number(), refusedStatement(GetParam()));
    EXPECT_THAT(refused.description(), HasSubstr(GetParam() == Engine::File ? "syntax error" : "SQLSTATE 42601"));
    EXPECT_EQ(db.gears(), (std::vector{g12, g13}));
}

TEST_P(Statements, TeethAsTextStayTextOnAFileAndAreRefusedByTheServer) {
    const Failure outcome = run("UPDATE Gears SET D = 'venti' WHERE id = 12");
    if (GetParam() == Engine::File) {
        EXPECT_EQ(db.gears().at(0).D, txt("venti"));
    } else {
        EXPECT_EQ(outcome.number(), failure::kServerCallFailed);
        EXPECT_THAT(outcome.description(), HasSubstr("SQLSTATE 22P02"));
        EXPECT_EQ(db.gears(), (std::vector{g12, g13}));
    }
}

TEST_P(OnEngine, FieldsGoByNameInAnyCaseWithNullAsNothing) {
    db.insert({.ID = num(7), .D = null(), .M = txt("0.4"), .T = null(), .QTY = num(12)});
    EXPECT_EQ(rowsOf(db, "SELECT * FROM Gears WHERE id = 7", {"ID", "id", "Id", "d", "M", "m", "t", "QTY", "Qty"}),
              Rows{"7|7|7||0.4|0.4||12|12"});
}

TEST_P(OnEngine, MissingTableFailsAtTheFirstQuery) {
    db.execute("DROP TABLE Gears");
    const Failure failed = failureOf([&] { rowsOf(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC", {"M"}); });
    EXPECT_EQ(failed.number(), refusedStatement(GetParam()));
    EXPECT_THAT(failed.description(), HasSubstr(GetParam() == Engine::File ? "no such table" : "SQLSTATE 42P01"));
}

// A file put in a folder of its own, then opened as the program opens its database.
class Open : public ::testing::Test {
protected:
    Failure openFile(const std::filesystem::path& file) {
        return failureOf([&] { Connection().open(kAccess + file.string()); });
    }
    void write(const std::string& content) { std::ofstream(file, std::ios::binary) << content; }
    std::ptrdiff_t entries() const { return std::distance(std::filesystem::directory_iterator(db.folder()), {}); }
    TempDatabase db{TempDatabase::Content::NoFile};
    std::filesystem::path file = db.folder() / "DB.mdb";
};

TEST_F(Open, MissingFileFailsNamingItAndCreatesNothing) {
    for (const auto& missing : {file, db.folder() / "NDB" / "DB.mdb"}) {
        EXPECT_THAT(openFile(missing).description(), HasSubstr(missing.string()));
        EXPECT_EQ(entries(), 0) << missing;
    }
}

TEST_F(Open, FileThatIsNoDatabaseFailsNamingItAndStays) {
    write("Denti;Modulo\n40;0.4\n");
    EXPECT_THAT(openFile(file).description(), HasSubstr("file is not a database: " + file.string()));
    EXPECT_EQ(entries(), 1);
}

TEST_F(Open, AccessFileFailsNamingTheImportThatBringsItOver) {
    write(std::string("\0\1\0\0Standard Jet DB\0", 20));
    EXPECT_THAT(openFile(file).description(), HasSubstr("zanfiro-db import " + file.string()));
    EXPECT_EQ(entries(), 1);
}

// A link at the database's place naming a database on the tests' server, as written here.
class ServerLink : public ::testing::Test {
protected:
    Failure openWith(const std::string& conninfo) {
        std::ofstream(db.path()) << "zanfiro-link\n" << conninfo << "\n";
        return failureOf([&] { connect(db); });
    }
    TempDatabase db{TempDatabase::Content::NoFile, Engine::Server};
};

TEST_F(ServerLink, HoldingAPasswordIsRefusedNamingPgpass) {
    const Failure refused = openWith(db.server() + " password=guarded-secret");
    EXPECT_EQ(refused.number(), failure::kBadConnectionString);
    EXPECT_THAT(refused.description(), HasSubstr("~/.pgpass"));
}

TEST_F(ServerLink, RefusedLoginFailsWithTheServersReason) {
    const Failure refused = openWith(db.server() + " user=guarded");
    EXPECT_EQ(refused.number(), failure::kServerConnectionFailed);
    EXPECT_THAT(refused.description(), HasSubstr("SQLSTATE 08001: "));
    EXPECT_THAT(refused.description(), HasSubstr("password"));
}

TEST_F(ServerLink, PasswordComesFromThePasswordFile) {
    const auto passwords = db.folder() / "pgpass";
    std::ofstream(passwords) << "*:*:*:guarded:guarded-secret\n";
    std::filesystem::permissions(passwords, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    setenv("PGPASSFILE", passwords.c_str(), 1);
    EXPECT_EQ(openWith(db.server() + " user=guarded").number(), 0);
    unsetenv("PGPASSFILE");
}

TEST_F(ServerLink, MissingServerDatabaseFailsNamingIt) {
    const Failure failed = openWith(db.server() + " dbname=no_such_stock");
    EXPECT_EQ(failed.number(), failure::kServerConnectionFailed);
    EXPECT_THAT(failed.description(), HasSubstr("\"no_such_stock\" does not exist"));
}

// A link as the administrator's section of the README has it for a server reached over a network: TCP with TLS,
// the server's certificate checked against the workshop's own certificate authority and its name against the host.
struct TlsCase {
    const char* name;
    std::filesystem::path TestServer::*authority;
    int number;
    const char* said;  // in the failure's description, or what pg_stat_ssl says of the connection
};
const TlsCase kTlsCases[] = {
    {"TheWorkshopsAuthorityLetsTheStockBeReadOverTls", &TestServer::authority, 0, "t"},
    {"AnotherAuthorityIsRefusedAsNoConnection",
     &TestServer::otherAuthority,
     failure::kServerConnectionFailed,
     "SQLSTATE 08001: connection to server at \"127.0.0.1\""},
};

class ServerOverTls : public ::testing::TestWithParam<TlsCase> {};
INSTANTIATE_TEST_SUITE_P(, ServerOverTls, ::testing::ValuesIn(kTlsCases), CaseName());

TEST_P(ServerOverTls, CheckedAgainstTheAuthorityInTheLink) {
    TempDatabase db{TempDatabase::Content::NoFile, Engine::Server};
    std::ofstream(db.path()) << "zanfiro-link\n"
                             << db.server() << " host=127.0.0.1 sslmode=verify-full sslrootcert="
                             << (testServer().*GetParam().authority).string() << "\n";
    Rows encrypted;
    const Failure outcome =
        failureOf([&] { encrypted = rowsOf(db, "SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()", {"ssl"}); });
    EXPECT_EQ(outcome.number(), GetParam().number);
    if (GetParam().number == 0)
        EXPECT_EQ(encrypted, Rows{GetParam().said});
    else
        EXPECT_THAT(outcome.description(), HasSubstr(GetParam().said));
}

// The link's own settings come after the program's: here a wait for a lock shorter than the program's 5 s.
TEST(HeldServerStock, IsWaitedForAsLongAsTheLinkSaysThenFailsAsAHeldFile) {
    TempDatabase db{TempDatabase::Content::EmptyTable, Engine::Server};
    db.insert(40, "0.4", "C", 12);
    auto holder = db.session();
    holder->begin();
    std::ofstream(db.path()) << "zanfiro-link\n" << db.server() << " options='-c lock_timeout=300ms'\n";
    const auto writer = connect(db);
    const auto asked = std::chrono::steady_clock::now();
    const Failure held = failureOf([&] { writer->execute("DELETE * FROM Gears WHERE id = 1"); });
    const auto waited = std::chrono::steady_clock::now() - asked;
    EXPECT_EQ(held.number(), failure::kDatabaseBusy);
    EXPECT_EQ(held.description(), "SQLSTATE 55P03: canceling statement due to lock timeout");
    EXPECT_LT(waited, std::chrono::seconds(4));
    holder.reset();
    EXPECT_EQ(db.count(), 1);
}

TEST(HeldDatabase, IsWaitedForUntilTheOtherProgramCommits) {
    TempDatabase db{TempDatabase::Content::EmptyTable, Engine::File};
    const auto other = db.session();
    other->execute("BEGIN EXCLUSIVE");
    insertGear(*other, {.D = num(1), .M = txt("48"), .T = txt("P"), .QTY = num(1)});
    std::jthread later([&] { std::this_thread::sleep_for(std::chrono::milliseconds(200)), other->execute("COMMIT"); });
    EXPECT_EQ(rowsOf(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC", {"M"}), Rows{"48"});
}

}  // namespace
}  // namespace zanfiro::testing
