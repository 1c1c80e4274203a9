#include "csv_read.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro::tools {

std::optional<std::size_t> CsvFile::column(std::string_view name) const {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (lower(trimmed(header[i], " \t")) == lower(name)) return i;
    return std::nullopt;
}

CsvFile readCsv(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Failure(failure::kCannotReadFile, "cannot read the file " + file.string());
    std::string text{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) throw Failure(failure::kCannotReadFile, "cannot read the file " + file.string());
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);

    const std::size_t firstLineEnd = text.find('\n');
    const std::string_view firstLine = std::string_view(text).substr(0, firstLineEnd);
    const char separator =
        firstLine.find(';') != std::string_view::npos && firstLine.find(',') == std::string_view::npos ? ';' : ',';

    std::vector<CsvLine> lines;
    CsvLine line{.number = 1};
    std::string field;
    std::size_t number = 1;
    bool quoted = false, fieldStarted = false;
    const auto endField = [&] {
        line.fields.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
    };
    const auto endLine = [&] {
        endField();
        const bool blank = line.fields.size() == 1 && line.fields[0].empty();
        if (!blank) lines.push_back(std::move(line));
        line = {.number = number + 1};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++number;
                field += c;
            }
        } else if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == '\n') {
            endLine();
            ++number;
        } else if (c != '\r' || (i + 1 < text.size() && text[i + 1] != '\n')) {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        throw Failure(failure::kUnrecognizedFormat,
                      concat({file.string(), " line ", std::to_string(line.number), ": a quote is never closed"}));
    if (!field.empty() || !line.fields.empty()) endLine();
    if (lines.empty()) throw Failure(failure::kUnrecognizedFormat, "the file has no header line: " + file.string());

    CsvFile csv{.path = file, .header = std::move(lines.front().fields)};
    csv.lines.assign(std::make_move_iterator(lines.begin() + 1), std::make_move_iterator(lines.end()));
    return csv;
}

std::string_view CsvLine::at(std::optional<std::size_t> column) const {
    return column && *column < fields.size() ? std::string_view(fields[*column]) : std::string_view();
}

std::optional<std::int64_t> GearLines::gearOf(const CsvLine& line, std::optional<std::size_t> column) {
    const auto id = countIn(line.at(column));
    if (!id) {
        wrong(line, concat({"the ID is a whole number, not \"", line.at(column), "\""}));
        return std::nullopt;
    }
    if (!gears_.contains(*id)) {
        wrong(line, "no gear has the ID " + std::to_string(*id));
        return std::nullopt;
    }
    if (const auto [first, added] = seenOn_.emplace(*id, line.number); !added) {
        wrong(
            line,
            concat(
                {"the gear with ID ", std::to_string(*id), " is on line ", std::to_string(first->second), " already"}));
        return std::nullopt;
    }
    return id;
}

void GearLines::wrong(const CsvLine& line, std::string_view why) {
    wrong_.push_back(concat({"line ", std::to_string(line.number), ": ", why}));
}

void GearLines::refuseAnyWrong(const std::filesystem::path& file) const {
    if (wrong_.empty()) return;
    std::string lines;
    for (const std::string& why : wrong_) lines += "\n  " + why;
    throw Failure(failure::kValidationRule,
                  concat({file.string(),
                          wrong_.size() == 1 ? " has a wrong line" : " has wrong lines",
                          "; nothing was changed:",
                          lines}));
}

std::size_t requiredColumn(const CsvFile& csv, std::string_view name) {
    if (const auto column = csv.column(name)) return *column;
    throw Failure(failure::kUnknownColumn,
                  concat({"the file has no column ", name, " in its header line: ", csv.path.string()}));
}

std::optional<std::int64_t> countIn(std::string_view field) {
    const std::string_view text = trimmed(field, " \t");
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < 0) return std::nullopt;
    return number;
}

}  // namespace zanfiro::tools
