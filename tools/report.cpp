#include "report.h"

#include <algorithm>
#include <tuple>

#include "base/text.h"

namespace zanfiro::tools {

namespace {

using store::GearRecord;
using store::Value;

bool isText(const Value& value, std::string_view text) { return !value.isNull() && value.text() == text; }

bool isOfferedType(const Value& type) {
    return std::ranges::any_of(kReportTypes, [&](const ReportType& t) { return isText(type, t.code); });
}

bool isOfferedModule(const Value& module) {
    return std::ranges::any_of(kReportModules, [&](std::string_view m) { return isText(module, m); });
}

// Numbers first by value, then texts by text, then missing values.
auto orderKey(const Value& value) {
    const int rank = value.isNumber() ? 0 : value.isNull() ? 2 : 1;
    return std::make_tuple(rank, value.isNumber() ? value.number() : 0, value.isNull() ? std::string() : value.text());
}

bool byTeeth(const GearRecord& a, const GearRecord& b) {
    return std::tuple(orderKey(a.D), orderKey(a.ID)) < std::tuple(orderKey(b.D), orderKey(b.ID));
}

bool byTypeModuleTeeth(const GearRecord& a, const GearRecord& b) {
    const auto key = [](const GearRecord& g) {
        return std::tuple(orderKey(g.T), orderKey(g.M), orderKey(g.D), orderKey(g.ID));
    };
    return key(a) < key(b);
}

ReportSection section(std::string heading, bool others, std::vector<GearRecord> gears) {
    ReportSection s{.heading = std::move(heading), .others = others, .gears = std::move(gears)};
    std::ranges::sort(s.gears, others ? byTypeModuleTeeth : byTeeth);
    for (const GearRecord& gear : s.gears) {
        if (gear.QTY.isNumber())
            s.pieces += gear.QTY.number();
        else
            ++s.uncounted;
    }
    return s;
}

}  // namespace

bool isOutOfStock(const GearRecord& gear) { return gear.QTY.isNumber() && gear.QTY.number() == 0; }

std::vector<ReportSection> stockSections(std::vector<GearRecord> gears, const ReportFilter& filter) {
    if (filter.outOfStockOnly) std::erase_if(gears, [](const GearRecord& gear) { return !isOutOfStock(gear); });
    std::vector<ReportSection> sections;
    for (const ReportType& type : kReportTypes) {
        if (filter.type && *filter.type != type.code) continue;
        for (const std::string_view module : kReportModules) {
            if (filter.module && *filter.module != module) continue;
            std::vector<GearRecord> chosen;
            for (const GearRecord& gear : gears)
                if (isText(gear.T, type.code) && isText(gear.M, module)) chosen.push_back(gear);
            if (!chosen.empty()) sections.push_back(section(concat({type.plural, " Modulo ", module}), false, chosen));
        }
    }
    if (filter.type || filter.module) return sections;
    std::vector<GearRecord> others;
    for (const GearRecord& gear : gears)
        if (!isOfferedType(gear.T) || !isOfferedModule(gear.M)) others.push_back(gear);
    if (!others.empty()) sections.push_back(section(std::string(kOtherGearsHeading), true, std::move(others)));
    return sections;
}

std::string reportTitle(const ReportFilter& filter) {
    const std::string chosen = filterText(filter);
    return chosen.empty() ? "Magazzino ingranaggi" : "Magazzino ingranaggi - " + chosen;
}

std::string filterText(const ReportFilter& filter) {
    std::string chosen;
    const auto add = [&chosen](std::string_view what) { chosen += concat({chosen.empty() ? "" : ", ", what}); };
    for (const ReportType& type : kReportTypes)
        if (filter.type == type.code) add(type.plural);
    if (filter.module) add("Modulo " + *filter.module);
    if (filter.outOfStockOnly) add("solo esauriti");
    return chosen;
}

std::string totalText(const ReportSection& section) {
    std::string text = "Totale pezzi: " + std::to_string(section.pieces);
    if (section.uncounted == 1) text += " (1 quantità non numerica esclusa)";
    if (section.uncounted > 1) text += " (" + std::to_string(section.uncounted) + " quantità non numeriche escluse)";
    return text;
}

std::vector<ReportPage> paginate(const std::vector<ReportSection>& sections, std::size_t linesPerPage) {
    std::vector<ReportPage> pages(1);
    const auto room = [&] { return linesPerPage - std::min(linesPerPage, pages.back().size()); };
    const auto head = [&](const ReportSection& section, bool continued) {
        pages.back().push_back({.kind = LineKind::Heading, .section = &section, .continued = continued});
        pages.back().push_back({.kind = LineKind::ColumnHeads, .section = &section});
    };
    for (const ReportSection& section : sections) {
        const std::size_t gap = pages.back().empty() ? 0 : 1;
        const std::size_t first = section.gears.size() == 1 ? 2 : 1;  // the only gear brings its total
        if (room() < gap + 2 + first) pages.emplace_back();
        if (!pages.back().empty()) pages.back().push_back({.kind = LineKind::Gap});
        head(section, false);
        for (std::size_t i = 0; i < section.gears.size(); ++i) {
            const bool last = i + 1 == section.gears.size();
            if (room() < (last ? 2u : 1u)) {
                pages.emplace_back();
                head(section, true);
            }
            pages.back().push_back({.kind = LineKind::Gear, .section = &section, .gear = &section.gears[i]});
        }
        pages.back().push_back({.kind = LineKind::Total, .section = &section});
    }
    if (sections.empty()) pages.back().push_back({.kind = LineKind::NoGears});
    return pages;
}

std::string headingText(const ReportLine& line) {
    return line.continued ? line.section->heading + " (segue)" : line.section->heading;
}

std::vector<SectionSummary> summarize(const std::vector<ReportSection>& sections, const StockLevels& levels) {
    std::vector<SectionSummary> summary;
    for (const ReportSection& section : sections) {
        SectionSummary& s = summary.emplace_back(
            SectionSummary{.heading = section.heading, .gears = section.gears.size(), .pieces = section.pieces});
        for (const GearRecord& gear : section.gears) {
            const GearMark mark = levels.mark(gear);
            s.belowMinimum += mark == GearMark::BelowMinimum;
            s.outOfStock += mark == GearMark::OutOfStock;
        }
    }
    return summary;
}

GearSheet stockSheet(std::vector<ReportSection> sections, const StockLevels& levels, std::string title,
                     std::string date) {
    std::vector<SectionSummary> summary = summarize(sections, levels);
    return {.title = std::move(title),
            .date = std::move(date),
            .sections = std::move(sections),
            .columns = {{.heading = "QTY", .text = [](const GearRecord& gear) { return gear.QTY.textOrEmpty(); }}},
            .mark = [&levels](const GearRecord& gear) { return levels.mark(gear); },
            .summary = std::move(summary)};
}

}  // namespace zanfiro::tools
