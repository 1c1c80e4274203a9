#include "access_import.h"

#include <sqlite3.h>

#include <array>
#include <charconv>
#include <string_view>
#include <vector>

#include "access_table.h"
#include "store/database_file.h"
#include "store/failure.h"
#include "store/sqlite.h"
#include "store/value.h"

namespace zanfiro::tools {

namespace {

namespace fs = std::filesystem;
using store::Failure;
using store::Value;

enum Column { kId, kD, kM, kT, kQty };

struct Gear {
    std::int64_t id;
    std::array<Value, 4> values;  // D, M, T, QTY
};

std::string_view trimmedBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Reads a whole number from the text form mdbtools gives. Decimal columns
// may add a fraction of zeros ("12.000"); texts may not, since "1.000" in
// an Italian workshop means a thousand and not one.
enum class Parse { Ok, NotWhole, TooLarge };
Parse parseWhole(std::string_view text, bool zeroFractionAllowed, std::int64_t& out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (zeroFractionAllowed) {
        const auto point = text.find('.');
        if (point != std::string_view::npos) {
            if (text.find_first_not_of('0', point + 1) != std::string_view::npos) return Parse::NotWhole;
            text = text.substr(0, point);
        }
    }
    const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return Parse::NotWhole;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (error == std::errc::result_out_of_range) return Parse::TooLarge;
    return error == std::errc() && end == text.data() + text.size() ? Parse::Ok : Parse::NotWhole;
}

class RecordConverter {
public:
    RecordConverter(const AccessGearsTable& table, ImportSummary& summary)
        : columns_(table.columns()), summary_(summary) {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const bool wantsText = i == kM || i == kT;
            const ColumnKind kind = columns_[i].kind;
            if (kind == ColumnKind::Other || (wantsText && kind == ColumnKind::Decimal))
                throw Failure(store::failure::kTypeMismatch,
                              "the column " + columns_[i].name + " of Gears holds " + columns_[i].typeName +
                                  " values, which no gear has: " + summary.source.string());
        }
    }

    Gear convert(const AccessRecord& record) {
        ++ordinal_;
        currentId_.clear();
        Value id = wholeNumber(record, kId);
        if (id.isNull())
            throw Failure(store::failure::kTypeMismatch,
                          "record " + std::to_string(ordinal_) +
                              " of Gears has no ID; without it the gear cannot "
                              "keep its number");
        currentId_ = id.text();
        Gear gear{std::stoll(currentId_),
                  {wholeNumber(record, kD), text(record, kM), text(record, kT), wholeNumber(record, kQty)}};
        for (std::size_t i = kD; i <= kQty; ++i) summary_.missingValues += !record[i].has_value();
        return gear;
    }

private:
    std::string where(std::size_t column) const {
        const std::string record =
            currentId_.empty() ? "record " + std::to_string(ordinal_) : "the record with ID " + currentId_;
        return "in " + record + " of Gears, " + columns_[column].name;
    }

    Value wholeNumber(const AccessRecord& record, std::size_t column) {
        if (!record[column]) return Value();
        const std::string& raw = *record[column];
        const ColumnKind kind = columns_[column].kind;
        std::string_view text = raw;
        if (kind == ColumnKind::Text) {
            text = trimmedBlanks(text);
            if (text.empty()) {
                ++summary_.blankToNull[columns_[column].name];
                return Value();
            }
        }
        std::int64_t number = 0;
        switch (parseWhole(text, kind == ColumnKind::Decimal, number)) {
        case Parse::Ok: break;
        case Parse::NotWhole:
            throw Failure(store::failure::kTypeMismatch,
                          where(column) + " is \"" + raw + "\", which is not a whole number");
        case Parse::TooLarge:
            throw Failure(store::failure::kOverflow,
                          where(column) + " is \"" + raw + "\", too large for a whole number");
        }
        if (kind != ColumnKind::WholeNumber) ++summary_.toNumber[columns_[column].name];
        return Value(number);
    }

    Value text(const AccessRecord& record, std::size_t column) {
        if (!record[column]) return Value();
        if (columns_[column].kind == ColumnKind::WholeNumber) ++summary_.toText[columns_[column].name];
        if (record[column]->empty()) ++summary_.emptyTexts;
        return Value(*record[column]);
    }

    const std::array<AccessColumn, kGearColumns.size()>& columns_;
    ImportSummary& summary_;
    std::size_t ordinal_ = 0;
    std::string currentId_;
};

std::vector<Gear> readGears(const fs::path& source, ImportSummary& summary) {
    AccessGearsTable table(source);
    summary.sourceFormat = table.format();
    RecordConverter converter(table, summary);
    std::vector<Gear> gears;
    AccessRecord record;
    while (table.next(record)) gears.push_back(converter.convert(record));
    summary.read = gears.size();
    return gears;
}

void bindValue(store::sqlite::Statement& statement, int index, const Value& value) {
    if (value.isNull())
        statement.bindNull(index);
    else if (value.isNumber())
        statement.bind(index, static_cast<std::int64_t>(std::stoll(value.text())));
    else
        statement.bind(index, value.text());
}

// Folders that creating `file` would make, the deepest first.
std::vector<fs::path> missingFolders(const fs::path& file) {
    std::vector<fs::path> folders;
    std::error_code error;
    for (fs::path folder = file.parent_path(); !folder.empty() && !fs::exists(folder, error);
         folder = folder.parent_path()) {
        folders.push_back(folder);
        if (folder == folder.parent_path()) break;
    }
    return folders;
}

void writeGears(const std::vector<Gear>& gears, const fs::path& target, bool replace, ImportSummary& summary) {
    std::error_code error;
    const bool create = !fs::exists(target, error) && !fs::is_symlink(target, error);
    const std::vector<fs::path> newFolders = create ? missingFolders(target) : std::vector<fs::path>{};
    if (create) store::createGearsDatabase(target);
    summary.createdTarget = create;
    try {
        auto db = store::openDatabaseFile(target);
        // Nothing reaches the file before COMMIT: a failure anywhere below
        // closes the database, which rolls the whole import back.
        db->exec("BEGIN IMMEDIATE");
        store::sqlite::Statement count(*db, "SELECT count(*) FROM Gears");
        count.step();
        summary.replaced = static_cast<std::size_t>(std::stoll(count.column(0).text()));
        if (summary.replaced > 0 && !replace)
            throw Failure(import_failure::kTargetNotEmpty,
                          "the database already holds " + std::to_string(summary.replaced) +
                              " gears and was left unchanged; add --replace to put the imported gears in their "
                              "place: " +
                              target.string());
        if (replace) db->exec("DELETE FROM Gears");

        store::sqlite::Statement insert(*db, "INSERT INTO Gears (ID, D, M, T, QTY) VALUES (?, ?, ?, ?, ?)");
        for (const Gear& gear : gears) {
            insert.bind(1, gear.id);
            for (int i = 0; i < 4; ++i) bindValue(insert, i + 2, gear.values[static_cast<std::size_t>(i)]);
            try {
                insert.step();
            } catch (const Failure& failure) {
                if (failure.number() != SQLITE_CONSTRAINT_PRIMARYKEY) throw;
                throw Failure(import_failure::kDuplicateKey,
                              "the ID " + std::to_string(gear.id) +
                                  " is already in the database (the Access table holds it twice); nothing was "
                                  "imported");
            }
            insert.reset();
            ++summary.written;
            if (!summary.lowestId || gear.id < *summary.lowestId) summary.lowestId = gear.id;
            if (!summary.highestId || gear.id > *summary.highestId) summary.highestId = gear.id;
        }

        // The next gear the window inserts continues after the largest
        // imported ID, whatever the file counted before.
        if (summary.highestId) {
            store::sqlite::Statement update(*db, "UPDATE sqlite_sequence SET seq = ? WHERE name = 'Gears'");
            update.bind(1, *summary.highestId);
            update.step();
            if (db->changes() == 0) {
                store::sqlite::Statement add(*db, "INSERT INTO sqlite_sequence (name, seq) VALUES ('Gears', ?)");
                add.bind(1, *summary.highestId);
                add.step();
            }
        }
        store::sqlite::Statement next(*db,
                                      "SELECT coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'Gears'), 0)");
        next.step();
        summary.nextId = std::stoll(next.column(0).text()) + 1;
        db->exec("COMMIT");
    } catch (...) {
        if (create) {
            fs::remove(target, error);
            for (const fs::path& folder : newFolders) fs::remove(folder, error);
        }
        throw;
    }
}

// The operator copied the old DB.mdb to where the program looks for its
// database. The new database is built beside it and takes its name only
// once complete; the Access file stays as NAME-Access.mdb.
void convertInPlace(const std::vector<Gear>& gears, const fs::path& file, ImportSummary& summary) {
    const fs::path backup = file.parent_path() / (file.stem().string() + "-Access" + file.extension().string());
    const fs::path building = file.parent_path() / ("." + file.filename().string() + ".importing");
    std::error_code error;
    if (fs::exists(backup, error) || fs::is_symlink(backup, error))
        throw Failure(import_failure::kTargetNotEmpty,
                      "the Access file would be kept as " + backup.string() +
                          ", which exists already; move it away and run the import again");
    fs::remove(building, error);  // left by an import that was killed
    writeGears(gears, building, false, summary);
    fs::rename(file, backup, error);
    if (!error) {
        fs::rename(building, file, error);
        if (error) fs::rename(backup, file);
    }
    if (error) {
        fs::remove(building);
        throw Failure(SQLITE_CANTOPEN,
                      "cannot put the new database in place of " + file.string() + ": " + error.message());
    }
    summary.createdTarget = false;
    summary.accessBackup = backup;
}

std::string byColumn(const std::map<std::string, std::size_t>& counts) {
    std::string text;
    for (const auto& [column, count] : counts)
        text += (text.empty() ? "" : ", ") + column + " " + std::to_string(count);
    return text;
}

std::size_t total(const std::map<std::string, std::size_t>& counts) {
    std::size_t sum = 0;
    for (const auto& entry : counts) sum += entry.second;
    return sum;
}

}  // namespace

ImportSummary importAccessGears(const fs::path& source, const fs::path& target, bool replace) {
    ImportSummary summary;
    summary.source = source;
    summary.target = target;
    // Everything is read and checked before the target is touched, so a
    // wrong file or a bad value never opens it.
    const std::vector<Gear> gears = readGears(source, summary);
    std::error_code error;
    if (fs::exists(target, error) && fs::equivalent(source, target, error))
        convertInPlace(gears, target, summary);
    else
        writeGears(gears, target, replace, summary);
    return summary;
}

void printImportSummary(const ImportSummary& s, std::ostream& out) {
    out << "Read " << s.read << " records from the table Gears of " << s.source.string() << " (Access, "
        << s.sourceFormat << ").\n";
    if (s.accessBackup) out << "The Access file is kept as " << s.accessBackup->string() << ".\n";
    out << "Wrote " << s.written << " gears to " << (s.createdTarget ? "the new database " : "") << s.target.string();
    if (s.replaced > 0) out << ", in place of the " << s.replaced << " gears it held";
    out << ".\n";
    if (s.lowestId)
        out << "IDs " << *s.lowestId << " to " << *s.highestId << ", kept as they were; the next new gear gets ID "
            << s.nextId << ".\n";
    out << "Values converted: " << total(s.toNumber) + total(s.blankToNull) + total(s.toText) << ".\n";
    if (!s.toNumber.empty()) out << "  to whole numbers: " << byColumn(s.toNumber) << "\n";
    if (!s.blankToNull.empty()) out << "  blank texts to missing values: " << byColumn(s.blankToNull) << "\n";
    if (!s.toText.empty()) out << "  numbers to texts: " << byColumn(s.toText) << "\n";
    if (s.missingValues > 0) out << "Missing values, kept missing: " << s.missingValues << ".\n";
    if (s.emptyTexts > 0) out << "Empty texts, kept empty: " << s.emptyTexts << ".\n";
}

}  // namespace zanfiro::tools
