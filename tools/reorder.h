#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "report.h"
#include "stock_levels.h"

namespace zanfiro::tools {

// The reorder sheet: every gear below its minimum, by type and module as the
// stock sheet orders them, with the quantity on hand, the levels and how
// many to order.

// The sections of the gears below their minimum that the filter chooses
// (its `outOfStockOnly` is not read).
std::vector<ReportSection> reorderSections(std::vector<store::GearRecord> gears, const StockLevels& levels,
                                           ReportFilter filter);

// The sheet of those sections; `levels` is read while it is drawn.
GearSheet reorderSheet(std::vector<ReportSection> sections, const StockLevels& levels, const ReportFilter& filter,
                       std::string date);

// The same gears as CSV for a supplier's order form: the header
// ID,D,M,T,QTY,Minimum,Target,Order, then a line per gear in the sheet's
// order, lines ended by CR LF. Returns the pieces to order.
std::int64_t writeReorderCsv(const std::vector<ReportSection>& sections, const StockLevels& levels, std::ostream& out);

}  // namespace zanfiro::tools
