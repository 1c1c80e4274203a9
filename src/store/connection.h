#pragma once

#include <memory>
#include <string>

namespace zanfiro::store {

class Session;

// Options argument left to the data source's default.
inline constexpr int kUnspecified = -1;

// A connection to the data source named by an ODBC connection string. One
// is made, opened and closed by every operation that touches the gears.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the database the string names. Nothing is ever created: a
    // missing file or folder is a failure that names the path.
    void open(const std::string& connectionString, const std::string& userId, const std::string& password, int options);

    // Runs one statement (insert, update, delete) and keeps no result.
    void execute(const std::string& commandText, int options);

    void close();
    bool isOpen() const { return session_ != nullptr; }

    // The open session, which a recordset shares while it reads.
    std::shared_ptr<Session> session() const;

private:
    std::shared_ptr<Session> session_;
};

}  // namespace zanfiro::store
