// zanfiro-db run as the operator runs it, on real files and on the Access files in tests/data.
#include <gmock/gmock.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "temp_database.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;

struct Outcome { int exit; std::string out; };  // out: standard output and error together

// Runs `program` in `folder` with extra "NAME=value" environment entries.
Outcome run(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
            const std::vector<std::string>& env = {}) {
    const auto quoted = [](std::string text) {
        for (auto at = text.find('\''); at != std::string::npos; at = text.find('\'', at + 4))
            text.replace(at, 1, "'\\''");
        return " '" + text + "'";
    };
    std::string command = "cd" + quoted(folder) + " && env";
    for (const auto& part : env) command += quoted(part);
    command += quoted(program);
    for (const auto& arg : args) command += quoted(arg);
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out(1 << 20, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), pipe));
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string data(const std::string& file) { return TEST_DATA_DIR "/" + file; }

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// gears-NAME.mdb, its count and last ID, what the import says, the environment it runs in
using Fixture = std::tuple<std::string, int, int, std::string, std::vector<std::string>>;
class ImportOfFixture : public TestWithParam<Fixture> {};

TEST_P(ImportOfFixture, StoresEveryRecordAsMdbExportPrintsItAndTheNextGearFollowsTheLargestId) {
    const auto& [name, count, lastId, converted, env] = GetParam();
    const std::string n = std::to_string(count), file = data("gears-" + name + ".mdb");
    TempDatabase db(TempDatabase::Content::NoFile);
    const Outcome imported = run(ZANFIRO_DB, {"import", file, "DB.mdb"}, db.folder(), env);
    ASSERT_EQ(imported.exit, 0) << imported.out;
    EXPECT_THAT(imported.out, HasSubstr("Wrote " + n + " gears to the new database " + db.path().string()));
    EXPECT_THAT(imported.out, HasSubstr(converted));
    std::ofstream(db.folder() / "old.csv")
        << run("mdb-export", {file, "Gears"}, db.folder(), {"MDBICONV=UTF-8"}).out;
    // mdb-export prints a missing value and an empty text alike, as nothing.
    const std::string same = "coalesce(n.D, '') = o.D AND coalesce(n.M, '') = o.M AND coalesce(n.T, '') = o.T AND "
                             "coalesce(n.QTY, '') = o.QTY";
    EXPECT_EQ(run("sqlite3", {":memory:", ".import --csv old.csv o", "ATTACH 'DB.mdb' AS new",
                              "SELECT count(*), (SELECT count(*) FROM new.Gears), sum(" + same +
                                  ") FROM o LEFT JOIN new.Gears n USING (ID)"}, db.folder()).out,
              n + "|" + n + "|" + n + "\n");
    EXPECT_EQ(db.insert(12, "48", "P", 1), lastId + 1);
}

INSTANTIATE_TEST_SUITE_P(TestData, ImportOfFixture, Values(
    Fixture{"numeric", 128, 149, "Values converted: 0.\n", {}},
    Fixture{"text", 128, 149, "Values converted: 256.\n  to whole numbers: D 128, QTY 128\n", {}},
    Fixture{"edge", 11, 11, "Values converted: 0.\n", {}},
    // The charset the operator's shell asks mdbtools for must not reach the texts.
    Fixture{"edge", 11, 11, "Values converted: 0.\n", {"MDBICONV=ISO-8859-1"}}),
    [](const auto& info) { return std::get<0>(info.param) + (std::get<4>(info.param).empty() ? "" : "UnderLatin1"); });

TEST(Import, ReplaceSwapsTheStockKeepingAwkwardValuesAndTheNextGearFollowsTheLargestImportedId) {
    TempDatabase db;
    ASSERT_EQ(run(ZANFIRO_DB, {"demo", "DB.mdb"}, db.folder()).exit, 0);
    const Outcome imported = run(ZANFIRO_DB, {"import", "--replace", data("gears-edge.mdb"), "DB.mdb"}, db.folder());
    EXPECT_THAT(imported.out,
                HasSubstr("Wrote 11 gears to " + db.path().string() + ", in place of the 24 gears it held."));
    EXPECT_THAT(imported.out, HasSubstr("Missing values, kept missing: 4.\nEmpty texts, kept empty: 1.\n"));
    const std::vector<StoredGear> expected{
        {1, num(20), txt("0.4"), txt("C"), num(12)},    {2, null(), txt("0.6"), txt("P"), num(3)},
        {3, num(30), null(), txt("C"), num(4)},         {4, num(31), txt("48"), null(), num(5)},
        {5, num(32), txt("64"), txt("P"), null()},      {6, num(40), txt("0.4 "), txt("C"), num(1)},
        {7, num(41), txt("O'Brien"), txt("P"), num(2)}, {8, num(42), txt("\u00b5-Modul \u00e4"), txt("c"), num(6)},
        {9, num(43), txt(""), txt("P"), num(7)},        {10, num(44), txt("64"), txt("P"), num(2147483647)},
        {11, num(-1), txt("0.6"), txt("C"), num(0)}};
    EXPECT_EQ(db.gears(), expected);
    EXPECT_EQ(db.insert(30, "64", "C", 1), 12);
}

TEST(Import, AnAccessFileAtTheProgramsPlaceBecomesItsDatabaseAndIsKeptBesideNeverOverwritten) {
    TempDatabase home(TempDatabase::Content::NoFile);
    const std::string folder = home.folder().string(), place = folder + "/NDB/DB.mdb";
    fs::create_directories(folder + "/NDB");
    const std::pair<const char*, std::string> imports[] = {
        {"gears-numeric.mdb", "The Access file is kept as " + folder + "/NDB/DB-Access.mdb"},
        {"gears-edge.mdb", "exists already"}};  // a second Access file must not overwrite the kept one
    for (const auto& [fixture, said] : imports) {
        fs::copy_file(data(fixture), place, fs::copy_options::overwrite_existing);
        EXPECT_THAT(run(ZANFIRO_DB, {"import", place}, folder, {"HOME=" + folder}).out, HasSubstr(said));
    }
    EXPECT_EQ(bytesOf(folder + "/NDB/DB-Access.mdb"), bytesOf(data("gears-numeric.mdb")));
    EXPECT_EQ(bytesOf(place), bytesOf(data("gears-edge.mdb")));
}

TEST(Import, RefusesUnfitSourcesAndFullTargetsExitingNonZeroAndLeavingTheTargetByteForByte) {
    // Jet 4 keeps names and texts as UTF-16LE, so broken copies are made by replacing bytes in place.
    const auto utf16 = [](std::string ascii) { std::string out; for (char c : ascii) out += {c, '\0'}; return out; };
    const std::string id149("\x95\0\0\0\x24\0\0\0", 8), id148("\x94\0\0\0\x24\0\0\0", 8);  // ID, D of the last record
    const struct { const char* fixture; std::string what, by, target, said; } refusals[] = {
        {nullptr, "", "", "init", "not an Access database"},
        {"gears-numeric.mdb", utf16("Gears"), utf16("Gearz"), "none", "has no table Gears"},
        {"gears-numeric.mdb", utf16("QTY"), utf16("QTX"), "init", "has no column QTY"},
        {"gears-text.mdb", utf16("187"), utf16("1x7"), "demo --replace",
         "the record with ID 149 of Gears, QTY is \"1x7\", which is not a whole number"},
        {"gears-numeric.mdb", id149, id148, "none", "the ID 148 is already in the database"},
        {"gears-numeric.mdb", id149, id148, "demo --replace", "the ID 148 is already in the database"},
        {"gears-edge.mdb", "", "", "demo", "already holds 24 gears and was left unchanged; add --replace"},
    };
    for (const auto& [fixture, what, by, target, said] : refusals) {
        SCOPED_TRACE(said);
        TempDatabase db(TempDatabase::Content::NoFile);
        std::string bytes = fixture ? bytesOf(data(fixture)) : "ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n";
        for (auto at = bytes.find(what); !what.empty() && at != std::string::npos; at = bytes.find(what, at + 1))
            bytes.replace(at, what.size(), by);
        std::ofstream(db.folder() / "old.mdb", std::ios::binary) << bytes;
        std::vector<std::string> args{"import", "old.mdb", target == "none" ? "new/DB.mdb" : "DB.mdb"};
        if (target != "none") run(ZANFIRO_DB, {"init", "DB.mdb"}, db.folder());
        if (target.starts_with("demo")) run(ZANFIRO_DB, {"demo", "DB.mdb"}, db.folder());
        if (target.ends_with("--replace")) args.insert(args.begin() + 1, "--replace");
        const std::string before = bytesOf(db.path());
        const auto files = std::distance(fs::recursive_directory_iterator(db.folder()), {});
        const Outcome refused = run(ZANFIRO_DB, args, db.folder());
        EXPECT_EQ(refused.exit, 1);
        EXPECT_THAT(refused.out, HasSubstr(said));
        EXPECT_EQ(bytesOf(db.path()), before);
        EXPECT_EQ(std::distance(fs::recursive_directory_iterator(db.folder()), {}), files);
    }
}

TEST(Export, WritesCsvThatReadsBackWithQuotesCommasAndLineBreaksAndTellsNullFromEmptyText) {
    TempDatabase db;
    db.insertWithId(2, null(), txt("a,b"), txt("say \"hi\""), null());
    db.insertWithId(1, num(20), txt("0.4"), txt("C"), num(12));
    db.insertWithId(3, txt("12a"), txt(""), txt("two\r\nlines"), num(-7));
    const Outcome exported = run(ZANFIRO_DB, {"export", "DB.mdb"}, db.folder());
    EXPECT_EQ(exported.out, "ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n2,,\"a,b\",\"say \"\"hi\"\"\",\r\n"
                            "3,12a,\"\",\"two\r\nlines\",-7\r\n");
    std::ofstream(db.folder() / "out.csv", std::ios::binary) << exported.out;
    EXPECT_EQ(run("sqlite3", {":memory:", ".import --csv out.csv t", "SELECT * FROM t"}, db.folder()).out,
              "1|20|0.4|C|12\n2||a,b|say \"hi\"|\n3|12a||two\r\nlines|-7\n");
}

TEST(ZanfiroDb, PathInitAndDemoServeTheProgramsPlaceOrAGivenPathAndWrongCommandLinesAreRefused) {
    TempDatabase home(TempDatabase::Content::NoFile);
    const std::string folder = home.folder().string(), place = folder + "/NDB/DB.mdb";
    const std::pair<std::vector<std::string>, std::string> runs[] = {  // arguments, exit code and what is said
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
        {{"import"}, "2 zanfiro-db: import needs the Access file to read\n\nusage:"},
    };
    for (const auto& [args, said] : runs) {
        const Outcome r = run(ZANFIRO_DB, args, home.folder(), {"HOME=" + home.folder().string()});
        EXPECT_THAT(std::to_string(r.exit) + " " + r.out, StartsWith(said));
    }
    EXPECT_EQ(run("sqlite3", {place, "SELECT count(*), count(DISTINCT T), count(DISTINCT M) FROM Gears WHERE "
                                     "T IN ('C', 'P') AND M IN ('0.4', '0.6', '48', '64')"}, home.folder()).out,
              "24|2|4\n");
    EXPECT_FALSE(fs::exists(home.folder() / "missing.mdb"));
}

}  // namespace
}  // namespace zanfiro::testing
