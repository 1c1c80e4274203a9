#include "store/connection.h"

#include "store/connection_string.h"
#include "store/engine.h"
#include "store/failure.h"

namespace zanfiro::store {

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::open(const std::string& connectionString) {
    session_ = openDatabase(dataSourceFor(connectionString, userHome()).database);
}

void Connection::execute(const std::string& commandText) { session()->execute(commandText); }

void Connection::close() {
    if (!session_) throw objectClosed();
    session_.reset();
}

std::shared_ptr<Session> Connection::session() const {
    if (!session_) throw objectClosed();
    return session_;
}

}  // namespace zanfiro::store
