#pragma once

#include <filesystem>
#include <memory>

#include "store/engine.h"
#include "store/session.h"
#include "store/sqlite.h"

namespace zanfiro::store {

// The SQLite engine: a gear database in one local file.

// Opens an existing file. Nothing is ever created: a missing file or
// folder is a failure that names the path, and so is a file that is no
// database.
std::unique_ptr<Session> openSqliteDatabase(const std::filesystem::path& file);

// The same check, for work below the session (copies, checks).
std::unique_ptr<sqlite::Database> openSqliteFile(const std::filesystem::path& file);

// Makes a new file holding an empty Gears table and the history of its
// changes. Refuses a file that exists; creates missing folders.
void createSqliteDatabase(const std::filesystem::path& file);

// Adds the history table with its triggers and the lists' indexes to an
// existing file, where it lacks them.
Upgrade upgradeSqliteDatabase(const std::filesystem::path& file);

}  // namespace zanfiro::store
