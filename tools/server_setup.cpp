#include "server_setup.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/failure.h"
#include "base/text.h"
#include "progress.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear_levels.h"
#include "store/gear_table.h"
#include "store/pg_session.h"
#include "store/server_link.h"

namespace zanfiro::tools {

namespace fs = std::filesystem;

void initServer(const std::string& conninfo, const fs::path& link, std::ostream& out) {
    store::refusePassword(conninfo);
    if (store::nameTaken(link))
        throw Failure(failure::kCannotWriteFile, "the file already exists and was left untouched: " + link.string());
    const bool created = store::createServerGearsTable(conninfo);
    out << (created ? "Created the table Gears on the server " : "The server already has the table Gears: ") << conninfo
        << "\n";
    if (created)
        out << "Operators are the members of the group role " << store::kOperatorsRole
            << ": zanfiro-db grant-operator LOGIN makes a login one of them.\n";
    store::makeFolder(link.parent_path());
    store::writeServerLink(link, conninfo);
    out << "Wrote the link to it at " << link.string() << "\n";
}

void moveToServer(const std::string& conninfo, const fs::path& file, std::ostream& out) {
    store::refusePassword(conninfo);
    const fs::path kept = file.parent_path() / (file.stem().string() + "-local" + file.extension().string());
    if (store::isServerLink(file))
        throw Failure(failure::kTargetNotEmpty, file.string() + " is a link to a server already; nothing was moved");
    if (store::nameTaken(kept))
        throw Failure(failure::kCannotWriteFile,
                      "the file would be kept as " + kept.string() + ", which exists already; nothing was moved");

    auto local = store::openDatabase(file);
    // The file stays shut to other writers until the link replaces it, so
    // that no SAVE from a window lands in it after its gears were copied.
    local->begin();
    const std::vector<store::GearRecord> gears = store::allGears(*local);
    const std::vector<store::GearLevel> levels =
        store::keepsLevels(*local) ? store::allLevels(*local) : std::vector<store::GearLevel>();
    const std::int64_t lastId = local->nextId() - 1;

    store::createServerGearsTable(conninfo);
    auto server = store::openServerDatabase(conninfo);
    server->begin();
    if (const std::int64_t there = store::countGears(*server); there > 0)
        throw Failure(failure::kTargetNotEmpty,
                      concat({"the server's table Gears already holds ",
                              counted(there, "gear", "gears"),
                              "; nothing was moved (move a stock only into an empty table)"}));
    {
        Progress progress("Moving gear %1 of %2", gears.size());
        for (std::size_t i = 0; i < gears.size(); ++i) {
            progress.show(i + 1);
            store::insertGear(*server, gears[i]);
        }
    }
    store::addLevels(*server);  // a table Gears made by an older version came without them
    for (const store::GearLevel& level : levels) store::setLevel(*server, level);
    // Gears deleted from the file never lend their IDs to new ones.
    server->continueIdsAfter(lastId);
    const std::int64_t nextId = server->nextId();

    // The file's second name is made before the server commits, so that a
    // failure up to the commit leaves both sides as they were.
    if (::link(file.c_str(), kept.c_str()) != 0)
        throw Failure(failure::kCannotWriteFile,
                      concat({"cannot keep the file as ", kept.string(), ": ", std::strerror(errno)}));
    try {
        server->commit();
    } catch (...) {
        std::error_code ignored;
        fs::remove(kept, ignored);
        throw;
    }
    store::replaceWithServerLink(file, conninfo);
    out << "Moved " << counted(gears.size(), "gear", "gears") << " to the server " << conninfo
        << "; the next new gear gets ID " << nextId << ".\n"
        << file.string() << " is now a link to the server; the file is kept as " << kept.string() << ".\n";
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
