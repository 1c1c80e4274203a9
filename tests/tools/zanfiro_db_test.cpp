// zanfiro-db run as the operator runs it, on real files and on the Access files in tests/data.
#include <gmock/gmock.h>

#include <functional>

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

// The imported gears have IDs up to 11; a new gear 12 would mix two gears' histories, whatever names an old ID:
// the counter, the signed changes of a gear when the counter was set back by hand, levels left by a gear gone.
TEST(ImportReplacingGears, NextGearNeverTakesAnIdTheDatabaseNamed) {
    const struct {
        const char* what;
        std::string sql;  // on the demo stock, with sqlite3
        std::int64_t next;
    } cases[] = {
        {.what = "the counter", .sql = "SELECT 1", .next = 41},
        {.what = "the history", .sql = "UPDATE sqlite_sequence SET seq = 24", .next = 41},
        {.what = "the levels",
         .sql = "UPDATE sqlite_sequence SET seq = 24; INSERT INTO GearLevels VALUES (50, 1, 2)",
         .next = 51},
    };
    for (const auto& [what, sql, next] : cases) {
        SCOPED_TRACE(what);
        TempDatabase db;
        run(db.folder(), {"demo", "DB.mdb"});
        // Gear 40, inserted and deleted by a program that signs its changes.
        db.insertWithId(40, num(20), txt("48"), txt("P"), num(1));
        db.execute("DELETE FROM Gears WHERE ID = 40");
        run(db.folder(), {"DB.mdb", sql}, "sqlite3");
        EXPECT_THAT(run(db.folder(), {"import", "--replace", data("gears-edge.mdb"), "DB.mdb"}).said(),
                    HasSubstr("IDs 1 to 11, kept as they were; the next new gear gets ID " + std::to_string(next)));
        EXPECT_EQ(db.insert(30, "64", "C", 1), next);
    }
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

// The line of one check in what `zanfiro-db check` printed, and its last line.
std::string checkLine(const std::string& out, const std::string& check) {
    std::smatch line;
    return std::regex_search(out, line, std::regex("(^|\n)([a-z]+ +" + check + ": [^\n]*)")) ? line[2].str() : "";
}
std::string lastLine(const std::string& out) {
    const auto end = out.find_last_not_of('\n');
    return out.substr(out.rfind('\n', end) + 1, end - out.rfind('\n', end));
}

// A home whose database has the demo stock, a backup taken just now and the daily timer turned on: sound.
struct SoundHome {
    SoundHome() {
        zanfiroDb({"init"});
        zanfiroDb({"demo"});
        zanfiroDb({"backup"});
        const fs::path wants = folder / ".config/systemd/user/timers.target.wants";
        fs::create_directories(wants);
        fs::create_symlink("/usr/lib/systemd/user/zanfiro-backup.timer", wants / "zanfiro-backup.timer");
    }
    Outcome zanfiroDb(const std::vector<std::string>& args) const { return run(folder, args); }
    // The settings of the test's own environment stay out of it.
    Outcome check(const std::vector<std::string>& args = {"check"}) const {
        return run(folder, args, "XDG_CONFIG_HOME= " ZANFIRO_DB);
    }
    void sql(const std::string& statements) const {
        ASSERT_EQ(run(folder, {place.string(), statements}, "sqlite3").said(), "0 ");
    }
    TempDatabase temp{TempDatabase::Content::NoFile};
    const fs::path folder = temp.folder(), place = folder / "NDB/DB.mdb";
};

TEST(StockCheck, OnASoundStockEveryLineIsOkAndItExitsWith0) {
    const SoundHome home;
    const Outcome checked = home.check();
    EXPECT_EQ(checked.exit, 0) << checked.out;
    EXPECT_THAT(checked.out,
                StartsWith("Checked " + home.place.string() + ": an SQLite database file of 28 KiB.\nok "));
    for (const char* each : {"integrity", "history", "signatures", "levels", "ids", "values", "backup", "timer"})
        EXPECT_THAT(checkLine(checked.out, each), StartsWith("ok ")) << each;
    EXPECT_EQ(checkLine(checked.out, "ids"),
              "ok       ids: the next new gear gets ID 25; the window picks IDs up to 32767, 32743 more to go");
    EXPECT_EQ(lastLine(checked.out), "The stock is sound.");
}

TEST(StockCheck, NamesWhatIsWrongWithAVerdictAndAnExitStatus) {
    const struct {
        const char* what;
        std::function<void(const SoundHome&)> spoil;
        int exit;
        std::string line;  // the check's line as printed
    } cases[] = {
        {.what = "a damaged file",
         .spoil =
             [](const SoundHome& t) {
                 t.sql(
                     "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 400) INSERT INTO "
                     "Gears (D, M, T, QTY) SELECT x, '0.4', 'C', 1 FROM n");
                 std::string bytes = bytesOf(t.place);
                 for (std::size_t at = 4096 * 3 + 100; at < bytes.size(); at += 4096)
                     bytes.replace(at, 8, "\xff\xff\xff\xff\0\0\0\x7f", 8);
                 std::ofstream(t.place, std::ios::binary) << bytes;
             },
         .exit = 1,
         .line = "problem  integrity: the file is damaged ("},
        {.what = "IDs near the ceiling",
         .spoil =
             [](const SoundHome& t) {
                 t.sql("INSERT INTO Gears VALUES (30000, 20, '64', 'P', 1); DELETE FROM Gears WHERE ID = 30000");
             },
         .exit = 3,
         .line = "warning  ids: the next new gear gets ID 30001; the window picks IDs up to 32767, 2767 more to go"},
        {.what = "a gear above the ceiling",
         .spoil = [](const SoundHome& t) { t.sql("INSERT INTO Gears VALUES (32768, 20, '64', 'P', 1)"); },
         .exit = 1,
         .line = "problem  ids: 1 gear has an ID above 32767, which the window cannot pick: zanfiro-db renumber "
                 "moves them to free IDs below (32743 free)"},
        {.what = "missing values",
         .spoil =
             [](const SoundHome& t) {
                 t.sql("UPDATE Gears SET QTY = NULL, D = NULL WHERE ID = 7; UPDATE Gears SET M = NULL WHERE ID = 9");
             },
         .exit = 1,
         .line = "problem  values: 2 gears the window cannot pick, its pick ending with an error: ID 7 (no D, no QTY); "
                 "ID 9 (no M)"},
        {.what = "a change made without the history",
         .spoil =
             [](const SoundHome& t) {
                 t.sql("DROP TRIGGER GearsHistoryUpdate; UPDATE Gears SET QTY = 5 WHERE ID = 3");
                 t.zanfiroDb({"upgrade"});
             },
         .exit = 1,
         .line = "problem  history: 1 gear differs from the last change the history recorded (ID 3): changed while "
                 "the history's triggers were off"},
        {.what = "no table of levels",
         .spoil = [](const SoundHome& t) { t.sql("DROP TRIGGER GearLevelsFollowGear; DROP TABLE GearLevels"); },
         .exit = 3,
         .line = "warning  levels: there is no table GearLevels for the gears' minimum and target levels: zanfiro-db "
                 "upgrade adds it"},
        {.what = "no backup for three days",
         .spoil =
             [](const SoundHome& t) {
                 for (const auto& backup : fs::directory_iterator(t.folder / "NDB/backups"))
                     fs::last_write_time(backup, fs::last_write_time(backup) - std::chrono::hours(72));
             },
         .exit = 3,
         .line = "warning  backup: the newest backup, DB-"},
        {.what = "the timer off",
         .spoil = [](const SoundHome& t) { fs::remove_all(t.folder / ".config"); },
         .exit = 3,
         .line = "warning  timer: the daily backup timer is off: systemctl --user enable --now zanfiro-backup.timer "
                 "turns it on"},
    };
    for (const auto& [what, spoil, exit, line] : cases) {
        SCOPED_TRACE(what);
        const SoundHome home;
        spoil(home);
        const Outcome checked = home.check();
        EXPECT_EQ(checked.exit, exit) << checked.out;
        EXPECT_THAT(checked.out, HasSubstr("\n" + line)) << checked.out;
    }
}

TEST(StockCheck, WithJsonScriptsReadEachCheckAndItsFigures) {
    const SoundHome home;
    home.sql("INSERT INTO Gears VALUES (30000, 20, '64', 'P', 1)");
    const Outcome checked = home.check({"check", "--json"});
    EXPECT_EQ(checked.exit, 3);
    std::ofstream(home.folder / "check.json") << checked.out;
    EXPECT_EQ(run(home.folder,
                  {"-c",
                   "import json; d = json.load(open('check.json')); print(d['kind'], d['verdict'], "
                   "[c['check'] + ' ' + c['verdict'] for c in d['checks']], d['checks'][4]['next_id'])"},
                  "python3")
                  .out,
              "file warning ['integrity ok', 'history ok', 'signatures ok', 'levels ok', 'ids warning', 'values ok', "
              "'backup ok', 'timer ok'] 30001\n");
}

}  // namespace
}  // namespace zanfiro::testing
