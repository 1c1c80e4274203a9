#include "reorder.h"

#include "csv_export.h"

namespace zanfiro::tools {

using store::GearRecord;

namespace {

std::string number(std::optional<std::int64_t> value) { return value ? std::to_string(*value) : std::string(); }

std::int64_t toOrderIn(const ReportSection& section, const StockLevels& levels) {
    std::int64_t pieces = 0;
    for (const GearRecord& gear : section.gears) pieces += levels.toOrder(gear).value_or(0);
    return pieces;
}

}  // namespace

std::vector<ReportSection> reorderSections(std::vector<GearRecord> gears, const StockLevels& levels,
                                           ReportFilter filter) {
    std::erase_if(gears, [&](const GearRecord& gear) { return !levels.toOrder(gear); });
    filter.outOfStockOnly = false;
    return stockSections(std::move(gears), filter);
}

GearSheet reorderSheet(std::vector<ReportSection> sections, const StockLevels& levels, const ReportFilter& filter,
                       std::string date) {
    const std::string chosen = filterText(filter);
    const auto level = [&levels](const GearRecord& gear) { return levels.of(gear); };
    return {
        .title = chosen.empty() ? "Riordino ingranaggi" : "Riordino ingranaggi - " + chosen,
        .date = std::move(date),
        .sections = std::move(sections),
        .columns = {{.heading = "QTY", .text = [](const GearRecord& gear) { return gear.QTY.textOrEmpty(); }},
                    {.heading = "Minimo",
                     .text = [level](const GearRecord& gear) { return std::to_string(level(gear)->minimum); }},
                    {.heading = "Obiettivo",
                     .text = [level](const GearRecord& gear) { return number(level(gear)->target); }},
                    {.heading = "Da ordinare",
                     .text = [&levels](const GearRecord& gear) { return number(levels.toOrder(gear)); }}},
        .total =
            [&levels](const ReportSection& section) {
                const std::int64_t pieces = toOrderIn(section, levels);
                return pieces == 1 ? std::string("Totale da ordinare: 1 pezzo")
                                   : "Totale da ordinare: " + std::to_string(pieces) + " pezzi";
            },
    };
}

std::int64_t writeReorderCsv(const std::vector<ReportSection>& sections, const StockLevels& levels, std::ostream& out) {
    out << "ID,D,M,T,QTY,Minimum,Target,Order\r\n";
    std::int64_t pieces = 0;
    for (const ReportSection& section : sections) {
        for (const GearRecord& gear : section.gears) {
            const store::GearLevel& level = *levels.of(gear);
            const std::int64_t order = *levels.toOrder(gear);
            std::string line;
            for (const store::GearColumn& column : store::kGearColumns) line += csvField(gear.*column.field) + ",";
            out << line << level.minimum << "," << number(level.target) << "," << order << "\r\n";
        }
        pieces += toOrderIn(section, levels);
    }
    return pieces;
}

}  // namespace zanfiro::tools
