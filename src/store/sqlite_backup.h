#pragma once

#include <filesystem>

#include "store/engine.h"

namespace zanfiro::store {

// Copies and checks of SQLite gear databases (see store/engine.h).

void backupSqliteDatabase(const std::filesystem::path& from, const std::filesystem::path& to);
void checkSqliteDatabase(const std::filesystem::path& file);
Kept restoreSqliteDatabase(const std::filesystem::path& backup, const std::filesystem::path& target,
                           const std::filesystem::path& keepCurrentAs);

}  // namespace zanfiro::store
