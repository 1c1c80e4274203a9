// zanfiro-db run as the operator runs it, on real files and on the Access files in tests/data.
#include <gmock/gmock.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <regex>

#include "temp_database.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

struct Outcome {
    int exit;
    std::string out;  // standard output and error together
    std::string said() const { return std::to_string(exit) + " " + out; }
};

// Runs `program` in `folder`, which is also its home so that nothing reaches the real ~/NDB. `program` goes to the
// shell as written: NAME=value entries before it and plain words after it are welcome.
Outcome run(const fs::path& folder, const std::vector<std::string>& args, const std::string& program = ZANFIRO_DB) {
    std::string command = "cd '" + folder.string() + "' && HOME='" + folder.string() + "' " + program;
    for (const auto& arg : args) command += " '" + std::regex_replace(arg, std::regex("'"), "'\\''") + "'";
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out(1 << 20, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), pipe));
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string data(const std::string& file) { return TEST_DATA_DIR "/" + file; }

std::string bytesOf(const fs::path& f) { return {std::istreambuf_iterator(std::ifstream(f).rdbuf()), {}}; }

// Every path under `folder` with its bytes: what a refused command must leave as it found it.
std::string everything(const fs::path& folder) {
    std::string all;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) all += entry.path().string() + bytesOf(entry);
    return all;
}

TEST(Import, StoresEveryRecordOfEachAccessFileAsMdbExportPrintsItAndTheNextGearFollowsTheLargestId) {
    const std::string none = "Values converted: 0.\n";
    const std::string awkward = none + "Missing values, kept missing: 4.\nEmpty texts, kept empty: 1.\n";
    const struct {
        std::string name, env;
        int count, lastId;
        std::string report;
    } fixtures[] = {{"numeric", "", 128, 149, none},
                    {"text", "", 128, 149, "Values converted: 256.\n  to whole numbers: D 128, QTY 128\n"},
                    {"edge", "", 11, 11, awkward},
                    {"edge", "MDBICONV=ISO-8859-1 ", 11, 11, awkward}};  // the shell's charset must not reach the texts
    for (const auto& [name, env, count, lastId, report] : fixtures) {
        SCOPED_TRACE(env + name);
        const std::string n = std::to_string(count), l = std::to_string(lastId), file = data("gears-" + name + ".mdb");
        TempDatabase db(TempDatabase::Content::NoFile);
        EXPECT_EQ(run(db.folder(), {"import", file, "DB.mdb"}, env + ZANFIRO_DB).said(),
                  "0 Read " + n + " records from the table Gears of " + file + " (Access, Jet 4).\nWrote " + n +
                      " gears to the new database " + db.path().string() + ".\nIDs 1 to " + l +
                      ", kept as they were; the next new gear gets ID " + std::to_string(lastId + 1) + ".\n" + report);
        std::ofstream(db.folder() / "old.csv") << run(db.folder(), {file, "Gears"}, "MDBICONV=UTF-8 mdb-export").out;
        // mdb-export prints a missing value and an empty text alike, as nothing: so does printf's %s.
        const std::string rows = "SELECT printf('%s,%s,%s,%s,%s', ID, D, M, T, QTY) FROM ";
        EXPECT_EQ(run(db.folder(), {"DB.mdb", rows + "Gears ORDER BY ID"}, "sqlite3").out,
                  run(db.folder(), {":memory:", ".import --csv old.csv o", rows + "o ORDER BY ID + 0"}, "sqlite3").out);
        EXPECT_EQ(db.insert(12, "48", "P", 1), lastId + 1);
    }
}

TEST(Import, ReplaceSwapsTheStockKeepingNullApartFromEmptyTextAndTheNextGearFollowsTheLargestImportedId) {
    TempDatabase db;
    run(db.folder(), {"demo", "DB.mdb"});
    EXPECT_THAT(run(db.folder(), {"import", "--replace", data("gears-edge.mdb"), "DB.mdb"}).said(),
                HasSubstr("Wrote 11 gears to " + db.path().string() + ", in place of the 24 gears it held.\n"));
    const std::vector<store::GearRecord> expected{{num(1), num(20), txt("0.4"), txt("C"), num(12)},
                                                  {num(2), null(), txt("0.6"), txt("P"), num(3)},
                                                  {num(3), num(30), null(), txt("C"), num(4)},
                                                  {num(4), num(31), txt("48"), null(), num(5)},
                                                  {num(5), num(32), txt("64"), txt("P"), null()},
                                                  {num(6), num(40), txt("0.4 "), txt("C"), num(1)},
                                                  {num(7), num(41), txt("O'Brien"), txt("P"), num(2)},
                                                  {num(8), num(42), txt("\u00b5-Modul \u00e4"), txt("c"), num(6)},
                                                  {num(9), num(43), txt(""), txt("P"), num(7)},
                                                  {num(10), num(44), txt("64"), txt("P"), num(2147483647)},
                                                  {num(11), num(-1), txt("0.6"), txt("C"), num(0)}};
    EXPECT_EQ(db.gears(), expected);
    EXPECT_EQ(db.insert(30, "64", "C", 1), 12);
}

TEST(Import, RefusesUnfitSourcesAndFullTargetsExitingNonZeroAndLeavingEveryFileAsItWas) {
    // Jet 4 keeps names and texts as UTF-16LE, so broken copies are made by replacing bytes in place.
    const auto utf16 = [](std::string ascii) {
        std::string out;
        for (char c : ascii) out += {c, '\0'};
        return out;
    };
    const std::string id149("\x95\0\0\0\x24\0\0\0", 8), id148("\x94\0\0\0\x24\0\0\0", 8);  // ID, D of the last record
    const struct {
        const char* fixture;
        std::string what, by;
        bool demo;
        std::string args, said;
    } cases[] = {
        {nullptr, "", "", false, "old.mdb DB.mdb", "not an Access database"},
        {"gears-numeric.mdb", utf16("Gears"), utf16("Gearz"), false, "old.mdb new/DB.mdb", "has no table Gears"},
        {"gears-numeric.mdb", utf16("QTY"), utf16("QTX"), false, "old.mdb DB.mdb", "has no column QTY"},
        {"gears-text.mdb",
         utf16("187"),
         utf16("1x7"),
         true,
         "--replace old.mdb DB.mdb",
         "the record with ID 149 of Gears, QTY is \"1x7\", which is not a whole number"},
        {"gears-numeric.mdb", id149, id148, false, "old.mdb new/DB.mdb", "the ID 148 is already in the database"},
        {"gears-numeric.mdb", id149, id148, true, "--replace old.mdb DB.mdb", "the ID 148 is already in the database"},
        {"gears-edge.mdb", "", "", true, "old.mdb DB.mdb", "holds 24 gears and was left unchanged; add --replace"}};
    for (const auto& [fixture, what, by, demo, args, said] : cases) {
        TempDatabase db;
        if (demo) run(db.folder(), {"demo", "DB.mdb"});
        std::string bytes = fixture ? bytesOf(data(fixture)) : "ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n";
        for (auto at = bytes.find(what); !what.empty() && at != std::string::npos; at = bytes.find(what, at + 1))
            bytes.replace(at, what.size(), by);
        std::ofstream(db.folder() / "old.mdb", std::ios::binary) << bytes;
        const std::string before = everything(db.folder());
        EXPECT_THAT(run(db.folder(), {}, ZANFIRO_DB " import " + args).said(),
                    AllOf(StartsWith("1 "), HasSubstr(said)));
        EXPECT_EQ(everything(db.folder()), before) << said;
    }
}

TEST(Export, WritesCsvThatReadsBackWithQuotesCommasAndLineBreaksAndTellsNullFromEmptyText) {
    TempDatabase db;
    db.insertWithId(2, null(), txt("a,b"), txt("say \"hi\""), null());
    db.insertWithId(1, num(20), txt("0.4"), txt("C"), num(12));
    db.insertWithId(3, txt("12a"), txt(""), txt("two\r\nlines"), num(-7));
    const Outcome exported = run(db.folder(), {"export", "DB.mdb"});
    EXPECT_EQ(exported.out,
              "ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n2,,\"a,b\",\"say \"\"hi\"\"\",\r\n"
              "3,12a,\"\",\"two\r\nlines\",-7\r\n");
    std::ofstream(db.folder() / "out.csv", std::ios::binary) << exported.out;
    EXPECT_EQ(run(db.folder(), {":memory:", ".import --csv out.csv t", "SELECT * FROM t"}, "sqlite3").out,
              "1|20|0.4|C|12\n2||a,b|say \"hi\"|\n3|12a||two\r\nlines|-7\n");
}

TEST(ZanfiroDb, PathInitDemoAndImportServeTheProgramsPlaceOrAGivenPathAndWrongCommandLinesAreRefused) {
    TempDatabase home(TempDatabase::Content::NoFile);
    const std::string folder = home.folder().string(), place = folder + "/NDB/DB.mdb";
    const std::pair<std::vector<std::string>, std::string> runs[] = {
        // arguments, exit code and what is said
        {{"path"}, "0 " + place + "\n"},
        {{"init"}, "0 Created an empty gear database at " + place + "\n"},
        {{"demo"}, "0 Wrote 24 sample gears to " + place + "\n"},
        {{"init"}, "1 zanfiro-db: the file already exists and was left untouched: " + place},
        {{"demo"}, "1 zanfiro-db: the Gears table already holds gears"},
        {{"init", "a/b.mdb"}, "0 Created an empty gear database at " + folder + "/a/b.mdb" + "\n"},
        {{"export", "missing.mdb"}, "1 zanfiro-db: unable to open database file: " + folder + "/missing.mdb"},
        {{"export", data("gears-edge.mdb")}, "1 zanfiro-db: this is an Access database from the old Windows program"},
        {{}, "2 usage: zanfiro-db COMMAND"},
        {{"frobnicate"}, "2 zanfiro-db: unknown command frobnicate\n\nusage:"},
        {{"init", "a.mdb", "b.mdb"}, "2 zanfiro-db: too many arguments for init\n\nusage:"},
        {{"import"}, "2 zanfiro-db: import needs the Access file to read\n\nusage:"}};
    for (const auto& [args, said] : runs) EXPECT_THAT(run(folder, args).said(), StartsWith(said));
    EXPECT_EQ(run(folder,
                  {place,
                   "SELECT count(*), count(DISTINCT T), count(DISTINCT M) FROM Gears WHERE "
                   "T IN ('C', 'P') AND M IN ('0.4', '0.6', '48', '64')"},
                  "sqlite3")
                  .out,
              "24|2|4\n");
    EXPECT_FALSE(fs::exists(folder + "/missing.mdb"));
    // An Access file put where the program looks becomes its database and is kept beside it, never overwritten.
    const std::string kept = folder + "/NDB/DB-Access.mdb";
    fs::copy_file(data("gears-edge.mdb"), place, fs::copy_options::overwrite_existing);
    EXPECT_THAT(run(folder, {"import", place}).said(),
                HasSubstr(".\nThe Access file is kept as " + kept + ".\nWrote 11 gears to " + place + ".\n"));
    fs::copy_file(data("gears-numeric.mdb"), place, fs::copy_options::overwrite_existing);
    EXPECT_THAT(run(folder, {"import", place}).said(), AllOf(StartsWith("1 "), HasSubstr(kept + ", which exists")));
    EXPECT_EQ(bytesOf(kept), bytesOf(data("gears-edge.mdb")));
}

}  // namespace
}  // namespace zanfiro::testing
