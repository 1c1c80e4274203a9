#include "tool_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "store/sqlite.h"

namespace zanfiro::testing {

namespace {

std::string shellQuoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

ToolRun runProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& folder, const Environment& environment) {
    const auto out = folder / ".run-out", err = folder / ".run-err";
    std::string command = "cd " + shellQuoted(folder.string()) + " && env";
    for (const auto& [name, value] : environment) command += " " + shellQuoted(name + "=" + value);
    command += " " + shellQuoted(program);
    for (const auto& arg : args) command += " " + shellQuoted(arg);
    command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    const int status = std::system(command.c_str());
    ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileBytes(out), fileBytes(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

ToolRun runZanfiroDb(const std::vector<std::string>& args, const std::filesystem::path& folder,
                     const Environment& environment) {
    return runProgram(ZANFIRO_DB, args, folder, environment);
}

std::filesystem::path testData(std::string_view name) { return std::filesystem::path(TEST_DATA_DIR) / name; }

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void copyPatched(const std::filesystem::path& from, const std::filesystem::path& to, std::string_view what,
                 std::string_view by) {
    ASSERT_EQ(what.size(), by.size());
    std::string bytes = fileBytes(from);
    int replaced = 0;
    for (auto at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + what.size()), ++replaced)
        bytes.replace(at, what.size(), by);
    ASSERT_GT(replaced, 0) << "nothing to patch in " << from;
    writeBytes(to, bytes);
}

std::vector<StoredGear> gearsIn(const std::filesystem::path& file) {
    store::sqlite::Database db(file, store::sqlite::Database::Mode::OpenExisting);
    store::sqlite::Statement statement(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY ID");
    std::vector<StoredGear> rows;
    while (statement.step())
        rows.push_back({std::stoll(statement.column(0).text()), statement.column(1), statement.column(2),
                        statement.column(3), statement.column(4)});
    return rows;
}

std::string utf16(std::string_view ascii) {
    std::string out;
    for (char c : ascii) out += {c, '\0'};
    return out;
}

std::vector<CsvRow> readCsv(std::string_view csv) {
    std::vector<CsvRow> rows;
    CsvRow row;
    CsvField field;
    std::size_t i = 0;
    auto endField = [&] { row.push_back(std::exchange(field, {})); };
    while (i < csv.size()) {
        const char c = csv[i++];
        if (c == '"' && field.text.empty() && !field.quoted) {
            field.quoted = true;
            for (;;) {
                if (i >= csv.size()) throw std::runtime_error("unclosed quote in CSV");
                if (csv[i] == '"' && (i + 1 >= csv.size() || csv[i + 1] != '"')) break;
                if (csv[i] == '"') ++i;
                field.text += csv[i++];
            }
            ++i;
        } else if (c == ',') {
            endField();
        } else if (c == '\n' || (c == '\r' && i < csv.size() && csv[i] == '\n')) {
            if (c == '\r') ++i;
            endField();
            rows.push_back(std::exchange(row, {}));
        } else {
            field.text += c;
        }
    }
    if (!row.empty() || !field.text.empty() || field.quoted) {
        endField();
        rows.push_back(row);
    }
    return rows;
}

}  // namespace zanfiro::testing
