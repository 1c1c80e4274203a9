// zanfiro-db import, run as the operator runs it, on the Access files in
// tests/data and on broken copies of them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "store/connection.h"
#include "store/database_file.h"
#include "store/failure.h"
#include "temp_database.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// What mdb-export prints for a value, as the value the import should
// store. An unquoted empty field is a missing value or an empty text.
void expectSameValue(const CsvField& exported, const store::Value& stored, bool number) {
    if (exported.text.empty() && !exported.quoted) {
        EXPECT_TRUE(stored.isNull() || stored == txt("")) << ::testing::PrintToString(stored);
    } else {
        EXPECT_EQ(stored, number ? num(std::stoll(exported.text)) : txt(exported.text));
    }
}

struct FixtureImport {
    const char* name;
    const char* file;
    Environment environment;
    const char* conversions;
};

class ImportOfFixture : public ::testing::TestWithParam<FixtureImport> {};

TEST_P(ImportOfFixture, StoresEveryRecordAsMdbExportPrintsItAndContinuesAfterTheLargestId) {
    const FixtureImport& c = GetParam();
    TempDatabase db(TempDatabase::Content::NoFile);
    const ToolRun run =
        runZanfiroDb({"import", testData(c.file).string(), db.path().string()}, db.folder(), c.environment);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const ToolRun exported =
        runProgram("mdb-export", {testData(c.file).string(), "Gears"}, db.folder(), {{"MDBICONV", "UTF-8"}});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const std::vector<CsvRow> rows = readCsv(exported.out);
    ASSERT_GT(rows.size(), 1u);
    ASSERT_EQ(rows[0].size(), 5u);
    const std::vector<StoredGear> stored = db.gears();
    ASSERT_EQ(stored.size(), rows.size() - 1);
    std::int64_t lowest = INT64_MAX, highest = INT64_MIN;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const CsvRow& row = rows[r];
        const std::int64_t id = std::stoll(row[0].text);
        lowest = std::min(lowest, id);
        highest = std::max(highest, id);
        SCOPED_TRACE("ID " + row[0].text);
        const auto gear = std::ranges::find(stored, id, &StoredGear::id);
        ASSERT_NE(gear, stored.end());
        expectSameValue(row[1], gear->D, true);
        expectSameValue(row[2], gear->M, false);
        expectSameValue(row[3], gear->T, false);
        expectSameValue(row[4], gear->QTY, true);
    }

    const std::string count = std::to_string(stored.size());
    EXPECT_THAT(run.out, HasSubstr("Read " + count + " records from the table Gears"));
    EXPECT_THAT(run.out, HasSubstr("Wrote " + count + " gears to the new database " + db.path().string()));
    EXPECT_THAT(run.out, HasSubstr("IDs " + std::to_string(lowest) + " to " + std::to_string(highest)));
    EXPECT_THAT(run.out, HasSubstr(c.conversions));
    EXPECT_EQ(db.insert(12, "48", "P", 1), highest + 1);
}

INSTANTIATE_TEST_SUITE_P(
    TestData, ImportOfFixture,
    ::testing::Values(
        FixtureImport{"Numeric", "gears-numeric.mdb", {}, "Values converted: 0.\n"},
        FixtureImport{"Text", "gears-text.mdb", {}, "Values converted: 256.\n  to whole numbers: D 128, QTY 128\n"},
        FixtureImport{"Edge", "gears-edge.mdb", {}, "Values converted: 0.\n"},
        // The charset the operator's shell asks mdbtools for does not reach the file.
        FixtureImport{
            "EdgeUnderALatin1Shell", "gears-edge.mdb", {{"MDBICONV", "ISO-8859-1"}}, "Values converted: 0.\n"}),
    [](const auto& info) { return std::string(info.param.name); });

void PrintTo(const FixtureImport& c, std::ostream* out) { *out << c.name; }

TEST(Import, KeepsAwkwardValuesExactlyAndTellsAnEmptyTextFromAMissingValue) {
    TempDatabase db(TempDatabase::Content::NoFile);
    const ToolRun run = runZanfiroDb({"import", testData("gears-edge.mdb").string(), db.path().string()}, db.folder());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<StoredGear> expected{
        {1, num(20), txt("0.4"), txt("C"), num(12)},    {2, null(), txt("0.6"), txt("P"), num(3)},
        {3, num(30), null(), txt("C"), num(4)},         {4, num(31), txt("48"), null(), num(5)},
        {5, num(32), txt("64"), txt("P"), null()},      {6, num(40), txt("0.4 "), txt("C"), num(1)},
        {7, num(41), txt("O'Brien"), txt("P"), num(2)}, {8, num(42), txt("\u00b5-Modul \u00e4"), txt("c"), num(6)},
        {9, num(43), txt(""), txt("P"), num(7)},        {10, num(44), txt("64"), txt("P"), num(2147483647)},
        {11, num(-1), txt("0.6"), txt("C"), num(0)}};
    EXPECT_EQ(db.gears(), expected);
    EXPECT_THAT(run.out, HasSubstr("Missing values, kept missing: 4.\nEmpty texts, kept empty: 1.\n"));
}

enum class Target { Missing, Empty, Demo, AccessFile };

struct Refusal {
    const char* name;
    std::function<void(const fs::path&)> makeSource;
    Target target;
    bool replace;
    const char* message;
};

void copyOf(const char* fixture, const fs::path& to) { fs::copy_file(testData(fixture), to); }

const std::string kId149 = std::string("\x95\0\0\0\x24\0\0\0", 8);  // ID 149, D 36: the last record
const std::string kId148 = std::string("\x94\0\0\0\x24\0\0\0", 8);

const Refusal kRefusals[] = {
    {"TextFile", [](const fs::path& s) { writeBytes(s, "ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n"); }, Target::Empty, false,
     "not an Access database"},
    {"ProgramsOwnDatabase", [](const fs::path& s) { store::createGearsDatabase(s); }, Target::Missing, false,
     "this is an SQLite database"},
    {"TruncatedAccessFile",
     [](const fs::path& s) { writeBytes(s, fileBytes(testData("gears-numeric.mdb")).substr(0, 8192)); }, Target::Empty,
     false, "mdbtools cannot read"},
    {"NoGearsTable",
     [](const fs::path& s) { copyPatched(testData("gears-numeric.mdb"), s, utf16("Gears"), utf16("Gearz")); },
     Target::Missing, false, "has no table Gears"},
    {"NoQtyColumn",
     [](const fs::path& s) { copyPatched(testData("gears-numeric.mdb"), s, utf16("QTY"), utf16("QTX")); },
     Target::Empty, false, "has no column QTY"},
    {"QuantityNotAWholeNumber",
     [](const fs::path& s) { copyPatched(testData("gears-text.mdb"), s, utf16("187"), utf16("1x7")); }, Target::Demo,
     true, "the record with ID 149 of Gears, QTY is \"1x7\", which is not a whole number"},
    {"IdTwiceIntoANewFile", [](const fs::path& s) { copyPatched(testData("gears-numeric.mdb"), s, kId149, kId148); },
     Target::Missing, false, "the ID 148 is already in the database"},
    {"IdTwiceIntoAnEmptyFile", [](const fs::path& s) { copyPatched(testData("gears-numeric.mdb"), s, kId149, kId148); },
     Target::Empty, false, "the ID 148 is already in the database"},
    {"IdTwiceReplacingGears", [](const fs::path& s) { copyPatched(testData("gears-numeric.mdb"), s, kId149, kId148); },
     Target::Demo, true, "the ID 148 is already in the database"},
    {"TargetHoldsGears", [](const fs::path& s) { copyOf("gears-edge.mdb", s); }, Target::Demo, false,
     "already holds 24 gears and was left unchanged; add --replace"},
    {"TargetIsAnotherAccessFile", [](const fs::path& s) { copyOf("gears-edge.mdb", s); }, Target::AccessFile, true,
     "zanfiro-db import"},
};

void PrintTo(const Refusal& c, std::ostream* out) { *out << c.name; }

class ImportRefusal : public ::testing::TestWithParam<Refusal> {};

std::set<fs::path> filesUnder(const fs::path& folder) {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) files.insert(entry.path());
    return files;
}

TEST_P(ImportRefusal, ExitsNonZeroWithAClearMessageAndLeavesTheTargetAsItWas) {
    const Refusal& c = GetParam();
    TempDatabase db(TempDatabase::Content::NoFile);
    const fs::path source = db.folder() / "old.mdb";
    c.makeSource(source);
    fs::path target = db.path();
    switch (c.target) {
        case Target::Missing: target = db.folder() / "new" / "NDB" / "DB.mdb"; break;
        case Target::Empty: store::createGearsDatabase(target); break;
        case Target::Demo:
            ASSERT_EQ(runZanfiroDb({"init", target}, db.folder()).exitCode, 0);
            ASSERT_EQ(runZanfiroDb({"demo", target}, db.folder()).exitCode, 0);
            break;
        case Target::AccessFile: copyOf("gears-numeric.mdb", target); break;
    }
    const std::string before = fileBytes(target);
    const std::set<fs::path> files = filesUnder(db.folder());

    std::vector<std::string> args{"import", source.string(), target.string()};
    if (c.replace) args.insert(args.begin() + 1, "--replace");
    const ToolRun run = runZanfiroDb(args, db.folder());

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(fileBytes(target), before);
    EXPECT_EQ(filesUnder(db.folder()), files);  // nothing created, no journal left
}

INSTANTIATE_TEST_SUITE_P(BrokenOrUnfit, ImportRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Import, ReplaceSwapsTheStockAndTheNextGearFollowsTheLargestImportedId) {
    TempDatabase db;
    ASSERT_EQ(runZanfiroDb({"demo", db.path()}, db.folder()).exitCode, 0);
    const ToolRun run =
        runZanfiroDb({"import", "--replace", testData("gears-edge.mdb").string(), db.path()}, db.folder());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Wrote 11 gears to " + db.path().string() + ", in place of the 24 gears it held."));
    EXPECT_THAT(run.out, HasSubstr("IDs 1 to 11, kept as they were; the next new gear gets ID 12.\n"));
    EXPECT_EQ(db.count(), 11);
    EXPECT_EQ(db.insert(30, "64", "C", 1), 12);
}

TEST(Import, AnAccessFileAtTheProgramsPlaceBecomesTheProgramsDatabaseAndIsKeptBeside) {
    TempDatabase home(TempDatabase::Content::NoFile);
    const fs::path place = home.folder() / "NDB" / "DB.mdb";
    fs::create_directories(place.parent_path());
    copyOf("gears-numeric.mdb", place);
    const Environment env{{"HOME", home.folder().string()}};

    const ToolRun run = runZanfiroDb({"import", place.string()}, home.folder(), env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(gearsIn(place).size(), 128u);
    const fs::path kept = home.folder() / "NDB" / "DB-Access.mdb";
    EXPECT_EQ(fileBytes(kept), fileBytes(testData("gears-numeric.mdb")));
    EXPECT_THAT(run.out, HasSubstr("The Access file is kept as " + kept.string()));
    EXPECT_EQ(filesUnder(home.folder()).size(), 3u);  // NDB, DB.mdb, DB-Access.mdb

    // A second Access file there must not overwrite the kept one.
    fs::remove(place);
    copyOf("gears-edge.mdb", place);
    const ToolRun again = runZanfiroDb({"import", place.string()}, home.folder(), env);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_THAT(again.err, HasSubstr("exists already"));
    EXPECT_EQ(fileBytes(place), fileBytes(testData("gears-edge.mdb")));
    EXPECT_EQ(fileBytes(kept), fileBytes(testData("gears-numeric.mdb")));
}

TEST(WindowProgram, MeetingAnAccessFileSaysSoAndNamesTheImportCommand) {
    TempDatabase db(TempDatabase::Content::NoFile);
    copyOf("gears-numeric.mdb", db.path());
    store::Connection connection;
    try {
        connection.open(db.connectionString(), "", "", store::kUnspecified);
        FAIL() << "an Access file opened as the program's database";
    } catch (const store::Failure& failure) {
        EXPECT_THAT(failure.description(), HasSubstr("Access database"));
        EXPECT_THAT(failure.description(), HasSubstr("zanfiro-db import " + db.path().string()));
        EXPECT_THAT(failure.description(), ::testing::Not(HasSubstr("file is not a database")));
    }
}

}  // namespace
}  // namespace zanfiro::testing
