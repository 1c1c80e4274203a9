#include "server_setup.h"

#include <algorithm>

#include "base/failure.h"
#include "base/text.h"
#include "failed_write.h"
#include "progress.h"
#include "sentence.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear_ids.h"
#include "store/gear_levels.h"
#include "store/gear_table.h"
#include "store/pg_session.h"
#include "store/server_link.h"
#include "store/sqlite_backup.h"

namespace zanfiro::tools {

namespace fs = std::filesystem;

namespace {

// The table Gears on the server, made when missing with all that init
// --server gives it (history, levels, lists' indexes, operators' rights);
// says so when it made it, and is false when it was there.
bool makeServerTable(const std::string& conninfo, std::ostream& out) {
    if (!store::createServerGearsTable(conninfo)) return false;
    out << "Created the table Gears on the server " << conninfo << "\n"
        << "Operators are the members of the group role " << store::kOperatorsRole
        << ": zanfiro-db grant-operator LOGIN makes a login one of them.\n";
    return true;
}

}  // namespace

void initServer(const std::string& conninfo, const fs::path& link, std::ostream& out) {
    store::refusePassword(conninfo);
    if (store::nameTaken(link))
        throw Failure(failure::kCannotWriteFile, "the file already exists and was left untouched: " + link.string());
    if (!makeServerTable(conninfo, out)) out << "The server already has the table Gears: " << conninfo << "\n";
    store::makeFolder(link.parent_path());
    store::writeServerLink(link, conninfo);
    out << "Wrote the link to it at " << link.string() << "\n";
}

namespace {

// The link that is to take the file's place, written beside it before the
// server commits: after the commit only a rename is left, and a run cut
// short finds it and finishes or undoes the move.
fs::path movingLinkOf(const fs::path& file) {
    return file.parent_path() / concat({".", file.filename().string(), ".moving"});
}

// The server keeps teeth and quantity as numbers where the file may keep
// their text ("12"): gears are compared as the window shows them.
bool sameGears(const std::vector<store::GearRecord>& a, const std::vector<store::GearRecord>& b) {
    return std::ranges::equal(a, b, [](const store::GearRecord& x, const store::GearRecord& y) {
        return std::ranges::all_of(store::kGearColumns, [&](const store::GearColumn& column) {
            const store::Value &u = x.*column.field, &v = y.*column.field;
            return u.isNull() == v.isNull() && u.textOrEmpty() == v.textOrEmpty();
        });
    });
}

// A database made by an older version has no table of levels.
std::vector<store::GearLevel> levelsOf(store::Session& session) {
    return store::keepsLevels(session) ? store::allLevels(session) : std::vector<store::GearLevel>();
}

struct Stock {
    std::vector<store::GearRecord> gears;
    std::vector<store::GearLevel> levels;
    std::int64_t lastId = 0;
    bool operator==(const Stock& other) const {
        return lastId == other.lastId && levels == other.levels && sameGears(gears, other.gears);
    }
};

Stock stockOf(store::Session& session) {
    return {store::allGears(session), levelsOf(session), store::lastIdEverGiven(session)};
}

void removeQuietly(std::initializer_list<fs::path> files) {
    for (const fs::path& file : files) {
        std::error_code ignored;
        fs::remove(file, ignored);
    }
}

void sayMoved(std::ostream& out, std::size_t gears, const std::string& conninfo, std::int64_t nextId,
              const fs::path& file, const fs::path& kept) {
    out << "Moved " << counted(gears, "gear", "gears") << " to the server " << conninfo
        << "; the next new gear gets ID " << nextId << ".\n"
        << file.string() << " is now a link to the server; the file is kept as " << kept.string() << ".\n";
}

}  // namespace

void moveToServer(const std::string& conninfo, const fs::path& file, std::ostream& out) {
    store::refusePassword(conninfo);
    const fs::path kept = file.parent_path() / (file.stem().string() + "-local" + file.extension().string());
    const fs::path moving = movingLinkOf(file);
    if (store::isServerLink(file)) {
        if (store::readServerLink(file) != conninfo)
            throw Failure(failure::kTargetNotEmpty,
                          file.string() + " is a link to a server already; nothing was moved");
        out << sentence("%1 is a link to the server %2 already: the move is done.", {file.string(), conninfo}) << "\n";
        return;
    }
    const bool resuming = store::nameTaken(moving);
    if (resuming) {
        const std::string earlier = store::readServerLink(moving);
        if (earlier != conninfo)
            throw Failure(failure::kTargetNotEmpty,
                          sentence("the move of %1 to the server %2 was cut short; finish it with zanfiro-db "
                                   "move-to-server %2 (nothing was moved)",
                                   {file.string(), earlier}));
    } else if (store::nameTaken(kept)) {
        throw Failure(failure::kCannotWriteFile,
                      "the file would be kept as " + kept.string() + ", which exists already; nothing was moved");
    }
    const std::string notYet = sentence(
        "The server holds the stock, but the file is still in place and in use: run "
        "zanfiro-db move-to-server %1 again to finish the move.",
        {conninfo});
    std::string state = "Nothing was moved: the file is in place and in use, and the server's table is as it was.";
    sayingState(state, [&] {
        store::removeLeftovers(file.parent_path());
        auto local = store::openDatabase(file);
        // The file stays shut to other writers until the link replaces it,
        // so that no SAVE from a window lands in it after its gears were
        // copied. While it is, nothing here may open the file but SQLite:
        // closing any other descriptor of it would drop the lock.
        local->begin();
        const Stock stock = stockOf(*local);

        makeServerTable(conninfo, out);
        auto server = store::openServerDatabase(conninfo);
        server->begin();
        std::int64_t there = store::countGears(*server);
        if (resuming && there > 0) {
            // The run cut short reached the server's commit; its copy is
            // there untouched when the server holds the gears of the file
            // it kept.
            const bool copyIsThere = store::nameTaken(kept) && [&] {
                const Stock keptStock = stockOf(*store::openDatabase(kept));
                return sameGears(store::allGears(*server), keptStock.gears) && levelsOf(*server) == keptStock.levels &&
                       server->nextId() > keptStock.lastId;
            }();
            if (!copyIsThere)
                throw Failure(failure::kTargetNotEmpty,
                              sentence(plural(there,
                                              "the server's table Gears holds 1 gear that is not the copy the move "
                                              "cut short made (the server was written to since): compare the "
                                              "server's stock with %2 and empty its table to move again",
                                              "the server's table Gears holds %1 gears that are not the copy the "
                                              "move cut short made (the server was written to since): compare the "
                                              "server's stock with %2 and empty its table to move again"),
                                       {std::to_string(there), kept.string()}));
            if (stock == stockOf(*store::openDatabase(kept))) {
                state = notYet;
                store::replaceName(moving, file);
                out << "Finished the move that was cut short.\n";
                sayMoved(out, stock.gears.size(), conninfo, server->nextId(), file, kept);
                return;
            }
            // The file was written to after the copy: the copy goes, and
            // the file is moved as it is now.
            server->execute("DELETE FROM Gears");
            there = 0;
        }
        if (there > 0)
            throw Failure(failure::kTargetNotEmpty,
                          concat({"the server's table Gears already holds ",
                                  counted(there, "gear", "gears"),
                                  " (move a stock only into an empty table)"}));
        // What a run cut short before the server's commit left.
        if (resuming) removeQuietly({moving, kept});

        const std::int64_t serverLastId = store::lastIdEverGiven(*server);
        {
            Progress progress("Moving gear %1 of %2", stock.gears.size());
            for (std::size_t i = 0; i < stock.gears.size(); ++i) {
                progress.show(i + 1);
                store::insertGear(*server, stock.gears[i]);
            }
        }
        store::addLevels(*server);  // a table Gears made by an older version came without them
        for (const store::GearLevel& level : stock.levels) store::setLevel(*server, level);
        // Gears deleted from the file, and IDs the server gave before,
        // never lend their IDs to new ones.
        server->continueIdsAfter(std::max(stock.lastId, serverLastId));
        const std::int64_t nextId = server->nextId();
        store::writeServerLink(moving, conninfo);
        try {
            // The file as it stands under the lock, by SQLite alone (above).
            store::backupSqliteDatabase(file, kept);
        } catch (...) {
            removeQuietly({moving});
            throw;
        }
        state = sentence(
            "The file is still in place and in use; whether the server took the copy is not known: run "
            "zanfiro-db move-to-server %1 again, which finishes the move or starts it afresh.",
            {conninfo});
        server->commit();
        state = notYet;
        store::replaceName(moving, file);
        sayMoved(out, stock.gears.size(), conninfo, nextId, file, kept);
    });
}

void grantOperator(const std::string& role, const fs::path& link, std::ostream& out) {
    if (!store::isServerLink(link))
        throw Failure(failure::kWrongKindOfDatabase,
                      link.string() +
                          " is no link to a server: operators are logins on the PostgreSQL server that keeps a "
                          "stock, and a database file is written by whoever may write the file");
    if (store::grantOperator(store::readServerLink(link), role))
        out << "The login " << role << " is now one of the operators (" << store::kOperatorsRole
            << "): it may read and change the gears and read the history, and nothing else.\n";
    else
        out << "The login " << role << " is one of the operators already; nothing was changed.\n";
}

std::string describeDatabase(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error)) return "no database yet: zanfiro-db init makes one";
    if (store::isServerLink(file)) return "a link to the PostgreSQL server " + store::readServerLink(file);
    if (store::isAccessFile(file)) return "an Access file: zanfiro-db import converts it";
    return "an SQLite database file";
}

}  // namespace zanfiro::tools
