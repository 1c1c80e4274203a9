#include "store/sqlite_backup.h"

#include <fcntl.h>
#include <unistd.h>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
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

Failure locked(const fs::path& file) { return Failure(SQLITE_BUSY, "database is locked: " + file.string()); }

bool isBusy(int rc) { return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED; }

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
        if (isBusy(rc)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (isBusy(rc) && std::chrono::steady_clock::now() < giveUp);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) throw Failure(rc, concat({sqlite3_errstr(rc), ": copying the database to ", to.string()}));
}

// Every byte of the open database's file into the new file `to`, read
// through SQLite's own handle: opening the file anew and closing it would
// drop the locks this process holds on it, which belong to the process and
// go with the close of any of its descriptors.
void copyBytes(sqlite::Database& db, const fs::path& from, const fs::path& to) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        throw Failure(SQLITE_IOERR, "cannot read " + from.string());
    sqlite3_int64 size = 0;
    if (const int rc = file->pMethods->xFileSize(file, &size); rc != SQLITE_OK)
        throw Failure(rc, concat({sqlite3_errstr(rc), ": ", from.string()}));
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) cannotWrite(to, "create", errno);
    std::string chunk(1 << 16, '\0');
    for (sqlite3_int64 at = 0; at < size;) {
        const int length =
            static_cast<int>(std::min<sqlite3_int64>(size - at, static_cast<sqlite3_int64>(chunk.size())));
        const int rc = file->pMethods->xRead(file, chunk.data(), length, at);
        if (rc != SQLITE_OK) {
            ::close(out);
            throw Failure(rc, concat({sqlite3_errstr(rc), ": ", from.string()}));
        }
        if (::write(out, chunk.data(), static_cast<std::size_t>(length)) != length) {
            const int error = errno;
            ::close(out);
            cannotWrite(to, "write", error);
        }
        at += length;
    }
    if (::close(out) != 0) cannotWrite(to, "write", errno);
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

bool isWholeGearDatabase(const fs::path& file) {
    try {
        checkSqliteDatabase(file);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

enum class Check { Whole, AsItIs };
enum class Naming { FreeName, Replace };

// A whole copy at `to`, or nothing there: the copy is made beside, checked,
// written to disk and only then given its name.
void placeCopy(const std::function<void(const fs::path&)>& copy, const fs::path& to, Check check, Naming naming) {
    BesideFile beside(to);
    copy(beside.path());
    if (check == Check::Whole) {
        sqlite::Database written(beside.path(), sqlite::Database::Mode::OpenExisting);
        checkOpenDatabase(written, beside.path());
    }
    syncToDisk(beside.path());
    if (naming == Naming::FreeName)
        beside.takeFreeName(to);
    else
        beside.replaceName(to);
}

void refuseExisting(const fs::path& file) {
    if (nameTaken(file))
        throw Failure(failure::kTargetNotEmpty, "the file already exists and was left untouched: " + file.string());
}

// A file SQLite cannot open is no database, or one damaged past reading.
bool isUnreadable(const Failure& failure) {
    const int primary = failure.number() & 0xff;
    return failure.number() < 65536 && (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT);
}

// SQLite's backup of `source` into the open database `into`: every page in
// one write transaction of `into`, which other programs wait for as for
// any writer, and which a crash leaves to its journal to roll back.
class PagesInto {
public:
    PagesInto(sqlite::Database& into, sqlite::Database& source, const fs::path& target)
        : backup_(sqlite3_backup_init(into.handle(), "main", source.handle(), "main")), target_(target) {
        if (!backup_) into.fail(sqlite3_errcode(into.handle()));
    }
    ~PagesInto() { sqlite3_backup_finish(backup_); }
    PagesInto(const PagesInto&) = delete;
    PagesInto& operator=(const PagesInto&) = delete;

    // Takes the write lock, copying no page yet: other writers and readers
    // are waited for as the window waits (the connection's busy timeout),
    // then kept out until the copy is done.
    void lock() {
        const int rc = sqlite3_backup_step(backup_, 0);
        if (isBusy(rc)) throw locked(target_);
        if (rc != SQLITE_OK && rc != SQLITE_DONE)
            throw Failure(rc, concat({sqlite3_errstr(rc), ": ", target_.string()}));
    }

    // Copies every page and commits.
    void copyAll() {
        const int rc = sqlite3_backup_step(backup_, -1);
        if (rc != SQLITE_DONE)
            throw Failure(rc, concat({sqlite3_errstr(rc), ": restoring the backup into ", target_.string()}));
    }

private:
    sqlite3_backup* backup_;
    fs::path target_;
};

// The journal modes keep their changes in a second file that a byte copy
// of the database would miss: a database in WAL mode is brought back to the
// rollback journal, which needs every other connection closed.
void leaveWal(sqlite::Database& db, const fs::path& file) {
    std::string mode;
    {
        sqlite::Statement read(db, "PRAGMA journal_mode");
        if (read.step()) mode = lower(read.column(0).textOrEmpty());
    }
    if (mode != "wal") return;
    try {
        db.exec("PRAGMA journal_mode = DELETE");
    } catch (const Failure& failure) {
        if (isBusy(failure.number())) throw locked(file);
        throw;
    }
}

constexpr const char* kLogs[] = {"-journal", "-wal"};

fs::path withSuffix(const fs::path& file, std::string_view suffix) { return file.string() + std::string(suffix); }

// A file with a log beside it (a journal, a write-ahead log), copied as
// found, before SQLite opens it: opening plays the journal back into the
// file or removes the log, and a file that then proves unreadable is kept
// as it was found. Nothing is copied where there is no log.
class AsFound {
public:
    AsFound(const fs::path& file, const fs::path& keep) {
        if (std::ranges::none_of(kLogs, [&](const char* log) { return nameTaken(withSuffix(file, log)); })) return;
        for (const std::string_view suffix : {"", kLogs[0], kLogs[1]}) {
            if (!nameTaken(withSuffix(file, suffix))) continue;
            copies_.push_back({std::make_unique<BesideFile>(withSuffix(keep, suffix)), withSuffix(keep, suffix)});
            std::error_code error;
            fs::copy_file(withSuffix(file, suffix), copies_.back().first->path(), error);
            if (error) cannotWrite(copies_.back().first->path(), "copy", error.value());
        }
    }
    bool empty() const { return copies_.empty(); }

    // Gives the copies their names, the file's first; returns the logs'.
    std::vector<fs::path> name() {
        std::vector<fs::path> logs;
        for (std::size_t i = 0; i < copies_.size(); ++i) {
            syncToDisk(copies_[i].first->path());
            copies_[i].first->takeFreeName(copies_[i].second);
            if (i > 0) logs.push_back(copies_[i].second);
        }
        return logs;
    }

private:
    std::vector<std::pair<std::unique_ptr<BesideFile>, fs::path>> copies_;
};

// The logs of the file go with its copy, and are removed from beside it
// before the restored database takes its place, so that none is ever
// rolled into it.
Kept replaceUnreadable(sqlite::Database& replacement, const fs::path& target, const fs::path& keep, AsFound& found) {
    Kept kept;
    kept.how = KeptDatabase::AsBytes;
    if (found.empty()) {
        const auto copyBytes = [&](const fs::path& beside) {
            std::error_code error;
            fs::copy_file(target, beside, error);
            if (error) cannotWrite(beside, "copy the current database to", error.value());
        };
        placeCopy(copyBytes, keep, Check::AsItIs, Naming::FreeName);
    } else {
        kept.alongside = found.name();
    }
    bool removed = false;
    for (const std::string_view suffix : {kLogs[0], kLogs[1], "-shm"}) {
        std::error_code error;
        removed |= fs::remove(withSuffix(target, suffix), error);
        if (error) cannotWrite(withSuffix(target, suffix), "remove", error.value());
    }
    if (removed) syncFolderOf(target);
    placeCopy([&](const fs::path& beside) { copyPages(replacement, beside); }, target, Check::Whole, Naming::Replace);
    return kept;
}

}  // namespace

void backupSqliteDatabase(const fs::path& from, const fs::path& to) {
    refuseExisting(to);
    auto source = openSqliteFile(from);
    removeLeftovers(to.parent_path());
    placeCopy([&](const fs::path& beside) { copyPages(*source, beside); }, to, Check::Whole, Naming::FreeName);
}

void checkSqliteDatabase(const fs::path& file) {
    auto db = openSqliteFile(file);
    checkOpenDatabase(*db, file);
}

Kept restoreSqliteDatabase(const fs::path& backup, const fs::path& target, const fs::path& keepCurrentAs) {
    auto replacement = openSqliteFile(backup);
    checkOpenDatabase(*replacement, backup);
    removeLeftovers(target.parent_path());
    if (!nameTaken(target)) {
        placeCopy(
            [&](const fs::path& beside) { copyPages(*replacement, beside); }, target, Check::Whole, Naming::FreeName);
        return {};
    }
    refuseExisting(keepCurrentAs);
    removeLeftovers(keepCurrentAs.parent_path());
    AsFound found(target, keepCurrentAs);
    std::unique_ptr<sqlite::Database> current;
    try {
        // Opening rolls back what a crashed writer left half done.
        current = openSqliteFile(target);
    } catch (const Failure& failure) {
        if (!isUnreadable(failure)) throw;
    }
    if (!current) return replaceUnreadable(*replacement, target, keepCurrentAs, found);
    leaveWal(*current, target);
    // The file is never renamed over: a program that opened it before would
    // go on writing to the old file, its journal beside the new one. The
    // backup is written into it instead, under the lock that every writer
    // waits for, and the copy kept is taken under that same lock.
    PagesInto restore(*current, *replacement, target);
    restore.lock();
    placeCopy([&](const fs::path& beside) { copyBytes(*current, target, beside); },
              keepCurrentAs,
              Check::AsItIs,
              Naming::FreeName);
    Kept kept;
    kept.how = isWholeGearDatabase(keepCurrentAs) ? KeptDatabase::AsDatabase : KeptDatabase::AsBytes;
    restore.copyAll();
    return kept;
}

}  // namespace zanfiro::store
