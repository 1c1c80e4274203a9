#include "store/sqlite_backup.h"

#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "base/failure.h"
#include "base/text.h"
#include "store/disk.h"
#include "store/gear_table.h"
#include "store/sqlite.h"
#include "store/sqlite_session.h"

namespace zanfiro::store {

namespace {

namespace fs = std::filesystem;

// How long a copy waits for a writer (the window saving a gear) to finish,
// as long as every other user of the file waits.
constexpr auto kBusyWait = std::chrono::seconds(5);

// The new file is built under this name beside its final one; a copy that
// was interrupted leaves it there, and the next copy removes it.
fs::path besideName(const fs::path& file) {
    return file.parent_path() / concat({".", file.filename().string(), ".partial"});
}

void removeBeside(const fs::path& beside) {
    std::error_code ignored;
    fs::remove(beside, ignored);
    fs::remove(beside.string() + "-journal", ignored);
}

// Every page of the open database `source` into the new file `to`, in one
// read transaction of the source: the copy is the database as it stood at
// one moment, whatever other programs write meanwhile.
void copyPages(sqlite::Database& source, const fs::path& to) {
    sqlite::Database copy(to, sqlite::Database::Mode::CreateNew);
    sqlite3_backup* backup = sqlite3_backup_init(copy.handle(), "main", source.handle(), "main");
    if (!backup) copy.fail(sqlite3_errcode(copy.handle()));
    int rc = SQLITE_OK;
    const auto giveUp = std::chrono::steady_clock::now() + kBusyWait;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && std::chrono::steady_clock::now() < giveUp);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) throw Failure(rc, concat({sqlite3_errstr(rc), ": copying the database to ", to.string()}));
}

void checkOpenDatabase(sqlite::Database& db, const fs::path& file) {
    std::string problems;
    {
        sqlite::Statement check(db, "PRAGMA integrity_check(10)");
        while (check.step()) {
            const std::string line = check.column(0).textOrEmpty();
            if (line != "ok") problems += concat({problems.empty() ? "" : "; ", line});
        }
    }
    if (!problems.empty())
        throw Failure(SQLITE_CORRUPT, concat({"the file is damaged (", problems, "): ", file.string()}));
    const std::string columns = gearColumnList();
    const std::string read = concat({"SELECT ", columns, " FROM ", kGearsTable, " LIMIT 0"});
    if (sqlite3_exec(db.handle(), read.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw Failure(failure::kNoSuchTable,
                      concat({"this is no gear database (it has no table ",
                              kGearsTable,
                              " with the columns ",
                              columns,
                              "): ",
                              file.string()}));
}

enum class Check { Whole, AsItIs };

// A whole copy of `source` at `to`, or nothing there: the copy is made
// beside, checked, written to disk and only then given its name.
void placeCopy(const std::function<void(const fs::path&)>& copy, const fs::path& to, Check check) {
    const fs::path beside = besideName(to);
    removeBeside(beside);
    try {
        copy(beside);
        if (check == Check::Whole) {
            sqlite::Database written(beside, sqlite::Database::Mode::OpenExisting);
            checkOpenDatabase(written, beside);
        }
        syncToDisk(beside);
        std::error_code error;
        fs::rename(beside, to, error);
        if (error) cannotWrite(to, "put the copy in place as", error.value());
        syncFolderOf(to);
    } catch (...) {
        removeBeside(beside);
        throw;
    }
}

void refuseExisting(const fs::path& file) {
    if (nameTaken(file))
        throw Failure(failure::kTargetNotEmpty, "the file already exists and was left untouched: " + file.string());
}

}  // namespace

void backupSqliteDatabase(const fs::path& from, const fs::path& to) {
    refuseExisting(to);
    auto source = openSqliteFile(from);
    placeCopy([&](const fs::path& beside) { copyPages(*source, beside); }, to, Check::Whole);
}

void checkSqliteDatabase(const fs::path& file) {
    auto db = openSqliteFile(file);
    checkOpenDatabase(*db, file);
}

KeptDatabase restoreSqliteDatabase(const fs::path& backup, const fs::path& target, const fs::path& keepCurrentAs) {
    auto replacement = openSqliteFile(backup);
    checkOpenDatabase(*replacement, backup);
    KeptDatabase kept = KeptDatabase::Nothing;
    std::error_code ignored;
    std::unique_ptr<sqlite::Database> writer, current;
    if (fs::exists(target, ignored)) {
        refuseExisting(keepCurrentAs);
        try {
            // Opening rolls back what a crashed writer left half done.
            current = openSqliteFile(target);
        } catch (const Failure&) {
            // No database (an operator's copy gone wrong): kept byte for byte.
        }
        if (current) {
            // A write transaction of a second connection keeps every other
            // writer out until the new file has the name, so that no gear
            // is saved to the old file after its copy was kept, and no
            // writer's journal is left to be mistaken for the new file's.
            // Readers go on, the copy among them.
            writer = openSqliteFile(target);
            writer->exec("BEGIN IMMEDIATE");
            try {
                // Damage is kept as it is: it may be what the restore repairs.
                placeCopy([&](const fs::path& beside) { copyPages(*current, beside); }, keepCurrentAs, Check::AsItIs);
                kept = KeptDatabase::AsDatabase;
            } catch (const Failure&) {
                // Pages SQLite cannot read: the bytes below, under the same lock.
            }
        }
        if (kept == KeptDatabase::Nothing) {
            const auto copyBytes = [&](const fs::path& beside) {
                std::error_code error;
                fs::copy_file(target, beside, error);
                if (error) cannotWrite(beside, "copy the current database to", error.value());
            };
            placeCopy(copyBytes, keepCurrentAs, Check::AsItIs);
            kept = KeptDatabase::AsBytes;
        }
    }
    placeCopy([&](const fs::path& beside) { copyPages(*replacement, beside); }, target, Check::Whole);
    return kept;
}

}  // namespace zanfiro::store
