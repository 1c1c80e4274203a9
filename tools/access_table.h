#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "store/gear.h"

namespace zanfiro::tools {

// How a column of the old table keeps its values, as far as the import
// cares: whole numbers, other numbers, texts, or something no gear holds.
enum class AccessKind { WholeNumber, Decimal, Text, Other };

struct AccessColumn {
    std::string name;      // as the old file spells it
    std::string typeName;  // Access's name for the column type, for messages
    AccessKind kind = AccessKind::Other;
};

// One row of the old table, its columns in the order of a gear's: each value in mdbtools' text form (UTF-8), or
// nothing when the row marks it missing. An empty text is an empty string,
// not nothing: the row's null mask tells the two apart.
using AccessRecord = std::array<std::optional<std::string>, store::kGearColumns.size()>;

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

    const std::array<AccessColumn, store::kGearColumns.size()>& columns() const { return columns_; }

    // "Jet 3", "Jet 4", "ACE": what wrote the file.
    std::string format() const;

    // The rows the table says it holds, for the progress shown while reading.
    std::size_t rows() const;

    // Reads the next row into `record`; false after the last one.
    bool next(AccessRecord& record);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::array<AccessColumn, store::kGearColumns.size()> columns_;
};

}  // namespace zanfiro::tools
