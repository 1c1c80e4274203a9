#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace zanfiro::tools {

// Failure numbers of the import, as operators of the old Access program
// know them from Jet's own messages. A missing column, a type mismatch and
// an overflow use the numbers the window program gives them.
namespace import_failure {
inline constexpr int kUnrecognizedFormat = 3343;
inline constexpr int kNoSuchTable = 3078;
inline constexpr int kDuplicateKey = 3022;
inline constexpr int kTargetNotEmpty = 3012;
}  // namespace import_failure

// How a column of the old table keeps its values, as far as the import
// cares: whole numbers, other numbers, texts, or something no gear holds.
enum class ColumnKind { WholeNumber, Decimal, Text, Other };

struct AccessColumn {
    std::string name;      // as the old file spells it
    std::string typeName;  // Access's name for the column type, for messages
    ColumnKind kind = ColumnKind::Other;
};

// The five columns a gear needs, in this order.
inline constexpr std::array<const char*, 5> kGearColumns{"ID", "D", "M", "T", "QTY"};

// One row of the old table: each value in mdbtools' text form (UTF-8), or
// nothing when the row marks it missing. An empty text is an empty string,
// not nothing: the row's null mask tells the two apart.
using AccessRecord = std::array<std::optional<std::string>, kGearColumns.size()>;

// The table Gears of an Access (Jet) database file, read row by row with
// mdbtools. Opening checks that the file is an Access database, that it
// has the table, and that the table has the five gear columns (names
// matched without regard to case); each failure says which.
class AccessGearsTable {
public:
    explicit AccessGearsTable(const std::filesystem::path& file);
    ~AccessGearsTable();
    AccessGearsTable(const AccessGearsTable&) = delete;
    AccessGearsTable& operator=(const AccessGearsTable&) = delete;

    const std::array<AccessColumn, kGearColumns.size()>& columns() const { return columns_; }

    // "Jet 3", "Jet 4", "ACE": what wrote the file.
    std::string format() const;

    // Reads the next row into `record`; false after the last one.
    bool next(AccessRecord& record);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::array<AccessColumn, kGearColumns.size()> columns_;
};

}  // namespace zanfiro::tools
