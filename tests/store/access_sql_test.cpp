#include <gtest/gtest.h>

#include "store/access_sql.h"

namespace zanfiro::store {
namespace {

TEST(AccessSql, DeleteStarBecomesSqliteDeleteAndEverythingElsePassesUnchanged) {
    struct Case {
        std::string access, sqlite;
    };
    const Case cases[] = {
        {"DELETE * FROM Gears WHERE id = 12", "DELETE FROM Gears WHERE id = 12"},
        {"delete * from Gears WHERE id = 3", "delete from Gears WHERE id = 3"},
        {"DELETE   *   FROM Gears", "DELETE FROM Gears"},
        {"DELETE *FROM Gears", "DELETE FROM Gears"},
        {"  Delete\t*\tFrom Gears", "  Delete From Gears"},
        // A '*' inside a literal, or anywhere but after the leading DELETE, is data.
        {"UPDATE Gears SET D = '2', M = 'DELETE * FROM x', T = 'C', QTY = '5' WHERE id = 1",
         "UPDATE Gears SET D = '2', M = 'DELETE * FROM x', T = 'C', QTY = '5' WHERE id = 1"},
        {"INSERT INTO Gears (D, M, T, QTY) VALUES ('20', '*', 'C', '5')",
         "INSERT INTO Gears (D, M, T, QTY) VALUES ('20', '*', 'C', '5')"},
        {"SELECT * FROM Gears where M= '0.4' AND T='C' order by d",
         "SELECT * FROM Gears where M= '0.4' AND T='C' order by d"},
        {"SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC", "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC"},
        {"SELECT * FROM Gears WHERE id = 7", "SELECT * FROM Gears WHERE id = 7"},
        {"DELETE FROM Gears WHERE id = 12", "DELETE FROM Gears WHERE id = 12"},
        {"DELETE * FROMAGE", "DELETE * FROMAGE"},
    };
    for (const auto& c : cases) EXPECT_EQ(toSqlite(c.access), c.sqlite) << c.access;
}

}  // namespace
}  // namespace zanfiro::store
