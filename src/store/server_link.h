#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zanfiro::store {

// A database can live on a server. The file at the database's place then
// holds no gears but a link: a first line "zanfiro-link" and a second line
// with a libpq connection string ("service=gears", "host=office
// dbname=gears", a postgresql:// URI). Host, user and password may come
// from libpq's own files (~/.pg_service.conf, ~/.pgpass); a link never
// holds a password, since it is an ordinary file anyone may read.
inline constexpr std::string_view kLinkFirstLine = "zanfiro-link";

// True when the file is a link (and not a database).
bool isServerLink(const std::filesystem::path& file);

// The connection string of a link. A link that is malformed or holds a
// password is refused, the latter naming ~/.pgpass.
std::string readServerLink(const std::filesystem::path& file);

// Refuses a connection string that holds a password, naming ~/.pgpass.
void refusePassword(const std::string& conninfo);

// Writes a link at `file`, never over an existing file, and never half:
// it is written beside, flushed to the disk and then given its name.
void writeServerLink(const std::filesystem::path& file, const std::string& conninfo);

}  // namespace zanfiro::store
