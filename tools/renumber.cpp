#include "renumber.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>

#include "base/failure.h"
#include "base/text.h"
#include "failed_write.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear_history.h"
#include "store/gear_ids.h"
#include "store/gear_table.h"

namespace zanfiro::tools {

namespace {

namespace fs = std::filesystem;
using store::kHighestPickableId;

std::vector<IdMove> plannedMoves(store::Session& db) {
    std::set<std::int64_t> held;
    std::vector<std::int64_t> above;
    for (auto ids = db.query(concat({"SELECT ID FROM ", store::kGearsTable, " ORDER BY ID"})); ids->next();) {
        const store::Value id = ids->value(0);
        if (!id.isNumber()) continue;
        held.insert(id.number());
        if (id.number() > kHighestPickableId) above.push_back(id.number());
    }
    std::vector<IdMove> moves;
    for (std::int64_t free = 1; free <= kHighestPickableId && moves.size() < above.size(); ++free)
        if (!held.contains(free)) moves.push_back({.from = above[moves.size()], .to = free});
    if (moves.size() < above.size())
        throw Failure(failure::kOverflow,
                      concat({counted(static_cast<long long>(above.size()), "gear has an ID", "gears have IDs"),
                              " above ",
                              std::to_string(kHighestPickableId),
                              ", but only ",
                              counted(static_cast<long long>(moves.size()), "ID below is free", "IDs below are free"),
                              ": they do not fit"}));
    return moves;
}

// The update trigger records the move as a change of nothing under the new
// ID; that row becomes the record of the move, which `zanfiro-db history`
// then finds under either ID.
void move(store::Session& db, const IdMove& move) {
    const store::Value to(move.to), from(move.from);
    const store::Value ids[] = {to, from};
    db.execute(concat({"UPDATE ", store::kGearsTable, " SET ID = ? WHERE ID = ?"}), ids);
    auto last = db.query(concat({"SELECT ",
                                 store::kHistorySeq,
                                 ", ID, ",
                                 store::kHistoryChange,
                                 " FROM ",
                                 store::kHistoryTable,
                                 " ORDER BY ",
                                 store::kHistorySeq,
                                 " DESC LIMIT 1"}));
    if (!last->next() || last->value(1) != to ||
        last->value(2).textOrEmpty() != store::changeName(store::ChangeKind::Update))
        throw Failure(failure::kNoSuchTable,
                      "the history did not record the move of the gear " + std::to_string(move.from) +
                          " (its update trigger is off): nothing was renumbered");
    const store::Value record[] = {store::Value(store::renumberedFrom(move.from)), last->value(0)};
    db.execute(concat({"UPDATE ",
                       store::kHistoryTable,
                       " SET ",
                       store::kHistoryChange,
                       " = ? WHERE ",
                       store::kHistorySeq,
                       " = ?"}),
               record);
}

void writeCsv(const std::vector<IdMove>& moves, const fs::path& file) {
    std::string text = "OldID,NewID\r\n";
    for (const IdMove& move : moves) text += concat({std::to_string(move.from), ",", std::to_string(move.to), "\r\n"});
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) store::cannotWrite(file, "create", errno);
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written) store::cannotWrite(file, "write", error);
}

}  // namespace

std::vector<IdMove> renumberGears(const fs::path& database, const fs::path& csv, std::ostream& out) {
    if (!csv.empty() && store::nameTaken(csv))
        throw Failure(failure::kTargetNotEmpty, "the file already exists and was left untouched: " + csv.string());
    std::vector<IdMove> moves;
    std::int64_t nextId = 0;
    bool addedHistory = false;
    std::optional<store::BesideFile> list;
    sayingState("Nothing was renumbered: " + database.string() + " is as it was.", [&] {
        auto db = store::openDatabase(database);
        db->begin();
        moves = plannedMoves(*db);
        if (moves.empty()) return;
        // A database from before the history gets it, so that the moves
        // are recorded.
        addedHistory = db->addHistory();
        for (const IdMove& each : moves) move(*db, each);
        nextId = db->nextId();
        if (!csv.empty()) {
            list.emplace(csv);
            writeCsv(moves, list->path());
        }
        db->commit();
    });
    if (moves.empty()) {
        out << "No gear has an ID above " << kHighestPickableId << "; nothing was renumbered.\n";
        return moves;
    }
    if (addedHistory)
        out << "Added the history of changes to " << database.string() << ": every change of a gear is recorded from "
            << "now on.\n";
    out << "Renumbered " << counted(static_cast<long long>(moves.size()), "gear", "gears") << " whose IDs were above "
        << kHighestPickableId << ", which the window cannot pick; relabel their shelves:\n";
    out << "Old ID  New ID\n";
    for (const IdMove& each : moves) {
        const std::string from = std::to_string(each.from), to = std::to_string(each.to);
        out << std::string(6 - std::min<std::size_t>(6, from.size()), ' ') << from << "  "
            << std::string(6 - std::min<std::size_t>(6, to.size()), ' ') << to << "\n";
    }
    out << "zanfiro-db history OLD-ID tells where a gear went. The next new gear gets ID " << nextId
        << (nextId > kHighestPickableId ? " (an ID is never given twice): run renumber again after adding gears.\n"
                                        : ".\n");
    if (list) {
        sayingState("The gears are renumbered as listed above, but the list was not written to " + csv.string() + ".",
                    [&] { list->takeFreeName(csv); });
        out << "Wrote the list of old and new IDs to " << csv.string() << ".\n";
    }
    return moves;
}

}  // namespace zanfiro::tools
