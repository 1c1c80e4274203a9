#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "report.h"

namespace zanfiro::tools {

// Stocktaking: a sheet of the gears to count, with the quantity each had
// when it was printed and an empty box for the count; then the counts
// brought back as CSV and applied, all or nothing.
//
// What tells a gear changed since printing is the quantity printed beside
// it, which the CSV template carries too: a count is taken against that
// quantity, and when the database holds another one now (a SAVE, a
// withdrawal between printing and applying), nobody can tell whether the
// shelf was counted before or after it.

// The sheet: ID, teeth and QTY as printed, and the box "Contati".
GearSheet countSheet(std::vector<ReportSection> sections, std::string title, std::string date);

// The same gears as a CSV template to type the counts into: the header
// ID,D,M,T,QTY,Counted with QTY as printed and Counted empty, lines ended
// by CR LF.
void writeCountCsv(const std::vector<ReportSection>& sections, std::ostream& out);

struct CountOptions {
    bool force = false;  // apply the counts of gears changed since printing too
    // Asked once the differences are shown: whether to apply them.
    std::function<bool(std::size_t corrections)> confirm;
};

// Reads the counts (the columns ID and Counted, and QTY, the quantity as
// printed, where the file has it; a line with an empty count was not
// counted), shows every difference from the stock and, apart, the gears
// changed since printing, then applies the differences in one transaction
// once `confirm` agrees, each recorded in the history as a count. A file with wrong lines changes nothing and the
// failure names each of them; a gear changed while the differences were
// shown stops it all, changing nothing.
void applyCounts(const std::filesystem::path& database, const std::filesystem::path& csv, const CountOptions& options,
                 std::ostream& out);

}  // namespace zanfiro::tools
