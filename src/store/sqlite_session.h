#pragma once

#include <filesystem>
#include <functional>
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

// Makes a new file holding a Gears table and the history of its changes,
// filled by `fill` in the transaction that makes them. Refuses a file that
// exists; the caller makes it beside its final name (see engine.h).
void createSqliteDatabase(const std::filesystem::path& file, const std::function<void(Session&)>& fill);

// Adds the history table with its triggers and the lists' indexes to an
// existing file, where it lacks them.
Upgrade upgradeSqliteDatabase(const std::filesystem::path& file);

}  // namespace zanfiro::store
