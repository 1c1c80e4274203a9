#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "store/session.h"

namespace zanfiro::store {

// The one place that decides which engine serves a database.

// Opens the existing gear database at `file`: the SQLite file itself, or
// the server a link file there names. A missing file, a file that is no
// database, and an Access file from the old Windows installation are
// failures that say which.
std::shared_ptr<Session> openDatabase(const std::filesystem::path& file);

// Makes a new gear database at `file`, with a Gears table that records the
// history of its changes, filled by `fill` (when given) in the transaction
// that makes it. It is made beside (store/disk.h) and takes the name only
// once whole and on the disk, never over a file that is there, which is
// refused and left untouched. Missing folders are made; a failure leaves
// nothing behind.
void createDatabase(const std::filesystem::path& file, const std::function<void(Session&)>& fill = {});

// The same database made at `beside`, a free name, and flushed to the disk,
// for a caller that gives it its name itself.
void buildDatabase(const std::filesystem::path& beside, const std::function<void(Session&)>& fill);

// What an upgrade added; neither when the database had it all, and then
// the file is left as it was.
struct Upgrade {
    bool history = false;       // the history of changes (store/gear_history.h)
    bool signatures = false;    // who made each change in the history, and where
    bool listIndexes = false;   // the indexes that read the lists in order
    bool levels = false;        // the table of minimum and target levels (store/gear_levels.h)
    bool levelChanges = false;  // changes of levels and counts recorded in the history
    bool operators = false;     // a server's group role of operators and its rights
};

// Adds to an existing gear database what newer versions of the program keep
// in every new one.
Upgrade upgradeDatabase(const std::filesystem::path& file);

// Refuses a link to a server where the work is what only a file allows
// (copying it, putting a copy in its place): a server's stock is backed up
// with the server's own tools.
void requireDatabaseFile(const std::filesystem::path& file);

// Copies the gear database `from` to the new file `to` while other programs
// may be reading and writing it: the copy is the database as it stood at
// one moment. It is checked as checkDatabase() does, and it appears at `to`
// only once it is whole and on disk; a failure leaves nothing there. An
// existing `to` is refused.
void backupDatabase(const std::filesystem::path& from, const std::filesystem::path& to);

// Checks that the file is a whole gear database: the engine finds no damage
// in it and it has the table Gears with its columns. Each failure says which.
void checkDatabase(const std::filesystem::path& file);

enum class KeptDatabase { Nothing, AsDatabase, AsBytes };

struct Kept {
    KeptDatabase how = KeptDatabase::Nothing;
    // The journal of a damaged file, moved beside its copy.
    std::vector<std::filesystem::path> alongside;
};

// Puts the checked `backup` in place of `target`, so that a crash at any
// moment leaves either the old or the new database whole at `target`. It
// first takes the database's write lock, waiting for other programs as the
// window does and then refusing as the window does; under that lock the
// current `target` is copied to `keepCurrentAs` (which must not exist) byte
// for byte, and the backup is written into it in one transaction. A file
// that is no readable database is copied with its journal (moved beside
// the copy, so that it is never rolled into the restored file) and then
// replaced.
Kept restoreDatabase(const std::filesystem::path& backup, const std::filesystem::path& target,
                     const std::filesystem::path& keepCurrentAs);

// True when the file starts like a Jet or ACE (Access) database.
bool isAccessFile(const std::filesystem::path& file);

}  // namespace zanfiro::store
