#include "renumber.h"

#include <set>
#include <string>

#include "base/failure.h"
#include "base/text.h"
#include "failed_write.h"
#include "progress.h"
#include "sentence.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear_history.h"
#include "store/gear_ids.h"
#include "store/gear_levels.h"
#include "store/gear_table.h"
#include "store/pg_session.h"
#include "store/server_link.h"
#include "text_table.h"

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
        throw Failure(
            failure::kOverflow,
            sentence("%1 above %2, but only %3: they do not fit",
                     {counted(static_cast<long long>(above.size()), "gear has an ID", "gears have IDs"),
                      std::to_string(kHighestPickableId),
                      counted(static_cast<long long>(moves.size()), "ID below is free", "IDs below are free")}));
    return moves;
}

// On a server the history is the administrator's: operators may read it,
// never change it, and renumber relabels it. Refused before anything is
// written, rather than halfway by the server.
void requireAdministrator(store::Session& db) {
    const store::ServerLogin login = store::serverLogin(db);
    if (!login.administrator)
        throw Failure(failure::kServerCallFailed,
                      sentence("renumber relabels the history, which only the administrator who owns the stock's "
                               "tables may change, and the login %1 does not own them: run it with the "
                               "administrator's login",
                               {login.name}));
}

// The update trigger records the move as a change of nothing under the new
// ID, signed as every change is; that row becomes the record of the move,
// which `zanfiro-db history` then finds under either ID. The gear's levels
// go first, while no gear has the new ID, so that, as when they go with a
// deleted gear, the gear's row alone tells of them.
void move(store::Session& db, const IdMove& move, bool levels) {
    const store::Value to(move.to), from(move.from);
    const store::Value ids[] = {to, from};
    if (levels) db.execute(concat({"UPDATE ", store::kLevelsTable, " SET ID = ? WHERE ID = ?"}), ids);
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
                      sentence("the history did not record the move of the gear %1 (its update trigger is off): "
                               "nothing was renumbered",
                               {std::to_string(move.from)}));
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

std::string csvOf(const std::vector<IdMove>& moves) {
    std::string text = "OldID,NewID\r\n";
    for (const IdMove& move : moves) text += concat({std::to_string(move.from), ",", std::to_string(move.to), "\r\n"});
    return text;
}

}  // namespace

std::vector<IdMove> renumberGears(const fs::path& database, const fs::path& csv, std::ostream& out) {
    if (!csv.empty() && store::nameTaken(csv))
        throw Failure(failure::kTargetNotEmpty, "the file already exists and was left untouched: " + csv.string());
    std::vector<IdMove> moves;
    std::int64_t nextId = 0;
    bool addedHistory = false;
    std::optional<store::BesideFile> list;
    sayingState(sentence("Nothing was renumbered: %1 is as it was.", {database.string()}), [&] {
        auto db = store::openDatabase(database);
        db->begin();
        if (store::isServerLink(database)) requireAdministrator(*db);
        moves = plannedMoves(*db);
        if (moves.empty()) return;
        // A database from before the history gets it, so that the moves
        // are recorded.
        addedHistory = db->addHistory();
        const bool levels = store::keepsLevels(*db);
        Progress progress("Renumbering gear %1 of %2", moves.size());
        for (std::size_t i = 0; i < moves.size(); ++i) {
            progress.show(i + 1);
            move(*db, moves[i], levels);
        }
        nextId = db->nextId();
        if (!csv.empty()) {
            list.emplace(csv);
            store::writeNewFile(list->path(), csvOf(moves));
        }
        db->commit();
    });
    if (moves.empty()) {
        out << sentence("No gear has an ID above %1; nothing was renumbered.", {std::to_string(kHighestPickableId)})
            << "\n";
        return moves;
    }
    if (addedHistory)
        out << sentence("Added the history of changes to %1: every change of a gear is recorded from now on.",
                        {database.string()})
            << "\n";
    out << sentence(plural(static_cast<long long>(moves.size()),
                           "Renumbered 1 gear whose ID was above %2, which the window cannot pick; relabel its shelf:",
                           "Renumbered %1 gears whose IDs were above %2, which the window cannot pick; relabel their "
                           "shelves:"),
                    {std::to_string(moves.size()), std::to_string(kHighestPickableId)})
        << "\n";
    std::vector<std::vector<std::string>> rows{{"Old ID", "New ID"}};
    for (const IdMove& each : moves) rows.push_back({std::to_string(each.from), std::to_string(each.to)});
    printTable(rows, out);
    out << sentence(nextId > kHighestPickableId
                        ? "zanfiro-db history OLD-ID tells where a gear went. The next new gear gets ID %1 (an ID is "
                          "never given twice): run renumber again after adding gears."
                        : "zanfiro-db history OLD-ID tells where a gear went. The next new gear gets ID %1.",
                    {std::to_string(nextId)})
        << "\n";
    if (list) {
        sayingState(
            sentence("The gears are renumbered as listed above, but the list was not written to %1.", {csv.string()}),
            [&] { list->takeFreeName(csv); });
        out << sentence("Wrote the list of old and new IDs to %1.", {csv.string()}) << "\n";
    }
    return moves;
}

}  // namespace zanfiro::tools
