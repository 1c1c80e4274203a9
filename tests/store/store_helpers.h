#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/connection.h"
#include "store/failure.h"
#include "store/recordset.h"
#include "temp_database.h"

namespace zanfiro::testing {

// The failure an operation ends with; a test failure when it ends well.
template <class Operation>
store::Failure failureOf(Operation&& operation) {
    try {
        operation();
    } catch (const store::Failure& failure) {
        return failure;
    }
    ADD_FAILURE() << "the operation did not fail";
    return store::Failure(0, "");
}

// Opens a connection with the arguments every handler passes.
inline void openAsHandlersDo(store::Connection& connection, const std::string& connectionString) {
    connection.open(connectionString, "", "", store::kUnspecified);
}

inline void openAsHandlersDo(store::Recordset& records, const std::string& query,
                             const store::Connection& connection) {
    records.open(query, connection, store::CursorType::Keyset, store::LockType::Unspecified, store::kUnspecified);
}

// Walks a query the way a list handler does: one text per record, the
// named columns' text forms joined by '|'.
inline std::vector<std::string> rowsOf(const TempDatabase& db, const std::string& query,
                                       const std::vector<std::string>& columns) {
    store::Connection connection;
    openAsHandlersDo(connection, db.connectionString());
    store::Recordset records;
    openAsHandlersDo(records, query, connection);
    std::vector<std::string> rows;
    while (!records.eof()) {
        std::string row;
        for (std::size_t i = 0; i < columns.size(); ++i)
            row += (i ? "|" : "") + records.field(columns[i]).textOrEmpty();
        rows.push_back(row);
        records.moveNext();
    }
    records.close();
    connection.close();
    return rows;
}

// Runs one statement the way SAVE and DELETE do.
inline void executeAsHandlersDo(const TempDatabase& db, const std::string& statement) {
    store::Connection connection;
    openAsHandlersDo(connection, db.connectionString());
    connection.execute(statement, store::kUnspecified);
    connection.close();
}

}  // namespace zanfiro::testing
