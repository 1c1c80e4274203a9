#include "access_import.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

#include "access_table.h"
#include "base/failure.h"
#include "base/text.h"
#include "failed_write.h"
#include "progress.h"
#include "sentence.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear_ids.h"
#include "store/gear_table.h"
#include "whole_number.h"

namespace zanfiro::tools {

namespace {

namespace fs = std::filesystem;
using store::GearRecord;
using store::kGearColumns;
using store::Value;

class RecordConverter {
public:
    RecordConverter(const AccessGearsTable& table, ImportSummary& summary)
        : columns_(table.columns()), summary_(summary) {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const bool wantsText = kGearColumns[i].kind == store::ColumnKind::Text;
            const AccessKind kind = columns_[i].kind;
            if (kind == AccessKind::Other || (wantsText && kind == AccessKind::Decimal))
                throw Failure(failure::kTypeMismatch,
                              "the column " + columns_[i].name + " of Gears holds " + columns_[i].typeName +
                                  " values, which no gear has: " + summary.source.string());
        }
    }

    GearRecord convert(const AccessRecord& record) {
        ++ordinal_;
        currentId_.clear();
        GearRecord gear;
        for (std::size_t i = 0; i < kGearColumns.size(); ++i) {
            const store::GearColumn& column = kGearColumns[i];
            gear.*column.field = column.kind == store::ColumnKind::Text ? text(record, i) : wholeNumber(record, i);
            if (column.kind != store::ColumnKind::Id) {
                summary_.missingValues += !record[i].has_value();
                continue;
            }
            if (gear.ID.isNull())
                throw Failure(failure::kTypeMismatch,
                              concat({"record ",
                                      std::to_string(ordinal_),
                                      " of Gears has no ID; without it the gear cannot keep its number"}));
            currentId_ = gear.ID.text();
        }
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
        const AccessKind kind = columns_[column].kind;
        std::string_view text = raw;
        if (kind == AccessKind::Text) {
            text = trimmed(text, " \t");
            if (text.empty()) {
                ++summary_.blankToNull[columns_[column].name];
                return Value();
            }
        }
        std::int64_t number = 0;
        switch (parseWhole(text, kind == AccessKind::Decimal, number)) {
        case WholeNumber::Ok: break;
        case WholeNumber::NotWhole:
            throw Failure(failure::kTypeMismatch, where(column) + " is \"" + raw + "\", which is not a whole number");
        case WholeNumber::TooLarge:
            throw Failure(failure::kOverflow, where(column) + " is \"" + raw + "\", too large for a whole number");
        }
        if (kind != AccessKind::WholeNumber) ++summary_.toNumber[columns_[column].name];
        return Value(number);
    }

    Value text(const AccessRecord& record, std::size_t column) {
        if (!record[column]) return Value();
        if (columns_[column].kind == AccessKind::WholeNumber) ++summary_.toText[columns_[column].name];
        if (record[column]->empty()) ++summary_.emptyTexts;
        return Value(*record[column]);
    }

    const std::array<AccessColumn, kGearColumns.size()>& columns_;
    ImportSummary& summary_;
    std::size_t ordinal_ = 0;
    std::string currentId_;
};

std::vector<GearRecord> readGears(const fs::path& source, ImportSummary& summary) {
    AccessGearsTable table(source);
    summary.sourceFormat = table.format();
    RecordConverter converter(table, summary);
    std::vector<GearRecord> gears;
    std::set<std::int64_t> ids;
    AccessRecord record;
    Progress progress("Reading record %1 of %2", table.rows());
    while (table.next(record)) {
        progress.show(gears.size() + 1);
        gears.push_back(converter.convert(record));
        const std::int64_t id = gears.back().ID.number();
        if (!ids.insert(id).second)
            throw Failure(failure::kDuplicateKey,
                          concat({"the ID ",
                                  std::to_string(id),
                                  " is already in the database (the Access table holds it twice); nothing was "
                                  "imported"}));
    }
    summary.read = gears.size();
    return gears;
}

// The gears go into the open session in one transaction (the caller's, or
// the one that creates the database): a failure anywhere leaves nothing.
void writeGears(store::Session& db, const std::vector<GearRecord>& gears, bool replace, const fs::path& target,
                ImportSummary& summary) {
    summary.replaced = static_cast<std::size_t>(store::countGears(db));
    if (summary.replaced > 0 && !replace)
        throw Failure(failure::kTargetNotEmpty,
                      concat({"the database already holds ",
                              counted(summary.replaced, "gear", "gears"),
                              " and was left unchanged; add --replace to put the imported gears in their place: ",
                              target.string()}));
    // Taken before the gears it replaces go, with every ID they ever had.
    const std::int64_t lastGiven = store::lastIdEverGiven(db);
    if (replace) db.execute("DELETE FROM Gears");
    Progress progress("Writing gear %1 of %2", gears.size());
    for (const GearRecord& gear : gears) {
        progress.show(summary.written + 1);
        store::insertGear(db, gear);
        ++summary.written;
        const std::int64_t id = gear.ID.number();
        if (!summary.lowestId || id < *summary.lowestId) summary.lowestId = id;
        if (!summary.highestId || id > *summary.highestId) summary.highestId = id;
    }
    // The next gear the window inserts continues after the largest imported
    // ID, and after every ID the database gave before: an ID never stands
    // for two gears.
    db.continueIdsAfter(std::max(summary.highestId.value_or(0), lastGiven));
    summary.nextId = db.nextId();
}

void importIntoExisting(const std::vector<GearRecord>& gears, const fs::path& target, bool replace,
                        ImportSummary& summary) {
    sayingState(sentence("Nothing was imported: %1 is as it was.", {target.string()}), [&] {
        auto db = store::openDatabase(target);
        // Nothing reaches the database before commit: a failure anywhere
        // below closes the session, which rolls the whole import back.
        db->begin();
        // A database from before the history gets it with the import, so
        // that the gears it brings and every later change are recorded.
        db->addHistory();
        writeGears(*db, gears, replace, target, summary);
        db->commit();
    });
}

void importIntoNew(const std::vector<GearRecord>& gears, const fs::path& target, ImportSummary& summary) {
    sayingState(sentence("Nothing was imported, and no database was made at %1.", {target.string()}), [&] {
        store::createDatabase(target, [&](store::Session& db) { writeGears(db, gears, false, target, summary); });
    });
    summary.createdTarget = true;
}

// The operator copied the old DB.mdb to where the program looks for its
// database. The new database is built beside it; the Access file gets its
// second name, then the new database takes the first in one rename, so
// that the place never lacks a file.
void convertInPlace(const std::vector<GearRecord>& gears, const fs::path& file, ImportSummary& summary) {
    const fs::path backup = file.parent_path() / (file.stem().string() + "-Access" + file.extension().string());
    std::error_code error;
    // A second name an import cut short gave the Access file is its own.
    const bool named = store::nameTaken(backup) && fs::equivalent(backup, file, error);
    if (store::nameTaken(backup) && !named)
        throw Failure(failure::kTargetNotEmpty,
                      "the Access file would be kept as " + backup.string() +
                          ", which exists already; move it away and run the import again");
    sayingState(sentence("Nothing was imported: the Access file is still at %1.", {file.string()}), [&] {
        store::BesideFile building(file);
        store::buildDatabase(building.path(), [&](store::Session& db) { writeGears(db, gears, false, file, summary); });
        if (!named) store::addName(file, backup);
        building.replaceName(file);
    });
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
    const std::vector<GearRecord> gears = readGears(source, summary);
    store::removeLeftovers(target.parent_path());
    std::error_code error;
    if (fs::exists(target, error) && fs::equivalent(source, target, error))
        convertInPlace(gears, target, summary);
    else if (store::nameTaken(target))
        importIntoExisting(gears, target, replace, summary);
    else
        importIntoNew(gears, target, summary);
    return summary;
}

void printImportSummary(const ImportSummary& s, std::ostream& out) {
    out << "Read " << counted(s.read, "record", "records") << " from the table Gears of " << s.source.string()
        << " (Access, " << s.sourceFormat << ").\n";
    if (s.accessBackup) out << "The Access file is kept as " << s.accessBackup->string() << ".\n";
    out << "Wrote " << counted(s.written, "gear", "gears") << " to " << (s.createdTarget ? "the new database " : "")
        << s.target.string();
    if (s.replaced > 0) out << ", in place of the " << counted(s.replaced, "gear", "gears") << " it held";
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
