#pragma once

#include <memory>
#include <string>

#include "store/engine.h"
#include "store/session.h"

namespace zanfiro::store {

// The PostgreSQL engine: one stock on a server that several workstations
// share. Each session is one connection, opened and closed with it.

// Connects to the server the libpq connection string names.
std::unique_ptr<Session> openServerDatabase(const std::string& conninfo);

// Creates the table Gears on the server when it is missing; false when it
// was there already (and has the gear's columns).
bool createServerGearsTable(const std::string& conninfo);

// Adds what newer versions keep on every server: the history and its
// signatures. Run by the administrator, who owns the tables.
Upgrade upgradeServerDatabase(const std::string& conninfo);

}  // namespace zanfiro::store
