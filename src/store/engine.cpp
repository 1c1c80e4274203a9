#include "store/engine.h"

#include <array>
#include <fstream>

#include "base/failure.h"
#include "store/disk.h"
#include "store/gear_levels.h"
#include "store/pg_session.h"
#include "store/server_link.h"
#include "store/sqlite_backup.h"
#include "store/sqlite_session.h"

namespace zanfiro::store {

std::shared_ptr<Session> openDatabase(const std::filesystem::path& file) {
    if (isServerLink(file)) return openServerDatabase(readServerLink(file));
    return openSqliteDatabase(file);
}

void createDatabase(const std::filesystem::path& file, const std::function<void(Session&)>& fill) {
    removeLeftovers(file.parent_path());
    if (nameTaken(file))
        throw Failure(failure::kCannotWriteFile, "the file already exists and was left untouched: " + file.string());
    const std::vector<std::filesystem::path> folders = makeFolder(file.parent_path());
    try {
        BesideFile beside(file);
        buildDatabase(beside.path(), fill);
        beside.takeFreeName(file);
    } catch (...) {
        removeFolders(folders);
        throw;
    }
}

void buildDatabase(const std::filesystem::path& beside, const std::function<void(Session&)>& fill) {
    createSqliteDatabase(beside, fill);
    syncToDisk(beside);
}

Upgrade upgradeDatabase(const std::filesystem::path& file) {
    if (isServerLink(file)) return upgradeServerDatabase(readServerLink(file));
    return upgradeSqliteDatabase(file);
}

void requireDatabaseFile(const std::filesystem::path& file) {
    if (isServerLink(file))
        throw Failure(failure::kWrongKindOfDatabase,
                      file.string() +
                          " links to the stock on a PostgreSQL server, which keeps no file to copy: back "
                          "it up on the server with pg_dump and bring it back with pg_restore");
}

void backupDatabase(const std::filesystem::path& from, const std::filesystem::path& to) {
    requireDatabaseFile(from);
    backupSqliteDatabase(from, to);
}

void checkDatabase(const std::filesystem::path& file) {
    requireDatabaseFile(file);
    checkSqliteDatabase(file);
}

Kept restoreDatabase(const std::filesystem::path& backup, const std::filesystem::path& target,
                     const std::filesystem::path& keepCurrentAs) {
    requireDatabaseFile(target);
    return restoreSqliteDatabase(backup, target, keepCurrentAs);
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
