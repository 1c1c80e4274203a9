#include "store/connection.h"

#include "store/connection_string.h"
#include "store/engine.h"
#include "store/failure.h"

namespace zanfiro::store {

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::open(const std::string& connectionString, const std::string& /*userId*/,
                      const std::string& /*password*/, int /*options*/) {
    // The program always passes an empty user and password; whatever an
    // engine needs to log in comes from its own settings.
    session_ = openDatabase(dataSourceFor(connectionString, userHome()).database);
}

void Connection::execute(const std::string& commandText, int /*options*/) { session()->execute(commandText); }

void Connection::close() {
    if (!session_) throw objectClosed();
    session_.reset();
}

std::shared_ptr<Session> Connection::session() const {
    if (!session_) throw objectClosed();
    return session_;
}

}  // namespace zanfiro::store
