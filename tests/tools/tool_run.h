#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "temp_database.h"

namespace zanfiro::testing {

// What a finished command left behind.
struct ToolRun {
    int exitCode = -1;
    std::string out, err;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs the real zanfiro-db with the arguments, in `folder`, with extra
// environment variables.
ToolRun runZanfiroDb(const std::vector<std::string>& args, const std::filesystem::path& folder,
                     const Environment& environment = {});

// Runs any program found on PATH the same way.
ToolRun runProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& folder, const Environment& environment = {});

std::filesystem::path testData(std::string_view name);

std::string fileBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, std::string_view bytes);

// Copies `from` to `to`, replacing every occurrence of `what` by `by`
// (of the same length). Fails the test when `what` never occurs.
void copyPatched(const std::filesystem::path& from, const std::filesystem::path& to, std::string_view what,
                 std::string_view by);

// The UTF-16LE bytes of an ASCII text, as Jet 4 keeps names and texts.
std::string utf16(std::string_view ascii);

// Every gear of the database file at `file`, ordered by ID.
std::vector<StoredGear> gearsIn(const std::filesystem::path& file);

// One CSV field as read: its text, and whether it was written in quotes
// (an unquoted empty field and "" differ for both mdb-export and export).
struct CsvField {
    std::string text;
    bool quoted = false;
};
using CsvRow = std::vector<CsvField>;

// Reads RFC 4180 CSV: fields in double quotes may hold commas, doubled
// quotes and line breaks; lines end in LF or CR LF.
std::vector<CsvRow> readCsv(std::string_view csv);

}  // namespace zanfiro::testing
