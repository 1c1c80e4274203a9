#include <gmock/gmock.h>

#include <fstream>
#include <thread>

#include "store/connection.h"
#include "store/connection_string.h"
#include "store/recordset.h"
#include "store/sqlite.h"
#include "temp_database.h"

namespace zanfiro::testing {
namespace {

using namespace store;
using namespace ::testing;
const std::string kAccess = "driver={Microsoft Access Driver (*.mdb)};dbq=";

template <class Operation>
std::string failureOf(Operation&& operation) try {
    operation();
    return "no failure";
} catch (const Failure& failure) {
    return std::to_string(failure.number()) + " " + failure.description();
}

// Walks a query as a list handler does, with its arguments: per record, the fields' texts joined by '|'.
std::vector<std::string> rowsOf(const TempDatabase& db, const std::string& query, std::vector<std::string> fields) {
    Connection connection;
    connection.open(db.connectionString(), "", "", kUnspecified);
    Recordset records;
    records.open(query, connection, CursorType::Keyset, LockType::Unspecified, kUnspecified);
    std::vector<std::string> rows;
    for (; !records.eof(); records.moveNext()) {
        rows.emplace_back();
        for (const auto& f : fields) rows.back() += (&f == &fields[0] ? "" : "|") + records.field(f).textOrEmpty();
    }
    return rows;
}

TEST(ConnectionString, DriveCIsTheHomeFolderAndMalformedOrForeignStringsFailWithTheirNumbers) {
    const std::pair<std::string, std::string> paths[] = {
        {std::string(kConnectionString), "/home/op/NDB/DB.mdb"},
        {kAccess + R"(c:/NDB/Old\DB.mdb)", "/home/op/NDB/Old/DB.mdb"},
        {kAccess + R"({C:\Dati Officina\DB;1.mdb})", "/home/op/Dati Officina/DB;1.mdb"},
        {"  DBQ = {/tmp/a;b}}c.mdb} ;dbq=/2.mdb;; Driver={microsoft access driver (*.mdb)}", "/tmp/a;b}c.mdb"},
    };
    for (const auto& [text, path] : paths) EXPECT_EQ(dataSourceFor(text, "/home/op").database, path) << text;
    const std::pair<std::string, std::string> failures[] = {
        {kAccess + "{/tmp/DB.mdb", "3709 "},
        {kAccess + "{/tmp/DB}.mdb", "3709 "},
        {kAccess + R"(D:\DB.mdb)", "3709 "},
        {kAccess + R"(C:NDB\DB.mdb)", "3709 "},
        {kAccess, "3709 "},
        {R"(dbq=C:\NDB\DB.mdb)", "3709 "},
        {R"(driver={SQL Server};dbq=C:\NDB\DB.mdb)", "3706 driver not found: SQL Server"},
    };
    for (const auto& [text, said] : failures)
        EXPECT_THAT(failureOf([&] { dataSourceFor(text, "/home/op"); }), StartsWith(said)) << text;
}

TEST(Statements, SaveAndDeleteStatementsLandInTheFileAsWrittenAndIdsAreNeverReused) {
    TempDatabase db;
    const GearRecord g12{num(12), num(40), txt("0.6"), txt("P"), num(1)},
        g13{num(13), num(30), txt("48"), txt("C"), num(2)}, g14{num(14), num(20), txt("O'Neil"), txt("C"), num(5)};
    for (const auto& g : {g12, g13}) db.insert(g);
    const std::pair<std::string, std::vector<GearRecord>> steps[] = {
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('20', 'O''Neil', 'C', '5')", {g12, g13, g14}},
        {"UPDATE Gears SET D = '20', M = '0.4', T = 'C', QTY = '5' WHERE id = 12",
         {{num(12), num(20), txt("0.4"), txt("C"), num(5)}, g13, g14}},
        {"DELETE * FROM Gears WHERE id = 12", {g13, g14}},
        {"DELETE * FROM Gears WHERE id = 14", {g13}},
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('venti', ' 0.4 ', '*', '5')",
         {g13, {num(15), txt("venti"), txt(" 0.4 "), txt("*"), num(5)}}},
    };
    for (const auto& [statement, after] : steps) {
        Connection connection;
        connection.open(db.connectionString(), "", "", kUnspecified);
        connection.execute(statement, kUnspecified);
        EXPECT_EQ(db.gears(), after) << statement;
    }
}

TEST(Queries, FilteredQueriesFindOnlyTheirPairStartUpGoesByModuleAsTextLoadAllByTeethAsNumbers) {
    TempDatabase db, orders;
    const std::string modules[] = {"0.4", "0.6", "48", "64"}, types[] = {"C", "P"};
    for (const auto& module : modules)
        for (const auto& type : types) db.insert(10, module, type, 1), db.insert(9, module, type, 2);
    // Module and type compare as text, character for character.
    for (const auto& [module, type] : {std::pair{"0.40", "C"},
                                       {" 0.4", "C"},
                                       {"0.4 ", "C"},
                                       {"0.4", "c"},
                                       {"0.4", "C "},
                                       {"048", "P"},
                                       {"64.0", "P"}})
        db.insert(5, module, type, 3);
    for (const auto& m : modules)
        for (const auto& t : types)
            EXPECT_EQ(
                rowsOf(db, "SELECT * FROM Gears where M= '" + m + "' AND T='" + t + "' order by d", {"D", "m", "T"}),
                (std::vector{"9|" + m + "|" + t, "10|" + m + "|" + t}));
    for (const auto& [d, m] : {std::pair{10, "64"}, {9, "0.6"}, {100, "100"}, {48, "48"}, {40, "0.4"}})
        orders.insert(d, m, "C", 1);
    EXPECT_EQ(rowsOf(orders, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC", {"M"}),
              (std::vector<std::string>{"0.4", "0.6", "100", "48", "64"}));
    EXPECT_EQ(rowsOf(orders, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY D ASC", {"D"}),
              (std::vector<std::string>{"9", "10", "40", "48", "100"}));
}

TEST(Recordset, FieldsGoByNameInAnyCaseNullHasNoTextAndWithoutARecordReadingFails) {
    TempDatabase db;
    db.insertWithId(7, null(), txt("0.4"), null(), num(12));
    EXPECT_EQ(rowsOf(db, "SELECT * FROM Gears WHERE id = 7", {"ID", "id", "Id", "d", "M", "m", "t", "QTY", "Qty"}),
              std::vector<std::string>{"7|7|7||0.4|0.4||12|12"});
    Connection connection;
    connection.open(db.connectionString(), "", "", kUnspecified);
    Recordset rs;
    rs.open("SELECT * FROM Gears WHERE id = 7", connection, CursorType::Keyset, LockType::Unspecified, kUnspecified);
    EXPECT_THAT(failureOf([&] { (void)rs.field("T").text(); }), StartsWith("94 "));
    rs.moveNext();
    EXPECT_THAT(failureOf([&] { rs.field("D"); }), StartsWith("3021 "));
    EXPECT_THAT(failureOf([&] { rs.moveNext(); }), StartsWith("3021 "));
}

TEST(Open, AMissingOrForeignFileFailsNamingThePathAndNothingIsCreated) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // file, its content, what is said
        {"DB.mdb", "", ""},
        {"NDB/DB.mdb", "", ""},
        {"DB.mdb", "Denti;Modulo\n40;0.4\n", "file is not a database: "},
        {"DB.mdb", std::string("\0\1\0\0Standard Jet DB\0", 20), "zanfiro-db import "},
    };
    for (const auto& [name, content, said] : cases) {
        TempDatabase db(TempDatabase::Content::NoFile);
        const auto file = db.folder() / name;
        if (!content.empty()) std::ofstream(file, std::ios::binary) << content;
        Connection connection;
        EXPECT_THAT(failureOf([&] { connection.open(kAccess + file.string(), "", "", kUnspecified); }),
                    HasSubstr(said + file.string()));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(db.folder()), {}), content.empty() ? 0 : 1);
    }
}

TEST(Open, ADatabaseHeldByAnotherProgramIsWaitedFor) {
    TempDatabase db;
    sqlite::Database other(db.path(), sqlite::Database::Mode::OpenExisting);
    other.exec("BEGIN EXCLUSIVE; INSERT INTO Gears (D, M, T, QTY) VALUES (1, '48', 'P', 1)");
    std::jthread later([&] { std::this_thread::sleep_for(std::chrono::milliseconds(200)), other.exec("COMMIT"); });
    EXPECT_EQ(rowsOf(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC", {"M"}), std::vector<std::string>{"48"});
}

}  // namespace
}  // namespace zanfiro::testing
