#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

namespace zanfiro::store {

namespace sqlite {
class Database;
}

// The table every gear lives in. Teeth and quantity are whole numbers so
// they sort as numbers; module and type are texts compared exactly.
// AUTOINCREMENT keeps the ID of a deleted gear from ever coming back.
inline constexpr std::string_view kGearsSchema =
    "CREATE TABLE Gears(ID INTEGER PRIMARY KEY AUTOINCREMENT, D INTEGER, M TEXT, T TEXT, QTY INTEGER)";

// Opens an existing database file for reading and writing. A missing file,
// a file that is no database, and an Access file from the old Windows
// installation are failures that say which.
std::shared_ptr<sqlite::Database> openDatabaseFile(const std::filesystem::path& file);

// Makes a new database file with an empty Gears table. The file must not
// exist yet; its folder is created when missing.
void createGearsDatabase(const std::filesystem::path& file);

// True when the file starts like a Jet or ACE (Access) database.
bool isAccessFile(const std::filesystem::path& file);

}  // namespace zanfiro::store
