#pragma once

#include <memory>
#include <string>

namespace zanfiro::store {

class Session;

// A connection to the data source named by an ODBC connection string. One
// is made, opened and closed by every operation that touches the gears.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the database the string names. Nothing is ever created: a
    // missing file or folder is a failure that names the path. Whatever an
    // engine needs to log in comes from its own settings.
    void open(const std::string& connectionString);

    // Runs one statement (insert, update, delete) and keeps no result.
    void execute(const std::string& commandText);

    void close();
    bool isOpen() const { return session_ != nullptr; }

    // The open session, which a recordset shares while it reads.
    std::shared_ptr<Session> session() const;

private:
    std::shared_ptr<Session> session_;
};

}  // namespace zanfiro::store
