#include "store/engine.h"

#include <array>
#include <fstream>

#include "store/sqlite_backup.h"
#include "store/sqlite_session.h"

namespace zanfiro::store {

std::shared_ptr<Session> openDatabase(const std::filesystem::path& file) { return openSqliteDatabase(file); }

void createDatabase(const std::filesystem::path& file) { createSqliteDatabase(file); }

bool upgradeDatabase(const std::filesystem::path& file) { return upgradeSqliteDatabase(file); }

void backupDatabase(const std::filesystem::path& from, const std::filesystem::path& to) {
    backupSqliteDatabase(from, to);
}

void checkDatabase(const std::filesystem::path& file) { checkSqliteDatabase(file); }

KeptDatabase restoreDatabase(const std::filesystem::path& backup, const std::filesystem::path& target,
                             const std::filesystem::path& keepCurrentAs) {
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
