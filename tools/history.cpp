#include "history.h"

#include <algorithm>
#include <ctime>
#include <iomanip>
#include <sstream>

#include "base/failure.h"
#include "base/text.h"
#include "failed_write.h"
#include "sentence.h"
#include "store/engine.h"
#include "store/pg_session.h"
#include "text_table.h"

namespace zanfiro::tools {

namespace {

std::string beforeAndAfter(const store::Value& before, const store::Value& after) {
    return before == after ? store::readable(after) : store::readable(before) + " → " + store::readable(after);
}

std::string cell(const store::GearChange& change, const store::GearColumn& column) {
    const store::Value& before = change.before.*column.field;
    const store::Value& after = change.after.*column.field;
    switch (change.kind) {
    case store::ChangeKind::Insert: return store::readable(after);
    case store::ChangeKind::Delete: return store::readable(before);
    case store::ChangeKind::Update:
    case store::ChangeKind::Count:
    case store::ChangeKind::Levels:
    case store::ChangeKind::Renumber: break;
    }
    return beforeAndAfter(before, after);
}

// A change of levels shows both sides, "(none)" for no level; every other
// change leaves them empty.
std::string levelCell(const store::GearChange& change, store::Value store::RecordedLevels::*level) {
    if (change.kind != store::ChangeKind::Levels) return "";
    return beforeAndAfter(change.levelsBefore.*level, change.levelsAfter.*level);
}

std::string_view kindShown(store::ChangeKind kind) {
    switch (kind) {
    case store::ChangeKind::Insert: return "inserted";
    case store::ChangeKind::Update: return "changed";
    case store::ChangeKind::Delete: return "deleted";
    case store::ChangeKind::Count: return "counted";
    case store::ChangeKind::Levels: return "levels";
    case store::ChangeKind::Renumber: return "renumbered";
    }
    return {};
}

// A renumbered gear's old and new ID, "40001 → 150", under either.
std::string idShown(const store::GearChange& change) {
    if (change.kind != store::ChangeKind::Renumber) return std::to_string(change.id);
    return change.before.ID.textOrEmpty() + " → " + std::to_string(change.id);
}

bool parseMoment(std::string_view text, const char* format, std::tm& moment) {
    std::istringstream in{std::string(text)};
    in >> std::get_time(&moment, format);
    return in && in.peek() == std::char_traits<char>::eof();
}

}  // namespace

std::optional<std::string> sinceUtc(std::string_view localDate) {
    std::tm moment{};
    bool read = false;
    for (const char* format : {"%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d"}) {
        moment = {};
        if ((read = parseMoment(localDate, format, moment))) break;
    }
    if (!read) return std::nullopt;
    // get_time takes 2024-02-30 as it is; mktime would carry it over.
    const std::tm typed = moment;
    moment.tm_isdst = -1;
    const std::time_t time = std::mktime(&moment);
    if (time == -1 || moment.tm_mday != typed.tm_mday || moment.tm_mon != typed.tm_mon) return std::nullopt;
    std::tm utc{};
    gmtime_r(&time, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

std::string localTime(std::string_view utc) {
    std::tm moment{};
    if (!parseMoment(utc.substr(0, 19), "%Y-%m-%d %H:%M:%S", moment)) return std::string(utc);
    const std::time_t time = timegm(&moment);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void printHistory(const std::vector<store::GearChange>& changes, std::ostream& out) {
    std::vector<std::vector<std::string>> rows{{"When", "Change", "ID"}};
    for (const store::GearColumn* column : store::gearValueColumns()) rows.front().emplace_back(column->name);
    const bool levels = std::any_of(changes.begin(), changes.end(), [](const store::GearChange& change) {
        return change.kind == store::ChangeKind::Levels;
    });
    if (levels) rows.front().insert(rows.front().end(), {"Minimum", "Target"});
    rows.front().insert(rows.front().end(), {"Who", "Where"});
    const auto signature = [](const store::Value& value) {
        return value.isNull() ? std::string("(unknown)") : value.text();
    };
    for (const store::GearChange& change : changes) {
        std::vector<std::string> row{localTime(change.at), std::string(kindShown(change.kind)), idShown(change)};
        for (const store::GearColumn* column : store::gearValueColumns()) row.push_back(cell(change, *column));
        if (levels) {
            row.push_back(levelCell(change, &store::RecordedLevels::minimum));
            row.push_back(levelCell(change, &store::RecordedLevels::target));
        }
        row.push_back(signature(change.who));
        row.push_back(signature(change.workstation));
        rows.push_back(std::move(row));
    }
    printTable(rows, out);
}

void printDatabaseHistory(const std::filesystem::path& database, const store::ChangeFilter& filter, std::ostream& out) {
    auto session = store::openDatabase(database);
    if (!session->keepsHistory())
        throw Failure(failure::kNoSuchTable,
                      concat({"the database records no history of changes yet; `zanfiro-db upgrade` makes it record "
                              "them from now on: ",
                              database.string()}));
    const auto changes = store::gearChanges(*session, filter);
    if (changes.empty()) {
        out << "No changes recorded"
            << (filter.id ? " for the gear with ID " + std::to_string(*filter.id) : std::string())
            << (filter.who ? " made by " + *filter.who : std::string())
            << (filter.sinceUtc ? " since the given moment" : "") << ".\n";
        return;
    }
    printHistory(changes, out);
}

void upgrade(const std::filesystem::path& database, std::ostream& out) {
    const store::Upgrade added = sayingState(sentence("Nothing was changed: %1 is as it was.", {database.string()}),
                                             [&] { return store::upgradeDatabase(database); });
    if (added.history)
        out << "Added the history of changes to " << database.string()
            << ": every change of a gear is recorded from now on.\n";
    if (added.signatures)
        out << "Added who made each change and from where to the history of " << database.string()
            << ": changes are signed from now on, earlier ones show as unknown.\n";
    if (added.listIndexes)
        out << "Added the indexes by module and by teeth to " << database.string()
            << ": the lists are read in their order, not sorted.\n";
    if (added.levels)
        out << "Added the table of minimum and target levels to " << database.string()
            << ": zanfiro-db levels sets them, zanfiro-db reorder lists the gears to order.\n";
    if (added.levelChanges)
        out << "Added the changes of levels and the counts to the history of " << database.string()
            << ": a level set, changed or cleared and a correction by a count are recorded from now on.\n";
    if (added.operators)
        out << "Gave the group role " << store::kOperatorsRole
            << " the right to read and change the gears and read the history, and nothing else: "
               "zanfiro-db grant-operator LOGIN makes a login one of them.\n";
    if (!added.history && !added.signatures && !added.listIndexes && !added.levels && !added.levelChanges &&
        !added.operators)
        out << database.string() << " has all this version keeps already; nothing was changed.\n";
}

}  // namespace zanfiro::tools
