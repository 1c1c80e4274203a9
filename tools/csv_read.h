#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zanfiro::tools {

// A CSV file an operator made or changed, as a spreadsheet saves it: fields
// split by commas, or by semicolons where the header line has those and no
// comma (as spreadsheets set to Italian save it); quoted fields (RFC 4180)
// may hold separators, doubled quotes and line breaks; lines may end in CR
// LF; a UTF-8 byte order mark is skipped; blank lines are left out.
struct CsvLine {
    std::size_t number = 0;  // in the file, counted from 1; the first line of a quoted line break
    std::vector<std::string> fields = {};

    // The field in that column; empty where the line is short or the file
    // lacks the column.
    std::string_view at(std::optional<std::size_t> column) const;
};

struct CsvFile {
    std::filesystem::path path;
    std::vector<std::string> header;
    std::vector<CsvLine> lines = {};  // after the header

    // The index of the header's column of that name, compared without regard
    // to case and blanks at either end.
    std::optional<std::size_t> column(std::string_view name) const;
};

// Reads the whole file. A file that cannot be read, one without a header
// line, and a quote left open are failures that name the file.
CsvFile readCsv(const std::filesystem::path& file);

// A field as a whole number of 0 or more, blanks at either end allowed.
std::optional<std::int64_t> countIn(std::string_view field);

// The lines of a file that each name one gear by its ID, checked while they
// are read: what is wrong with each is gathered, so that the file is
// refused at the end with every wrong line named.
class GearLines {
public:
    explicit GearLines(std::set<std::int64_t> gears) : gears_(std::move(gears)) {}

    // The gear the line names in `column`, when it is a whole number, a
    // gear's ID and on no earlier line; otherwise nothing, and the line is
    // wrong.
    std::optional<std::int64_t> gearOf(const CsvLine& line, std::optional<std::size_t> column);

    void wrong(const CsvLine& line, std::string_view why);

    // A failure naming every wrong line, when there is one.
    void refuseAnyWrong(const std::filesystem::path& file) const;

private:
    std::set<std::int64_t> gears_;
    std::map<std::int64_t, std::size_t> seenOn_;  // an ID and its line
    std::vector<std::string> wrong_;
};

// The column of that name, or a failure that names the file.
std::size_t requiredColumn(const CsvFile& csv, std::string_view name);

}  // namespace zanfiro::tools
