// zanfiro-db run as the operator runs it, on real files and on the Access files in tests/data.
#include <gmock/gmock.h>

#include "temp_database.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
using zanfiro::testing::PrintTo;
namespace fs = std::filesystem;

std::string data(const std::string& file) { return TEST_DATA_DIR "/" + file; }

// An Access file imported into a new database: what the import reports after the IDs.
struct Source {
    const char* name;
    std::string file, shell;  // shell: NAME=value settings the command runs under
    int count, lastId;
    std::string report;
};
const std::string kNoneConverted = "Values converted: 0.\n";
const std::string kTextsConverted = "Values converted: 256.\n  to whole numbers: D 128, QTY 128\n";
const std::string kAwkward = kNoneConverted + "Missing values, kept missing: 4.\nEmpty texts, kept empty: 1.\n";
const std::string kLatin1 = "MDBICONV=ISO-8859-1 ";  // the shell's charset, which must not reach the texts
const Source kSources[] = {
    {.name = "Numeric", .file = "gears-numeric.mdb", .count = 128, .lastId = 149, .report = kNoneConverted},
    {.name = "Text", .file = "gears-text.mdb", .count = 128, .lastId = 149, .report = kTextsConverted},
    {.name = "Edge", .file = "gears-edge.mdb", .count = 11, .lastId = 11, .report = kAwkward},
    {.name = "EdgeUnderLatin1",
     .file = "gears-edge.mdb",
     .shell = kLatin1,
     .count = 11,
     .lastId = 11,
     .report = kAwkward},
};

class Import : public TestWithParam<Source> {
protected:
    void SetUp() override { said = run(db.folder(), {"import", file, "DB.mdb"}, GetParam().shell + ZANFIRO_DB).said(); }
    const std::string file = data(GetParam().file);
    TempDatabase db{TempDatabase::Content::NoFile};
    std::string said;
};
INSTANTIATE_TEST_SUITE_P(, Import, ValuesIn(kSources), CaseName());

TEST_P(Import, ReportsTheRecordsReadTheGearsWrittenAndTheNextId) {
    const std::string n = std::to_string(GetParam().count), last = std::to_string(GetParam().lastId);
    EXPECT_EQ(said,
              "0 Read " + n + " records from the table Gears of " + file + " (Access, Jet 4).\nWrote " + n +
                  " gears to the new database " + db.path().string() + ".\nIDs 1 to " + last +
                  ", kept as they were; the next new gear gets ID " + std::to_string(GetParam().lastId + 1) + ".\n" +
                  GetParam().report);
}

TEST_P(Import, StoresEveryRecordAsMdbExportPrintsIt) {
    std::ofstream(db.folder() / "old.csv") << run(db.folder(), {file, "Gears"}, "MDBICONV=UTF-8 mdb-export").out;
    // mdb-export prints a missing value and an empty text alike, as nothing: so does printf's %s.
    const std::string rows = "SELECT printf('%s,%s,%s,%s,%s', ID, D, M, T, QTY) FROM ";
    EXPECT_EQ(run(db.folder(), {"DB.mdb", rows + "Gears ORDER BY ID"}, "sqlite3").out,
              run(db.folder(), {":memory:", ".import --csv old.csv o", rows + "o ORDER BY ID + 0"}, "sqlite3").out);
}

// The demo stock replaced by the awkward gears of gears-edge.mdb.
class ImportReplacing : public Test {
protected:
    void SetUp() override {
        run(db.folder(), {"demo", "DB.mdb"});
        said = run(db.folder(), {"import", "--replace", data("gears-edge.mdb"), "DB.mdb"}).said();
    }
    TempDatabase db;
    std::string said;
};

TEST_F(ImportReplacing, ReportsHowManyGearsItReplaced) {
    EXPECT_THAT(said, HasSubstr("Wrote 11 gears to " + db.path().string() + ", in place of the 24 gears it held.\n"));
}

TEST_F(ImportReplacing, KeepsNullApartFromEmptyText) {
    EXPECT_EQ(db.gears(),
              (std::vector<store::GearRecord>{
                  {.ID = num(1), .D = num(20), .M = txt("0.4"), .T = txt("C"), .QTY = num(12)},
                  {.ID = num(2), .D = null(), .M = txt("0.6"), .T = txt("P"), .QTY = num(3)},
                  {.ID = num(3), .D = num(30), .M = null(), .T = txt("C"), .QTY = num(4)},
                  {.ID = num(4), .D = num(31), .M = txt("48"), .T = null(), .QTY = num(5)},
                  {.ID = num(5), .D = num(32), .M = txt("64"), .T = txt("P"), .QTY = null()},
                  {.ID = num(6), .D = num(40), .M = txt("0.4 "), .T = txt("C"), .QTY = num(1)},
                  {.ID = num(7), .D = num(41), .M = txt("O'Brien"), .T = txt("P"), .QTY = num(2)},
                  {.ID = num(8), .D = num(42), .M = txt("\u00b5-Modul \u00e4"), .T = txt("c"), .QTY = num(6)},
                  {.ID = num(9), .D = num(43), .M = txt(""), .T = txt("P"), .QTY = num(7)},
                  {.ID = num(10), .D = num(44), .M = txt("64"), .T = txt("P"), .QTY = num(2147483647)},
                  {.ID = num(11), .D = num(-1), .M = txt("0.6"), .T = txt("C"), .QTY = num(0)},
              }));
}

// The demo stock's gears had IDs up to 24, the imported ones up to 11: gear 12 would mix two gears' histories.
TEST_F(ImportReplacing, NextGearNeverTakesAnIdTheReplacedGearsHad) {
    EXPECT_THAT(said, HasSubstr("IDs 1 to 11, kept as they were; the next new gear gets ID 25.\n"));
    EXPECT_EQ(db.insert(30, "64", "C", 1), 25);
}

// Jet 4 keeps names and texts as UTF-16LE, so broken copies are made by replacing bytes in place.
std::string utf16(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) out += {c, '\0'};
    return out;
}
const std::string kId149("\x95\0\0\0\x24\0\0\0", 8), kId148("\x94\0\0\0\x24\0\0\0", 8);  // ID and D of a record

// A file put beside the target as old.mdb, the target empty or holding the demo stock: an import that refuses
// exits with 1, says why, and leaves every file in the folder as it was, creating none.
class ImportRefusing : public Test {
protected:
    void put(const std::string& fixture, const std::string& what = "", const std::string& by = "") {
        std::string bytes = bytesOf(data(fixture));
        for (auto at = bytes.find(what); !what.empty() && at != std::string::npos; at = bytes.find(what, at + 1))
            bytes.replace(at, what.size(), by);
        std::ofstream(db.folder() / "old.mdb", std::ios::binary) << bytes;
    }
    void holdDemoStock() { run(db.folder(), {"demo", "DB.mdb"}); }
    void expectRefused(const std::string& args, const std::string& why) {
        const std::string before = everything(db.folder());
        EXPECT_THAT(run(db.folder(), {}, ZANFIRO_DB " import " + args).said(), AllOf(StartsWith("1 "), HasSubstr(why)));
        EXPECT_EQ(everything(db.folder()), before);
    }
    TempDatabase db;
};

TEST_F(ImportRefusing, FileThatIsNoAccessDatabase) {
    std::ofstream(db.folder() / "old.mdb", std::ios::binary) << "ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n";
    expectRefused("old.mdb DB.mdb", "not an Access database");
}

TEST_F(ImportRefusing, AccessFileWithoutGears) {
    put("gears-numeric.mdb", utf16("Gears"), utf16("Gearz"));
    expectRefused("old.mdb new/DB.mdb", "has no table Gears");
}

TEST_F(ImportRefusing, GearsWithoutQty) {
    put("gears-numeric.mdb", utf16("QTY"), utf16("QTX"));
    expectRefused("old.mdb DB.mdb", "has no column QTY");
}

TEST_F(ImportRefusing, QuantityThatIsNoWholeNumberNamingTheRecord) {
    holdDemoStock();
    put("gears-text.mdb", utf16("187"), utf16("1x7"));
    expectRefused("--replace old.mdb DB.mdb",
                  "the record with ID 149 of Gears, QTY is \"1x7\", which is not a whole number");
}

TEST_F(ImportRefusing, IdThatComesTwiceIntoANewFile) {
    put("gears-numeric.mdb", kId149, kId148);
    expectRefused("old.mdb new/DB.mdb", "the ID 148 is already in the database");
}

TEST_F(ImportRefusing, DatabaseHoldingGearsWithoutReplace) {
    holdDemoStock();
    put("gears-edge.mdb");
    expectRefused("old.mdb DB.mdb", "holds 24 gears and was left unchanged; add --replace");
}

// Null and empty text, quotes, commas and line breaks, a text where a number belongs.
TEST(Export, WritesQuotedCsvByIdWithNullAsNothingAndEmptyTextQuoted) {
    TempDatabase db;
    db.insertWithId(2, null(), txt("a,b"), txt("say \"hi\""), null());
    db.insertWithId(1, num(20), txt("0.4"), txt("C"), num(12));
    db.insertWithId(3, txt("12a"), txt(""), txt("two\r\nlines"), num(-7));
    EXPECT_EQ(run(db.folder(), {"export", "DB.mdb"}).out,
              "ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n2,,\"a,b\",\"say \"\"hi\"\"\",\r\n"
              "3,12a,\"\",\"two\r\nlines\",-7\r\n");
}

// An operator's home with no database yet; the program's place for it is NDB/DB.mdb.
class ZanfiroDb : public Test {
protected:
    Outcome zanfiroDb(const std::vector<std::string>& args) { return run(folder, args); }
    TempDatabase home{TempDatabase::Content::NoFile};
    const std::string folder = home.folder().string(), place = folder + "/NDB/DB.mdb";
};

TEST_F(ZanfiroDb, PathSaysWhereTheProgramKeepsItsDatabase) {
    EXPECT_EQ(zanfiroDb({"path"}).said(), "0 " + place + "\n(no database yet: zanfiro-db init makes one)\n");
}

TEST_F(ZanfiroDb, PathSaysWhichEngineServesTheStock) {
    zanfiroDb({"init"});
    EXPECT_EQ(zanfiroDb({"path"}).said(), "0 " + place + "\n(an SQLite database file)\n");
}

TEST_F(ZanfiroDb, InitCreatesTheDatabaseOnceAndNeverOverwritesIt) {
    EXPECT_EQ(zanfiroDb({"init"}).said(), "0 Created an empty gear database at " + place + "\n");
    EXPECT_THAT(zanfiroDb({"init"}).said(),
                StartsWith("1 zanfiro-db: the file already exists and was left untouched: " + place));
}

TEST_F(ZanfiroDb, DemoFillsAnEmptyTableOnceWithBothTypesOfEveryModule) {
    zanfiroDb({"init"});
    EXPECT_EQ(zanfiroDb({"demo"}).said(), "0 Wrote 24 sample gears to " + place + "\n");
    EXPECT_THAT(zanfiroDb({"demo"}).said(), StartsWith("1 zanfiro-db: the Gears table already holds gears"));
    const std::string kinds =
        "SELECT count(*), count(DISTINCT T), count(DISTINCT M) FROM Gears WHERE "
        "T IN ('C', 'P') AND M IN ('0.4', '0.6', '48', '64')";
    EXPECT_EQ(run(folder, {place, kinds}, "sqlite3").out, "24|2|4\n");
}

TEST_F(ZanfiroDb, InitAtAGivenPathCreatesItsFolders) {
    EXPECT_EQ(zanfiroDb({"init", "a/b.mdb"}).said(), "0 Created an empty gear database at " + folder + "/a/b.mdb\n");
}

TEST_F(ZanfiroDb, WrongCommandLineShowsTheUsageExitingWith2) {
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {.args = {}, .said = "2 usage: zanfiro-db COMMAND"},
        {.args = {"frobnicate"}, .said = "2 zanfiro-db: unknown command frobnicate\n\nusage:"},
        {.args = {"init", "a.mdb", "b.mdb"}, .said = "2 zanfiro-db: too many arguments for init\n\nusage:"},
        {.args = {"import"}, .said = "2 zanfiro-db: import needs the Access file to read\n\nusage:"},
    };
    for (const auto& c : cases) EXPECT_THAT(zanfiroDb(c.args).said(), StartsWith(c.said));
}

TEST_F(ZanfiroDb, AccessFileAtTheProgramsPlaceIsKeptBesideItsImport) {
    const std::string kept = folder + "/NDB/DB-Access.mdb";
    fs::create_directories(folder + "/NDB");
    fs::copy_file(data("gears-edge.mdb"), place);
    EXPECT_THAT(zanfiroDb({"import", place}).said(),
                HasSubstr(".\nThe Access file is kept as " + kept + ".\nWrote 11 gears to " + place + ".\n"));
    fs::copy_file(data("gears-numeric.mdb"), place, fs::copy_options::overwrite_existing);
    EXPECT_THAT(zanfiroDb({"import", place}).said(), AllOf(StartsWith("1 "), HasSubstr(kept + ", which exists")));
    EXPECT_EQ(bytesOf(kept), bytesOf(data("gears-edge.mdb")));
}

}  // namespace
}  // namespace zanfiro::testing
