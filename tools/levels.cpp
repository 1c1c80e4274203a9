#include "levels.h"

#include <map>
#include <set>

#include "base/failure.h"
#include "base/text.h"
#include "csv_export.h"
#include "csv_read.h"
#include "sentence.h"
#include "store/engine.h"
#include "store/gear_levels.h"
#include "store/gear_table.h"
#include "text_table.h"

namespace zanfiro::tools {

namespace fs = std::filesystem;
using store::GearRecord;

std::variant<Levels, std::string> typedLevels(std::string_view minimum, std::string_view target) {
    const auto least = countIn(minimum);
    if (!least) return concat({"the minimum is a whole number of 0 or more, not \"", minimum, "\""});
    if (trimmed(target, " \t").empty()) return Levels{.minimum = *least};
    const auto most = countIn(target);
    if (!most) return concat({"the target is a whole number of 0 or more, not \"", target, "\""});
    if (*most < *least)
        return concat({"the target ", std::to_string(*most), " is below the minimum ", std::to_string(*least)});
    return Levels{.minimum = *least, .target = most};
}

StockLevels stockLevels(store::Session& session) {
    if (!store::keepsLevels(session)) return {};
    return StockLevels(store::allLevels(session));
}

void requireLevels(store::Session& session, const fs::path& database) {
    if (!store::keepsLevels(session))
        throw Failure(failure::kNoSuchTable,
                      concat({"the database keeps no minimum levels yet; `zanfiro-db upgrade` adds their table: ",
                              database.string()}));
}

namespace {

void removeLevel(store::Session& session, std::int64_t id) {
    const store::Value key(id);
    session.execute(concat({"DELETE FROM ", store::kLevelsTable, " WHERE ID = ?"}), {&key, 1});
}

// What setLevels did, to one gear or to `count` gears of `section`.
std::string levelsDone(const std::optional<Levels>& levels, std::optional<std::int64_t> id, std::size_t count,
                       const std::string& section) {
    const std::string minimum = levels ? std::to_string(levels->minimum) : "";
    const std::string target = levels && levels->target ? std::to_string(*levels->target) : "";
    const auto n = static_cast<long long>(count);
    if (id && !levels) return sentence("Removed the levels of the gear with ID %1.", {std::to_string(*id)});
    if (id && levels->target)
        return sentence("Set the minimum %1 and the target %2 for the gear with ID %3.",
                        {minimum, target, std::to_string(*id)});
    if (id)
        return sentence("Set the minimum %1 without a target for the gear with ID %2.", {minimum, std::to_string(*id)});
    if (!levels)
        return sentence(plural(n, "Removed the levels of 1 gear (%2).", "Removed the levels of %1 gears (%2)."),
                        {std::to_string(n), section});
    if (levels->target)
        return sentence(plural(n,
                               "Set the minimum %1 and the target %2 for 1 gear (%4).",
                               "Set the minimum %1 and the target %2 for %3 gears (%4)."),
                        {minimum, target, std::to_string(n), section});
    return sentence(plural(n,
                           "Set the minimum %1 without a target for 1 gear (%3).",
                           "Set the minimum %1 without a target for %2 gears (%3)."),
                    {minimum, std::to_string(n), section});
}

}  // namespace

void setLevels(const fs::path& database, const GearChoice& gears, const std::optional<Levels>& levels,
               std::ostream& out) {
    auto session = store::openDatabase(database);
    requireLevels(*session, database);
    session->begin();
    std::vector<std::int64_t> ids;
    if (gears.id) {
        const store::Value key(*gears.id);
        auto found = session->query(concat({"SELECT count(*) FROM ", store::kGearsTable, " WHERE ID = ?"}), {&key, 1});
        if (!found->next() || found->value(0).number() == 0)
            throw Failure(failure::kValidationRule,
                          "no gear has the ID " + std::to_string(*gears.id) + "; nothing was changed");
        ids.push_back(*gears.id);
    } else {
        for (const ReportSection& section : stockSections(store::allGears(*session), gears.section))
            for (const GearRecord& gear : section.gears) ids.push_back(gear.ID.number());
        if (ids.empty()) {
            out << sentence("No gear is of %1; nothing was changed.", {filterText(gears.section)}) << "\n";
            return;
        }
    }
    for (const std::int64_t id : ids) {
        if (levels)
            store::setLevel(*session, {.id = id, .minimum = levels->minimum, .target = levels->target});
        else
            removeLevel(*session, id);
    }
    session->commit();
    out << levelsDone(levels, gears.id, ids.size(), filterText(gears.section)) << "\n";
}

void importLevels(const fs::path& database, const fs::path& file, std::ostream& out) {
    const CsvFile csv = readCsv(file);
    const std::size_t idColumn = requiredColumn(csv, "ID"), minimumColumn = requiredColumn(csv, "Minimum");
    const auto targetColumn = csv.column("Target");

    auto session = store::openDatabase(database);
    requireLevels(*session, database);
    session->begin();
    std::set<std::int64_t> gears;
    for (const GearRecord& gear : store::allGears(*session))
        if (gear.ID.isNumber()) gears.insert(gear.ID.number());
    std::map<std::int64_t, store::GearLevel> before;
    for (const store::GearLevel& level : store::allLevels(*session)) before.emplace(level.id, level);

    GearLines lines(std::move(gears));
    std::vector<std::pair<std::int64_t, std::optional<Levels>>> changes;
    std::size_t unchanged = 0;
    for (const CsvLine& line : csv.lines) {
        const auto id = lines.gearOf(line, idColumn);
        if (!id) continue;
        const std::string_view minimum = line.at(minimumColumn), target = line.at(targetColumn);
        std::optional<Levels> levels;
        if (!trimmed(minimum, " \t").empty() || !trimmed(target, " \t").empty()) {
            const auto typed = typedLevels(minimum, target);
            if (const auto* why = std::get_if<std::string>(&typed)) {
                lines.wrong(line, *why);
                continue;
            }
            levels = std::get<Levels>(typed);
        }
        const auto had = before.find(*id);
        const bool same = levels ? had != before.end() && had->second.minimum == levels->minimum &&
                                       had->second.target == levels->target
                                 : had == before.end();
        if (same)
            ++unchanged;
        else
            changes.emplace_back(*id, levels);
    }
    lines.refuseAnyWrong(file);
    std::size_t set = 0, removed = 0;
    for (const auto& [id, levels] : changes) {
        if (levels) {
            store::setLevel(*session, {.id = id, .minimum = levels->minimum, .target = levels->target});
            ++set;
        } else {
            removeLevel(*session, id);
            ++removed;
        }
    }
    session->commit();
    const auto said = [&out](std::size_t n, std::string_view one, std::string_view many, std::string more = "") {
        out << sentence(plural(static_cast<long long>(n), one, many), {std::to_string(n), std::move(more)}) << "\n";
    };
    said(csv.lines.size(), "Read 1 line from %2.", "Read %1 lines from %2.", file.string());
    if (set) said(set, "Set the levels of 1 gear.", "Set the levels of %1 gears.");
    if (removed) said(removed, "Removed the levels of 1 gear.", "Removed the levels of %1 gears.");
    if (unchanged)
        said(unchanged, "Left the levels of 1 gear as they were.", "Left the levels of %1 gears as they were.");
}

void printLevels(const fs::path& database, bool csv, std::ostream& out) {
    auto session = store::openDatabase(database);
    requireLevels(*session, database);
    const StockLevels levels(store::allLevels(*session));
    const auto sections = stockSections(store::allGears(*session), {});
    if (csv) {
        out << "ID,D,M,T,QTY,Minimum,Target\r\n";
        for (const ReportSection& section : sections)
            for (const GearRecord& gear : section.gears) {
                const store::GearLevel* level = levels.of(gear);
                std::string line;
                for (const store::GearColumn& column : store::kGearColumns) line += csvField(gear.*column.field) + ",";
                line += level ? std::to_string(level->minimum) : "";
                line += ",";
                line += level && level->target ? std::to_string(*level->target) : "";
                out << line << "\r\n";
            }
        return;
    }
    std::vector<std::vector<std::string>> rows{{"ID", "D", "M", "T", "QTY", "Minimum", "Target", "To order"}};
    for (const ReportSection& section : sections)
        for (const GearRecord& gear : section.gears) {
            const store::GearLevel* level = levels.of(gear);
            if (!level) continue;
            const auto order = levels.toOrder(gear);
            rows.push_back({gear.ID.textOrEmpty(),
                            gear.D.textOrEmpty(),
                            gear.M.textOrEmpty(),
                            gear.T.textOrEmpty(),
                            gear.QTY.textOrEmpty(),
                            std::to_string(level->minimum),
                            level->target ? std::to_string(*level->target) : "",
                            order ? std::to_string(*order) : ""});
        }
    if (rows.size() == 1) {
        out << "No gear has levels yet: zanfiro-db levels set ID MIN [TARGET] gives a gear its levels.\n";
        return;
    }
    printTable(rows, out);
}

}  // namespace zanfiro::tools
