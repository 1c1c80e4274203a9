#include "store/connection.h"

#include "store/access_sql.h"
#include "store/connection_string.h"
#include "store/database_file.h"
#include "store/failure.h"
#include "store/sqlite.h"

namespace zanfiro::store {

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::open(const std::string& connectionString, const std::string& /*userId*/,
                      const std::string& /*password*/, int /*options*/) {
    // A plain SQLite file has no users: the empty user and password the
    // program passes are all there is to check.
    const DataSource source = dataSourceFor(connectionString, userHome());
    database_ = openDatabaseFile(source.database);
}

void Connection::execute(const std::string& commandText, int /*options*/) {
    sqlite::Statement statement(*database(), toSqlite(commandText));
    while (statement.step()) {
    }
}

void Connection::close() {
    if (!database_) throw failure::objectClosed();
    database_.reset();
}

std::shared_ptr<sqlite::Database> Connection::database() const {
    if (!database_) throw failure::objectClosed();
    return database_;
}

}  // namespace zanfiro::store
