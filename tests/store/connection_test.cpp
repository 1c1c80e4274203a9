#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "store/sqlite.h"
#include "store_helpers.h"

namespace zanfiro::testing {
namespace {

using store::Connection;
using store::Failure;
using store::Recordset;
namespace failure = store::failure;
namespace fs = std::filesystem;

std::string connectionStringFor(const fs::path& file) {
    return "driver={Microsoft Access Driver (*.mdb)};dbq=" + file.string();
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Statements, InsertUpdateAndDeleteLandInTheFileAsWritten) {
    const StoredGear g12{12, num(40), txt("0.6"), txt("P"), num(1)};
    const StoredGear g13{13, num(30), txt("48"), txt("C"), num(2)};
    struct Case {
        std::string statement;
        std::vector<StoredGear> after;
    };
    const Case cases[] = {
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('20', '0.4', 'C', '5')",
         {g12, g13, {14, num(20), txt("0.4"), txt("C"), num(5)}}},
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('20', 'O''Neil', 'C', '5')",
         {g12, g13, {14, num(20), txt("O'Neil"), txt("C"), num(5)}}},
        // Fields go in untrimmed; a teeth text that is no number is kept as typed.
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('venti', ' 0.4 ', '''', '5')",
         {g12, g13, {14, txt("venti"), txt(" 0.4 "), txt("'"), num(5)}}},
        {"UPDATE Gears SET D = '20', M = '0.4', T = 'C', QTY = '5' WHERE id = 12",
         {{12, num(20), txt("0.4"), txt("C"), num(5)}, g13}},
        {"UPDATE Gears SET D = '20', M = '0.4', T = 'C', QTY = '5' WHERE id = 99", {g12, g13}},
        {"DELETE * FROM Gears WHERE id = 12", {g13}},
        {"DELETE * FROM Gears WHERE id = 99", {g12, g13}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        TempDatabase db;
        db.insertWithId(12, num(40), txt("0.6"), txt("P"), num(1));
        db.insertWithId(13, num(30), txt("48"), txt("C"), num(2));
        executeAsHandlersDo(db, c.statement);
        EXPECT_EQ(db.gears(), c.after);
    }
}

TEST(Statements, IdsAreAssignedOnInsertAndNeverReusedAfterADelete) {
    TempDatabase db;
    const std::string insert = "INSERT INTO Gears (D, M, T, QTY) VALUES ('20', '0.4', 'C', '5')";
    const auto ids = [&] {
        std::vector<std::int64_t> ids;
        for (const auto& gear : db.gears()) ids.push_back(gear.id);
        return ids;
    };
    for (int i = 0; i < 3; ++i) executeAsHandlersDo(db, insert);
    EXPECT_EQ(ids(), (std::vector<std::int64_t>{1, 2, 3}));
    executeAsHandlersDo(db, "DELETE * FROM Gears WHERE id = 3");
    executeAsHandlersDo(db, insert);
    EXPECT_EQ(ids(), (std::vector<std::int64_t>{1, 2, 4}));
    for (const char* id : {"1", "2", "4"}) executeAsHandlersDo(db, std::string("DELETE * FROM Gears WHERE id = ") + id);
    executeAsHandlersDo(db, insert);
    EXPECT_EQ(ids(), (std::vector<std::int64_t>{5}));
}

TEST(Queries, EachFilteredQueryFindsExactlyItsTypeAndModuleByTeeth) {
    TempDatabase db;
    for (const char* module : {"0.4", "0.6", "48", "64"}) {
        for (const char* type : {"C", "P"}) {
            db.insert(10, module, type, 1);
            db.insert(9, module, type, 2);
        }
    }
    // Module and type compare as text, character for character.
    for (const auto& [module, type] : {std::pair{"0.40", "C"}, {" 0.4", "C"}, {"0.4 ", "C"}, {"0.4", "c"},
                                       {"0.4", "C "}, {"048", "P"}, {"64.0", "P"}})
        db.insert(5, module, type, 3);
    db.insert(num(5), null(), txt("C"), num(3));
    struct Case {
        std::string query, module, type;
    };
    const Case cases[] = {
        {"SELECT * FROM Gears where M= '0.4' AND T='C' order by d", "0.4", "C"},
        {"SELECT * FROM Gears where M= '0.6' AND T='C' order by d", "0.6", "C"},
        {"SELECT * FROM Gears where M= '48' AND T='C' order by d", "48", "C"},
        {"SELECT * FROM Gears where M= '64' AND T='C' order by d", "64", "C"},
        {"SELECT * FROM Gears where M= '0.4' AND T='P' order by d", "0.4", "P"},
        {"SELECT * FROM Gears where M= '0.6' AND T='P' order by d", "0.6", "P"},
        {"SELECT * FROM Gears where M= '48' AND T='P' order by d", "48", "P"},
        {"SELECT * FROM Gears where M= '64' AND T='P' order by d", "64", "P"},
    };
    for (const auto& c : cases) {
        const std::string tail = "|" + c.module + "|" + c.type;
        EXPECT_EQ(rowsOf(db, c.query, {"D", "m", "T"}), (std::vector<std::string>{"9" + tail, "10" + tail}))
            << c.query;
    }
}

TEST(Queries, StartUpListComesByModuleAsText) {
    TempDatabase db;
    for (const char* module : {"64", "0.6", "100", "48", "0.4"}) db.insert(40, module, "C", 1);
    EXPECT_EQ(rowsOf(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC", {"M"}),
              (std::vector<std::string>{"0.4", "0.6", "100", "48", "64"}));
}

TEST(Queries, LoadAllListComesByTeethAsNumbers) {
    TempDatabase db;
    for (const std::int64_t teeth : {10, 9, 100, 48}) db.insert(teeth, "0.4", "C", 1);
    EXPECT_EQ(rowsOf(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY D ASC", {"D"}),
              (std::vector<std::string>{"9", "10", "48", "100"}));
}

TEST(Queries, SelectionReadsOneRecordWithColumnNamesInAnyCase) {
    TempDatabase db;
    db.insertWithId(6, num(20), txt("48"), txt("P"), num(3));
    db.insertWithId(7, num(40), txt("0.4"), txt("C"), num(12));
    const std::vector<std::string> names{"ID", "id", "Id", "D", "d", "M", "m", "T", "t", "QTY", "qty", "Qty"};
    EXPECT_EQ(rowsOf(db, "SELECT * FROM Gears WHERE id = 7", names),
              std::vector<std::string>{"7|7|7|40|40|0.4|0.4|C|C|12|12|12"});
}

TEST(Recordset, NullColumnsReadAsNullAndHaveNoText) {
    TempDatabase db;
    db.insertWithId(7, null(), txt("0.4"), null(), num(3));
    Connection connection;
    openAsHandlersDo(connection, db.connectionString());
    Recordset records;
    openAsHandlersDo(records, "SELECT * FROM Gears WHERE id = 7", connection);
    EXPECT_EQ(records.field("M").text(), "0.4");
    for (const char* column : {"D", "T"}) {
        const store::Value value = records.field(column);
        EXPECT_TRUE(value.isNull()) << column;
        EXPECT_EQ(value.textOrEmpty(), "");
        EXPECT_EQ(failureOf([&] { (void)value.text(); }).number(), failure::kInvalidUseOfNull);
    }
}

TEST(Recordset, WithoutACurrentRecordReadingOrMovingFails) {
    TempDatabase db;
    Connection connection;
    openAsHandlersDo(connection, db.connectionString());
    Recordset records;
    openAsHandlersDo(records, "SELECT * FROM Gears WHERE id = 7", connection);
    EXPECT_TRUE(records.eof());
    EXPECT_EQ(failureOf([&] { records.field("D"); }).number(), failure::kNoCurrentRecord);
    EXPECT_EQ(failureOf([&] { records.moveNext(); }).number(), failure::kNoCurrentRecord);

    db.insert(40, "0.4", "C", 12);
    Recordset all;
    openAsHandlersDo(all, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY D ASC", connection);
    ASSERT_FALSE(all.eof());
    const Failure unknown = failureOf([&] { all.field("Denti"); });
    EXPECT_EQ(unknown.number(), failure::kUnknownColumn);
    EXPECT_TRUE(contains(unknown.description(), "Denti")) << unknown.description();
    all.moveNext();
    EXPECT_TRUE(all.eof());
    EXPECT_EQ(failureOf([&] { all.field("D"); }).number(), failure::kNoCurrentRecord);
}

TEST(Open, MissingFileOrFolderFailsNamingThePathAndCreatesNothing) {
    TempDatabase db(TempDatabase::Content::NoFile);
    for (const fs::path& missing : {db.path(), db.folder() / "NDB" / "DB.mdb"}) {
        Connection connection;
        const Failure failure = failureOf([&] { openAsHandlersDo(connection, connectionStringFor(missing)); });
        EXPECT_NE(failure.number(), 0);
        EXPECT_TRUE(contains(failure.description(), missing.string())) << failure.description();
        EXPECT_FALSE(connection.isOpen());
    }
    EXPECT_TRUE(fs::is_empty(db.folder()));
}

TEST(Open, FileThatIsNoGearDatabaseFailsSayingWhat) {
    struct Case {
        std::string content, said;
    };
    const std::string padding(2048, 'x');
    const Case cases[] = {
        {"Denti;Modulo;Tipo;QTY\n40;0.4;C;12\n" + padding, "not a database"},
        {std::string("\0\1\0\0Standard Jet DB\0", 20) + padding, "zanfiro-db import"},
        {std::string("\0\1\0\0Standard ACE DB\0", 20) + padding, "zanfiro-db import"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        TempDatabase db(TempDatabase::Content::NoFile);
        std::ofstream(db.path(), std::ios::binary) << c.content;
        Connection connection;
        const Failure failure = failureOf([&] { openAsHandlersDo(connection, db.connectionString()); });
        EXPECT_TRUE(contains(failure.description(), c.said)) << failure.description();
        EXPECT_TRUE(contains(failure.description(), db.path().string())) << failure.description();
        // The file is left as it was, with nothing beside it.
        std::ifstream in(db.path(), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.content);
        EXPECT_EQ(std::distance(fs::directory_iterator(db.folder()), {}), 1);
    }
}

TEST(Open, ADatabaseHeldByAnotherProgramIsWaitedFor) {
    TempDatabase db;
    store::sqlite::Database other(db.path(), store::sqlite::Database::Mode::OpenExisting);
    // The other program writes under an exclusive lock and lets go a moment later.
    const auto holdBriefly = [&](const std::string& work) {
        other.exec("BEGIN EXCLUSIVE; " + work);
        return std::jthread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            other.exec("COMMIT");
        });
    };
    Connection connection;
    openAsHandlersDo(connection, db.connectionString());
    {
        const auto release = holdBriefly("INSERT INTO Gears (D, M, T, QTY) VALUES (1, '48', 'P', 1)");
        connection.execute("INSERT INTO Gears (D, M, T, QTY) VALUES ('20', '0.4', 'C', '5')", store::kUnspecified);
    }
    connection.close();
    {
        const auto release = holdBriefly("DELETE FROM Gears WHERE M = '48'");
        EXPECT_EQ(rowsOf(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC", {"ID", "M"}),
                  std::vector<std::string>{"2|0.4"});
    }
}

TEST(Statements, ARefusedStatementFailsWithTheEnginesCodeAndMessageAndChangesNothing) {
    struct Case {
        std::string statement;
        int number;
        std::string message;
    };
    const Case cases[] = {
        {"SELECT * FROM Gearz", 1, "no such table: Gearz"},
        {"SELECT * FROM Gears where M= '0.4' AND T='C' order by Denti", 1, "no such column: Denti"},
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('20', '0.4', 'C')", 1, "3 values for 4 columns"},
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('20', 'O'Neil', 'C', '5')", 1, "syntax error"},
        {"INSERT INTO Gears (ID, D) VALUES (1, '20')", 1555, "UNIQUE constraint failed: Gears.ID"},
        // One text is one statement: the second would silently never run.
        {"DELETE * FROM Gears WHERE id = 1; DELETE FROM Gears", 21, "more than one statement"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        TempDatabase db;
        db.insert(40, "0.4", "C", 12);
        const auto before = db.gears();
        Connection connection;
        openAsHandlersDo(connection, db.connectionString());
        Recordset records;
        for (const Failure& failure : {failureOf([&] { connection.execute(c.statement, store::kUnspecified); }),
                                       failureOf([&] { openAsHandlersDo(records, c.statement, connection); })}) {
            EXPECT_EQ(failure.number(), c.number);
            EXPECT_TRUE(contains(failure.description(), c.message)) << failure.description();
        }
        connection.close();
        EXPECT_EQ(db.gears(), before);
    }
}

TEST(Connection, ClosedObjectsRefuseWork) {
    TempDatabase db;
    Connection connection;
    openAsHandlersDo(connection, db.connectionString());
    Recordset records;
    openAsHandlersDo(records, "SELECT * FROM Gears WHERE id = 7", connection);
    records.close();
    connection.close();
    const std::function<void()> refused[] = {
        [&] { records.close(); },
        [&] { records.eof(); },
        [&] { connection.close(); },
        [&] { connection.execute("DELETE * FROM Gears WHERE id = 7", store::kUnspecified); },
        [&] { openAsHandlersDo(records, "SELECT * FROM Gears", connection); },
    };
    for (const auto& operation : refused) EXPECT_EQ(failureOf(operation).number(), failure::kNotOpen);
}

TEST(Connection, EachOpenReachesTheFileAfresh) {
    TempDatabase db;
    Connection connection;
    const auto count = [&] {
        openAsHandlersDo(connection, db.connectionString());
        Recordset records;
        openAsHandlersDo(records, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY D ASC", connection);
        int rows = 0;
        for (; !records.eof(); records.moveNext()) ++rows;
        records.close();
        connection.close();
        return rows;
    };
    EXPECT_EQ(count(), 0);
    db.insert(40, "0.4", "C", 12);
    EXPECT_EQ(count(), 1);
    fs::remove(db.path());
    const Failure failure = failureOf(count);
    EXPECT_TRUE(contains(failure.description(), db.path().string())) << failure.description();
    EXPECT_TRUE(fs::is_empty(db.folder()));
}

}  // namespace
}  // namespace zanfiro::testing
