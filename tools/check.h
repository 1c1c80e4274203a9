#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zanfiro::tools {

// How one side of the stock stands: nothing to do, worth doing something
// about soon, or needing attention now.
enum class Verdict { Ok, Warning, Problem };

struct Finding {
    std::string check;  // "integrity", "history", "ids" ...
    Verdict verdict = Verdict::Ok;
    std::string says = {};                                         // one line for the operator
    std::vector<std::pair<std::string, std::int64_t>> facts = {};  // figures for scripts
};

struct StockCheck {
    std::filesystem::path database;
    std::string kind = {};  // "file", "server", "none" or "access"
    std::string what = {};  // what the place holds, for the first line
    std::vector<Finding> findings = {};
    Verdict verdict() const;
};

// How the stock at `database` stands: a file's integrity, or a server's
// table, columns, identity, answer and the login's rights; the history
// against the gears; the headroom of IDs below the window's ceiling; values
// the window cannot pick; a file's newest backup and the daily timer. Each
// check that cannot run is a problem saying why; the others still run.
StockCheck checkStock(const std::filesystem::path& database);

// One line per check, then the verdict.
void printStockCheck(const StockCheck& check, std::ostream& out);

// The same as one JSON object, for scripts.
void printStockCheckJson(const StockCheck& check, std::ostream& out);

// 0 when sound, 3 when there are warnings only, 1 when a problem needs
// attention.
int exitStatus(Verdict verdict);

}  // namespace zanfiro::tools
