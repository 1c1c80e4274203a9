#include "store/database_file.h"

#include <sqlite3.h>

#include <array>
#include <fstream>

#include "store/failure.h"
#include "store/sqlite.h"

namespace zanfiro::store {

std::shared_ptr<sqlite::Database> openDatabaseFile(const std::filesystem::path& file) {
    auto database = std::make_shared<sqlite::Database>(file, sqlite::Database::Mode::OpenExisting);
    // SQLite reads the file lazily; reading the schema now makes a file
    // that is no database fail here, with its name, and not at some later
    // statement.
    const int rc = sqlite3_exec(database->handle(), "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return database;
    if ((rc & 0xff) == SQLITE_NOTADB && isAccessFile(file))
        throw Failure(rc,
                      "this is an Access database from the old Windows program, not one of this program: " +
                          file.string() + ". Bring its gears over with: zanfiro-db import " + file.string());
    throw Failure(rc, std::string(sqlite3_errmsg(database->handle())) + ": " + file.string());
}

void createGearsDatabase(const std::filesystem::path& file) {
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored) || std::filesystem::is_symlink(file, ignored))
        throw Failure(SQLITE_CANTOPEN, "the file already exists and was left untouched: " + file.string());
    if (file.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        if (error)
            throw Failure(SQLITE_CANTOPEN,
                          "cannot create the folder " + file.parent_path().string() + ": " + error.message());
    }
    try {
        sqlite::Database database(file, sqlite::Database::Mode::CreateNew);
        database.exec(kGearsSchema);
    } catch (...) {
        std::filesystem::remove(file, ignored);
        throw;
    }
}

bool isAccessFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<char, 19> head{};
    if (!in.read(head.data(), head.size())) return false;
    const std::string_view text(head.data() + 4, 15);
    return head[0] == 0 && head[1] == 1 && head[2] == 0 && head[3] == 0 &&
           (text == "Standard Jet DB" || text == "Standard ACE DB");
}

}  // namespace zanfiro::store
