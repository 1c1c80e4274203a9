#include "backups.h"

#include <algorithm>
#include <ctime>
#include <regex>
#include <thread>

#include "base/failure.h"
#include "base/text.h"
#include "failed_write.h"
#include "sentence.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear_table.h"

namespace zanfiro::tools {

namespace {

namespace fs = std::filesystem;

std::string gearsIn(const fs::path& database) {
    return counted(store::countGears(*store::openDatabase(database)), "gear", "gears");
}

// A name in the folder of backups that no backup has yet. Two backups in
// the same second (a restore right after a backup) wait for the next one,
// so that names keep sorting as times do.
fs::path freshBackupPath(const fs::path& folder, const fs::path& database) {
    for (;;) {
        const fs::path path = folder / backupName(database, std::chrono::system_clock::now());
        std::error_code ignored;
        if (!fs::exists(path, ignored)) return path;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

void pruneBackups(const fs::path& folder, const fs::path& database, std::ostream& out) {
    const auto backups = backupsIn(folder, database);
    if (backups.size() <= kBackupsKept) return;
    for (std::size_t i = 0; i + kBackupsKept < backups.size(); ++i) {
        std::error_code error;
        fs::remove(backups[i], error);
        if (error)
            out << "Could not remove the old backup " << backups[i].string() << ": " << error.message() << "\n";
        else
            out << "Removed the old backup " << backups[i].string() << " (the newest " << kBackupsKept
                << " are kept).\n";
    }
}

}  // namespace

std::string sizeOf(const fs::path& file) {
    std::error_code error;
    const auto bytes = fs::file_size(file, error);
    if (error) return "?";
    if (bytes < 10 * 1024) return std::to_string(bytes) + " bytes";
    if (bytes < 10 * 1024 * 1024) return std::to_string((bytes + 512) / 1024) + " KiB";
    return std::to_string((bytes + 512 * 1024) / (1024 * 1024)) + " MiB";
}

fs::path backupFolder(const fs::path& database) { return database.parent_path() / "backups"; }

std::string backupName(const fs::path& database, std::chrono::system_clock::time_point when) {
    const std::time_t time = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&time, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    return concat({database.stem().string(), "-", stamp, database.extension().string()});
}

std::vector<fs::path> backupsIn(const fs::path& folder, const fs::path& database) {
    // Only names this program gives: a file the operator put there is theirs.
    static const std::regex stamp(R"(\d{4}-\d{2}-\d{2}-\d{6})");
    const std::string head = database.stem().string() + "-", tail = database.extension().string();
    const auto isBackup = [&](const std::string& name) {
        return name.size() > head.size() + tail.size() && name.starts_with(head) && name.ends_with(tail) &&
               std::regex_match(name.substr(head.size(), name.size() - head.size() - tail.size()), stamp);
    };
    std::vector<fs::path> backups;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && isBackup(entry.path().filename().string())) backups.push_back(entry.path());
    std::ranges::sort(backups);
    return backups;
}

fs::path backUp(const fs::path& database, const fs::path& destination, std::ostream& out) {
    store::requireDatabaseFile(database);
    std::error_code ignored;
    const bool intoFolder = destination.empty();
    fs::path copy = destination;
    if (intoFolder) {
        store::openDatabase(database);  // a database to copy, before any folder is made for it
        store::makeFolder(backupFolder(database));
        copy = freshBackupPath(backupFolder(database), database);
    } else if (fs::is_directory(destination, ignored)) {
        copy = destination / backupName(database, std::chrono::system_clock::now());
    }
    store::backupDatabase(database, copy);
    out << "Backed up " << database.string() << " to " << copy.string() << " (" << gearsIn(copy) << ", " << sizeOf(copy)
        << "); the copy is checked and whole.\n";
    if (intoFolder) pruneBackups(backupFolder(database), database, out);
    return copy;
}

void restore(const fs::path& backup, const fs::path& database, std::ostream& out) {
    store::requireDatabaseFile(database);
    std::error_code ignored;
    if (fs::equivalent(backup, database, ignored))
        throw Failure(failure::kTargetNotEmpty,
                      "the backup is the database itself; nothing to restore: " + database.string());
    store::checkDatabase(backup);
    out << "Checked " << backup.string() << ": a whole gear database with " << gearsIn(backup) << ".\n";
    const bool current = store::nameTaken(database);
    fs::path kept;
    const store::Kept outcome =
        sayingState(sentence("Nothing was restored: %1 is as it was.", {database.string()}), [&] {
            if (current) {
                store::makeFolder(backupFolder(database));
                kept = freshBackupPath(backupFolder(database), database);
            } else {
                store::makeFolder(database.parent_path());  // a new machine: ~/NDB is not there yet
            }
            return store::restoreDatabase(backup, database, kept);
        });
    switch (outcome.how) {
    case store::KeptDatabase::Nothing: out << "There was no database at " << database.string() << " to keep.\n"; break;
    case store::KeptDatabase::AsDatabase: out << "Kept the database it replaces as " << kept.string() << ".\n"; break;
    case store::KeptDatabase::AsBytes:
        out << "Kept the file it replaces, which is no readable gear database, byte for byte as " << kept.string()
            << ".\n";
        break;
    }
    for (const fs::path& journal : outcome.alongside)
        out << sentence("Kept the log beside it as %1, so that it never reaches the restored database.",
                        {journal.string()})
            << "\n";
    out << "Restored " << database.string() << " from " << backup.string() << " (" << gearsIn(database) << ").\n";
    if (current) pruneBackups(backupFolder(database), database, out);
}

}  // namespace zanfiro::tools
