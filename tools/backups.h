#pragma once

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace zanfiro::tools {

// How many backups the folder of backups keeps: a month of daily ones.
inline constexpr std::size_t kBackupsKept = 30;

// A file's size as a person reads it: "812 bytes", "24 KiB", "31 MiB".
std::string sizeOf(const std::filesystem::path& file);

// Where backups of `database` go when no place is given: the folder
// backups beside it (~/NDB/backups for the program's database).
std::filesystem::path backupFolder(const std::filesystem::path& database);

// The name of a backup of `database` taken at `when` (local time):
// DB-YYYY-MM-DD-HHMMSS.mdb for DB.mdb. Names sort as their times do.
std::string backupName(const std::filesystem::path& database, std::chrono::system_clock::time_point when);

// The backups of `database` in `folder` by their names, oldest first.
std::vector<std::filesystem::path> backupsIn(const std::filesystem::path& folder,
                                             const std::filesystem::path& database);

// Copies `database` while the window may be using it, checks the copy and
// says where it went. Without `destination` (empty) the copy goes into the
// folder of backups, which then keeps the newest kBackupsKept and says
// which it removed; a destination that is a folder gets the copy under the
// usual name. Returns the copy's path.
std::filesystem::path backUp(const std::filesystem::path& database, const std::filesystem::path& destination,
                             std::ostream& out);

// Checks `backup`, keeps the current database in the folder of backups,
// and puts the backup in its place. Says each step.
void restore(const std::filesystem::path& backup, const std::filesystem::path& database, std::ostream& out);

}  // namespace zanfiro::tools
