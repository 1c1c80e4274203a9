#include "counting.h"

#include <map>
#include <set>

#include "base/failure.h"
#include "base/text.h"
#include "csv_export.h"
#include "csv_read.h"
#include "sentence.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "text_table.h"

namespace zanfiro::tools {

namespace fs = std::filesystem;
using store::GearRecord;
using store::Value;

GearSheet countSheet(std::vector<ReportSection> sections, std::string title, std::string date) {
    return {.title = std::move(title),
            .date = std::move(date),
            .sections = std::move(sections),
            .columns = {{.heading = "QTY", .text = [](const GearRecord& gear) { return gear.QTY.textOrEmpty(); }},
                        {.heading = "Contati"}},
            .lineHeight = 20};
}

void writeCountCsv(const std::vector<ReportSection>& sections, std::ostream& out) {
    out << "ID,D,M,T,QTY,Counted\r\n";
    for (const ReportSection& section : sections)
        for (const GearRecord& gear : section.gears) {
            std::string line;
            for (const store::GearColumn& column : store::kGearColumns) line += csvField(gear.*column.field) + ",";
            out << line << "\r\n";
        }
}

namespace {

// A count as the file gives it, and the gear as the database holds it.
struct Count {
    std::int64_t counted;
    std::optional<std::string> printed;  // the quantity the sheet showed, where the file tells it
    GearRecord gear;
};

bool changedSincePrinting(const Count& count) {
    return count.printed && *count.printed != count.gear.QTY.textOrEmpty();
}

std::string difference(const Count& count) {
    if (!count.gear.QTY.isNumber()) return "";
    const std::int64_t by = count.counted - count.gear.QTY.number();
    return by > 0 ? "+" + std::to_string(by) : std::to_string(by);
}

std::vector<std::string> gearCells(const GearRecord& gear) {
    return {gear.ID.textOrEmpty(), gear.D.textOrEmpty(), gear.M.textOrEmpty(), gear.T.textOrEmpty()};
}

std::vector<Count> readCounts(const fs::path& file, store::Session& session) {
    const CsvFile csv = readCsv(file);
    const std::size_t idColumn = requiredColumn(csv, "ID"), countedColumn = requiredColumn(csv, "Counted");
    const auto printedColumn = csv.column("QTY");
    std::map<std::int64_t, GearRecord> gears;
    std::set<std::int64_t> ids;
    for (GearRecord& gear : store::allGears(session))
        if (gear.ID.isNumber()) ids.insert(gear.ID.number()), gears.emplace(gear.ID.number(), std::move(gear));

    GearLines lines(std::move(ids));
    std::vector<Count> counts;
    for (const CsvLine& line : csv.lines) {
        if (trimmed(line.at(countedColumn), " \t").empty()) continue;  // not counted
        const auto id = lines.gearOf(line, idColumn);
        if (!id) continue;
        const auto counted = countIn(line.at(countedColumn));
        if (!counted) {
            lines.wrong(line,
                        concat({"the count is a whole number of 0 or more, not \"", line.at(countedColumn), "\""}));
            continue;
        }
        counts.push_back({.counted = *counted,
                          .printed = printedColumn ? std::optional(std::string(trimmed(line.at(printedColumn), " \t")))
                                                   : std::nullopt,
                          .gear = gears.at(*id)});
    }
    lines.refuseAnyWrong(file);
    return counts;
}

}  // namespace

void applyCounts(const fs::path& database, const fs::path& file, const CountOptions& options, std::ostream& out) {
    std::vector<Count> counts = readCounts(file, *store::openDatabase(database));
    std::vector<const Count*> corrections, heldBack;
    std::size_t agreeing = 0;
    for (const Count& count : counts) {
        if (Value(count.counted) == count.gear.QTY) {
            ++agreeing;
        } else if (changedSincePrinting(count)) {
            heldBack.push_back(&count);
        } else {
            corrections.push_back(&count);
        }
    }

    const auto n = [](std::size_t count) { return static_cast<long long>(count); };
    out << sentence(plural(n(counts.size()), "Read 1 count from %2.", "Read %1 counts from %2."),
                    {std::to_string(counts.size()), file.string()})
        << "\n";
    if (agreeing)
        out << sentence(
                   plural(
                       n(agreeing), "Counted as the stock has it: 1 gear.", "Counted as the stock has them: %1 gears."),
                   {std::to_string(agreeing)})
            << "\n";
    if (!corrections.empty()) {
        std::vector<std::vector<std::string>> rows{{"ID", "D", "M", "T", "QTY", "Counted", "Difference"}};
        for (const Count* count : corrections) {
            auto row = gearCells(count->gear);
            row.insert(row.end(), {count->gear.QTY.textOrEmpty(), std::to_string(count->counted), difference(*count)});
            rows.push_back(std::move(row));
        }
        out << "\nDifferences from the stock:\n";
        printTable(rows, out);
    }
    if (!heldBack.empty()) {
        std::vector<std::vector<std::string>> rows{{"ID", "D", "M", "T", "Printed", "QTY now", "Counted"}};
        for (const Count* count : heldBack) {
            auto row = gearCells(count->gear);
            row.insert(row.end(), {*count->printed, count->gear.QTY.textOrEmpty(), std::to_string(count->counted)});
            rows.push_back(std::move(row));
        }
        out << (options.force ? "\nChanged since the sheet was printed, applied all the same (--force):\n"
                              : "\nChanged since the sheet was printed, left as they are (--force applies them):\n");
        printTable(rows, out);
    }
    std::vector<const Count*> applied = corrections;
    if (options.force) applied.insert(applied.end(), heldBack.begin(), heldBack.end());
    if (applied.empty()) {
        out << "\nNothing to change.\n";
        return;
    }
    out.flush();
    if (!options.confirm(applied.size())) {
        out << sentence(plural(n(applied.size()),
                               "Nothing was changed. Run the command again with --yes to apply 1 correction.",
                               "Nothing was changed. Run the command again with --yes to apply %1 corrections."),
                        {std::to_string(applied.size())})
            << "\n";
        return;
    }

    auto session = store::openDatabase(database);
    session->begin();
    session->recordUpdatesAsCounts();
    for (const Count* count : applied) {
        const Value id = count->gear.ID;
        auto now = session->query(concat({"SELECT QTY FROM ", store::kGearsTable, " WHERE ID = ?"}), {&id, 1});
        if (!now->next() || now->value(0) != count->gear.QTY)
            throw Failure(failure::kValidationRule,
                          concat({"the gear with ID ",
                                  id.text(),
                                  " changed while the differences were shown; nothing was changed: run the command "
                                  "again"}));
        const Value values[] = {Value(count->counted), id};
        session->execute(concat({"UPDATE ", store::kGearsTable, " SET QTY = ? WHERE ID = ?"}), values);
    }
    session->commit();
    out << sentence(
               plural(n(applied.size()), "Applied 1 correction to the stock.", "Applied %1 corrections to the stock."),
               {std::to_string(applied.size())})
        << "\n";
}

}  // namespace zanfiro::tools
