#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stock_levels.h"
#include "store/gear.h"

namespace zanfiro::tools {

// The printed stock sheet, worked out without drawing anything: which
// gears go into which section in which order, the totals, and the lines of
// each page. tools/report_pdf draws it.

// The types and modules the window offers, in the order of its drop-downs,
// with the plural its lists use in their titles ("Lista Corone Modulo 0.4").
struct ReportType {
    std::string_view code;
    std::string_view plural;
};
inline constexpr ReportType kReportTypes[] = {{"C", "Corone"}, {"P", "Pignioni"}};
inline constexpr std::string_view kReportModules[] = {"0.4", "0.6", "48", "64"};

// The heading of the last section: gears whose type or module is none of
// the offered ones, so that nothing on the shelves is missing from paper.
inline constexpr std::string_view kOtherGearsHeading = "Altri ingranaggi (tipo o modulo fuori elenco)";

struct ReportFilter {
    std::optional<std::string> type;    // a code of kReportTypes
    std::optional<std::string> module;  // one of kReportModules
    bool outOfStockOnly = false;
};

struct ReportSection {
    std::string heading;  // "Corone Modulo 0.4", "Pignioni Modulo 48", or kOtherGearsHeading
    bool others = false;  // the last section, which also shows module and type
    std::vector<store::GearRecord> gears;
    std::int64_t pieces = 0;    // the quantities that are whole numbers, added up
    std::size_t uncounted = 0;  // quantities that are no number (missing, a text)
};

// A gear of which none is left: a quantity of 0.
bool isOutOfStock(const store::GearRecord& gear);

// The sections that hold gears, in the window's order: every module of the
// crown gears, then every module of the pinions, then the other gears
// (left out when the filter names a type or a module). Types and modules
// are matched as the window's FIND matches them, character for character.
// Within a section gears go by teeth as numbers, teeth that are no number
// after them, then by ID; the other gears first by type and module.
std::vector<ReportSection> stockSections(std::vector<store::GearRecord> gears, const ReportFilter& filter);

// What the filter chose, for the title: "Magazzino ingranaggi", then for
// example " - Corone, Modulo 48, solo esauriti".
std::string reportTitle(const ReportFilter& filter);

// What the filter chose, as the title names it ("Corone, Modulo 48"), or
// nothing when it chooses every gear.
std::string filterText(const ReportFilter& filter);

// "Totale pezzi: 125", and how many quantities were no number.
std::string totalText(const ReportSection& section);

enum class LineKind { Gap, Heading, ColumnHeads, Gear, Total, NoGears };

struct ReportLine {
    LineKind kind;
    const ReportSection* section = nullptr;
    const store::GearRecord* gear = nullptr;
    bool continued = false;  // a heading repeated on the next page
};

using ReportPage = std::vector<ReportLine>;

// The lines of each page, at most `linesPerPage` (5 or more) a page. A
// section starts with its heading and the column heads and never with
// fewer than one gear left at the foot of a page; one that goes on over a
// page repeats them there, its heading marked "(segue)"; its total stays
// with its last gear. An empty sheet is one page that says so.
std::vector<ReportPage> paginate(const std::vector<ReportSection>& sections, std::size_t linesPerPage);

// The text of a heading line, "(segue)" added where it goes on.
std::string headingText(const ReportLine& line);

// What a section holds, for the summary page that opens the stock sheet.
struct SectionSummary {
    std::string heading;
    std::size_t gears = 0;
    std::int64_t pieces = 0;
    std::size_t belowMinimum = 0, outOfStock = 0;
};

// One per section, in their order.
std::vector<SectionSummary> summarize(const std::vector<ReportSection>& sections, const StockLevels& levels);

// A column that a sheet of gears prints after the ID and the teeth (and, in
// the section of the other gears, their module and type): its heading and a
// gear's text in it, or an empty box to write in where it has no text.
struct SheetColumn {
    std::string heading;
    std::function<std::string(const store::GearRecord&)> text = {};
};

// A sheet of gears by section, as tools/report_pdf draws it.
struct GearSheet {
    std::string title;
    std::string date;  // when it was printed, as the header shows it
    std::vector<ReportSection> sections;
    std::vector<SheetColumn> columns;
    // How a gear's line is marked, when the sheet marks any.
    std::function<GearMark(const store::GearRecord&)> mark = {};
    // The line that ends a section.
    std::function<std::string(const ReportSection&)> total = totalText;
    // A summary page that opens the sheet, when not empty.
    std::vector<SectionSummary> summary = {};
    double lineHeight = 14;  // points
};

// The stock sheet: the quantity of each gear, gears with none left or below
// their minimum marked, a summary page first.
GearSheet stockSheet(std::vector<ReportSection> sections, const StockLevels& levels, std::string title,
                     std::string date);

}  // namespace zanfiro::tools
