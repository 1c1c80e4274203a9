#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "store/engine.h"
#include "store/session.h"

namespace zanfiro::store {

// The PostgreSQL engine: one stock on a server that several workstations
// share. Each session is one connection, opened and closed with it.

// Connects to the server the libpq connection string names.
std::unique_ptr<Session> openServerDatabase(const std::string& conninfo);

// The group role whose members, the operators, may read and change the
// gears and read the history, and nothing else. It belongs to the whole
// server, like every role: each stock on it gives the group its rights.
inline constexpr std::string_view kOperatorsRole = "zanfiro_operators";

// Creates the table Gears on the server when it is missing, with its
// history, and gives the operators' group (made when missing) its rights
// on them; false when the table was there already (and has the gear's
// columns), and then nothing is changed. The tables belong to the role
// that logged in, the administrator, who must be allowed to create roles
// unless the group exists.
bool createServerGearsTable(const std::string& conninfo);

// Adds what newer versions keep on every server: the history, its
// signatures, the lists' indexes, the levels, the operators' group and its
// rights, all or nothing. Run by the administrator, who owns the tables.
Upgrade upgradeServerDatabase(const std::string& conninfo);

// The rights on a server's stock that the operators' group is given and
// the window needs: gears and their levels read and changed, the history
// read, new gears numbered.
struct StockRights {
    bool readGears = false, insertGears = false, updateGears = false, deleteGears = false;
    bool readHistory = false;
    bool readLevels = false, insertLevels = false, updateLevels = false, deleteLevels = false;
    bool numbering = false;

    bool changeGears() const { return insertGears && updateGears && deleteGears; }
    bool levels() const { return readLevels && insertLevels && updateLevels && deleteLevels; }
    bool all() const { return readGears && changeGears() && readHistory && levels() && numbering; }
};

// How the login of a session on a server stands to the stock there.
struct ServerLogin {
    std::string name;
    // Owns the tables (or is a superuser): the one who may change their
    // history, their rights and their numbering.
    bool administrator = false;
    bool isOperator = false;  // a member of the operators' group
    StockRights rights;       // the login's own, through whatever role
    StockRights operators;    // the operators' group's; none when there is no group
};
ServerLogin serverLogin(Session& session);

// Makes the login `role` a member of the operators' group; false when it
// was one already. Refused unless the role that logs in may grant the group.
bool grantOperator(const std::string& conninfo, const std::string& role);

}  // namespace zanfiro::store
