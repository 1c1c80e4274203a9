#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

namespace zanfiro::tools {

struct ImportSummary {
    std::filesystem::path source;
    std::string sourceFormat;  // "Jet 4" and the like
    std::filesystem::path target;
    bool createdTarget = false;
    std::size_t replaced = 0;  // gears the target held before (--replace)
    std::size_t read = 0;
    std::size_t written = 0;
    std::optional<std::int64_t> lowestId, highestId;
    std::int64_t nextId = 1;
    // Values that changed form on the way, by column: whole-number texts
    // (and decimal numbers without fraction) that became numbers, blank
    // texts that became Null where a number belongs, numbers that became
    // texts where a text belongs.
    std::map<std::string, std::size_t> toNumber, blankToNull, toText;
    // Texts copied as they were that are easy to mistake for a loss.
    std::size_t emptyTexts = 0;
    std::size_t missingValues = 0;
    // Where the Access file went when it was converted in place.
    std::optional<std::filesystem::path> accessBackup;
};

// Copies every record of the table Gears of an Access file into the gear
// database `target`, keeping the IDs, in one transaction: on any failure
// the target is as it was, and a target this call created is removed
// again. A target that holds gears is refused unless `replace`. When the
// target is the Access file itself (the operator put the old DB.mdb where
// the program looks for its database), the Access file is kept beside it
// as NAME-Access.mdb and the new database takes its place.
ImportSummary importAccessGears(const std::filesystem::path& source, const std::filesystem::path& target, bool replace);

// The summary as the operator reads it after the import.
void printImportSummary(const ImportSummary& summary, std::ostream& out);

}  // namespace zanfiro::tools
