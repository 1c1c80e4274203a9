#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace zanfiro::tools {

// Points a workstation at the stock on a server: creates the table Gears
// there when it is missing, then writes the link at `link` (never over an
// existing file). Says what it did on `out`.
void initServer(const std::string& conninfo, const std::filesystem::path& link, std::ostream& out);

// Moves the stock of the local file to an empty table on the server, every
// gear with its ID, the server's numbering going on after the file's; then
// the link takes the file's place and the file stays beside it as
// NAME-local.mdb. All or nothing: a failure leaves the file in place and
// the server's table empty.
void moveToServer(const std::string& conninfo, const std::filesystem::path& file, std::ostream& out);

// Makes the login `role` one of the operators of the stock on the server
// that the link `link` names (store::grantOperator). Says what it did on
// `out`; a database file has no operators and is refused.
void grantOperator(const std::string& role, const std::filesystem::path& link, std::ostream& out);

// What the database's place holds, for `zanfiro-db path`: an SQLite file,
// a link to a server, or nothing yet.
std::string describeDatabase(const std::filesystem::path& file);

}  // namespace zanfiro::tools
