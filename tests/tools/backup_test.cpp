// zanfiro-db backup and restore on real files: copies taken while the real window saves gears, the folder of
// backups kept to the newest 30, refusals that leave every file as it was, and restores killed before each
// write, rename and sync they make.
#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <future>
#include <set>

#include "store/gear_history.h"
#include "tool_run.h"
#include "window_harness.h"

namespace zanfiro::testing {
namespace {

using namespace ::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A new gear database at `file` holding `gears`.
void makeDatabase(const fs::path& file, const std::vector<store::GearRecord>& gears) {
    store::createDatabase(file);
    seed(file, gears);
}

TEST(Backup, EachCopyTakenWhileTheWindowSavesIsWholeAndRestores) {
    ProgramHome home;
    std::vector<store::GearRecord> shelf;  // pinions of 64, which the window's list of 0.4 crowns leaves out
    for (int i = 0; i < 3000; ++i) shelf.push_back(gear(10 + i % 90, "64", "P", i % 7));
    seed(home.database, shelf);
    WindowHarness ui(store::connectionStringFor(home.database));
    ASSERT_TRUE(ui.start());
    int saved = 0;
    std::vector<fs::path> copies;
    for (int round = 0; round < 5; ++round) {
        copies.push_back(home.home / ("copy" + std::to_string(round) + ".mdb"));
        auto backup = std::async(std::launch::async, [&] { return run(home.home, {"backup", copies.back()}); });
        do {  // a new 0.4 crown with teeth and quantity of its number, typed into the emptied editor and saved
            ++saved;
            ui.form().Text1.setText(std::to_string(saved));
            ui.form().Combo3.setText("0.4");
            ui.form().Combo2.setText("C");
            ui.form().Text4.setText(std::to_string(saved));
            ui.press("Command2");
        } while (backup.wait_for(0s) != std::future_status::ready);
        EXPECT_THAT(backup.get().said(),
                    StartsWith("0 Backed up " + home.database.string() + " to " + copies.back().string() + " ("));
    }
    ASSERT_THAT(ui.failures(), IsEmpty());
    for (const fs::path& copy : copies) {
        SCOPED_TRACE(copy.filename().string());
        store::checkDatabase(copy);
        // The database at one moment: the shelf, then gears 1 to k of the window with nothing missing between,
        // and the history of exactly those.
        const auto gears = gearsOf(copy);
        ASSERT_GE(gears.size(), shelf.size());
        for (std::size_t i = shelf.size(); i < gears.size(); ++i) {
            const auto k = static_cast<std::int64_t>(i - shelf.size() + 1);
            EXPECT_EQ(gears[i],
                      (store::GearRecord{num(static_cast<std::int64_t>(i + 1)), num(k), txt("0.4"), txt("C"), num(k)}));
        }
        EXPECT_EQ(store::gearChanges(*store::openDatabase(copy)).size(), gears.size());
    }
    // The last copy put back: the window opens it and lists every gear in it.
    const auto inLastCopy = gearsOf(copies.back());
    EXPECT_THAT(run(home.home, {"restore", copies.back()}).said(), StartsWith("0 Checked "));
    WindowHarness reopened(store::connectionStringFor(home.database));
    ASSERT_TRUE(reopened.start());
    EXPECT_EQ(reopened.listRows().size(), inLastCopy.size());
    EXPECT_EQ(gearsOf(home.database), inLastCopy);
}

TEST(Backup, WithoutAPlaceItGoesToTheFolderOfBackupsWhichKeepsTheNewest30) {
    ProgramHome home;
    seed(home.database, {gear(40, "0.4", "C", 12)});
    const fs::path folder = home.database.parent_path() / "backups";
    fs::create_directories(folder);
    std::vector<std::string> old;
    for (int day = 1; day <= 30; ++day) {
        char name[32];
        std::snprintf(name, sizeof name, "DB-2020-01-%02d-120000.mdb", day);
        old.push_back((folder / name).string());
        std::ofstream(old.back()) << "old";
    }
    for (const char* theirs : {"DB-notes.mdb", "DB-2020-01-01.mdb", "other-2019-01-01-120000.mdb"})
        std::ofstream(folder / theirs) << "the operator's";
    const Outcome outcome = run(home.home, {"backup"});
    std::smatch taken;
    ASSERT_TRUE(std::regex_search(outcome.out, taken, std::regex("to (\\S+/DB-(\\d{4}-\\d\\d-\\d\\d-\\d{6})\\.mdb) ")))
        << outcome.out;
    const std::string kib = std::to_string(fs::file_size(taken[1].str()) / 1024);
    EXPECT_EQ(outcome.said(),
              "0 Backed up " + home.database.string() + " to " + taken[1].str() + " (1 gear, " + kib +
                  " KiB); the copy is checked and whole.\nRemoved the old backup " + old[0] +
                  " (the newest 30 are kept).\n");
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) left.insert(entry.path().filename().string());
    EXPECT_EQ(left.size(), 30u + 3u);
    EXPECT_FALSE(left.contains(fs::path(old[0]).filename().string()));
    EXPECT_EQ(gearsOf(taken[1].str()), gearsOf(home.database));
}

TEST(Backup, ARefusedBackupSaysWhyAndLeavesEveryFileAsItWas) {
    const struct {
        const char* what;
        std::function<void(const ProgramHome&)> prepare;
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {.what = "a copy that exists",
         .prepare = [](const ProgramHome& h) { std::ofstream(h.home / "b.mdb") << "mine"; },
         .args = {"backup", "b.mdb"},
         .said = "the file already exists and was left untouched: "},
        {.what = "an Access file",
         .prepare =
             [](const ProgramHome& h) {
                 fs::copy_file(TEST_DATA_DIR "/gears-edge.mdb", h.database, fs::copy_options::overwrite_existing);
             },
         .args = {"backup"},
         .said = "this is an Access database from the old Windows program"},
        {.what = "a folder that is not there",
         .prepare = [](const ProgramHome&) {},
         .args = {"backup", "missing/b.mdb"},
         .said = "unable to open database file"},
    };
    for (const auto& [what, prepare, args, said] : cases) {
        SCOPED_TRACE(what);
        ProgramHome home;
        prepare(home);
        const std::string before = everything(home.home);
        EXPECT_THAT(run(home.home, args).said(), AllOf(StartsWith("1 zanfiro-db: "), HasSubstr(said)));
        EXPECT_EQ(everything(home.home), before);
    }
}

TEST(Backup, IntoAFolderTheCopyTakesTheUsualName) {
    ProgramHome home;
    seed(home.database, {gear(40, "0.4", "C", 12), gear(12, "48", "P", 0)});
    fs::create_directories(home.home / "usb");
    EXPECT_THAT(run(home.home, {"backup", "usb"}).said(), StartsWith("0 Backed up "));
    const auto copies = fs::directory_iterator(home.home / "usb");
    const fs::path copy = copies->path();
    EXPECT_THAT(copy.filename().string(), MatchesRegex("DB-[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}\\.mdb"));
    EXPECT_EQ(gearsOf(copy), gearsOf(home.database));
}

TEST(Restore, PutsTheBackupInPlaceAndKeepsTheDatabaseItReplaces) {
    ProgramHome home;
    seed(home.database, {gear(40, "0.4", "C", 12)});
    makeDatabase(home.home / "old.mdb", {gear(18, "0.6", "P", 3), gear(12, "48", "P", 0)});
    const auto replaced = gearsOf(home.database);
    const Outcome outcome = run(home.home, {"restore", "old.mdb"});
    std::smatch kept;
    ASSERT_TRUE(std::regex_search(outcome.out, kept, std::regex("as (\\S+/NDB/backups/DB-[-0-9]+\\.mdb)\\.\n")))
        << outcome.out;
    const std::string old = (home.home / "old.mdb").string();
    EXPECT_EQ(outcome.said(),
              "0 Checked " + old + ": a whole gear database with 2 gears.\nKept the database it replaces as " +
                  kept[1].str() + ".\nRestored " + home.database.string() + " from " + old + " (2 gears).\n");
    EXPECT_EQ(gearsOf(home.database), gearsOf(old));
    EXPECT_EQ(gearsOf(kept[1].str()), replaced);
    EXPECT_EQ(store::gearChanges(*store::openDatabase(home.database)).size(), 2u);
}

TEST(Restore, OnAMachineWithoutADatabaseTheBackupBecomesIt) {
    ProgramHome home(false);
    makeDatabase(home.home / "usb.mdb", {gear(18, "0.6", "P", 3), gear(40, "0.4", "C", 0)});
    EXPECT_THAT(
        run(home.home, {"restore", "usb.mdb"}).said(),
        AllOf(StartsWith("0 "), HasSubstr("\nThere was no database at " + home.database.string() + " to keep.\n")));
    EXPECT_EQ(gearsOf(home.database), gearsOf(home.home / "usb.mdb"));
    EXPECT_FALSE(fs::exists(home.database.parent_path() / "backups"));
}

TEST(Restore, AFileThatIsNoDatabaseAtThePlaceIsKeptByteForByte) {
    ProgramHome home;
    fs::remove(home.database);
    std::ofstream(home.database) << "notes the operator saved by mistake";
    makeDatabase(home.home / "old.mdb", {gear(18, "0.6", "P", 3)});
    const Outcome outcome = run(home.home, {"restore", "old.mdb"});
    std::smatch kept;
    ASSERT_TRUE(std::regex_search(outcome.out, kept, std::regex("byte for byte as (\\S+)\\.\n"))) << outcome.out;
    EXPECT_EQ(bytesOf(kept[1].str()), "notes the operator saved by mistake");
    EXPECT_EQ(gearsOf(home.database), gearsOf(home.home / "old.mdb"));
}

TEST(Restore, RefusesABackupThatIsNoWholeGearDatabaseTouchingNothing) {
    const auto damaged = [](const fs::path& file) {
        makeDatabase(file, std::vector<store::GearRecord>(400, gear(40, "0.4", "C", 12)));
        std::string bytes = bytesOf(file);
        for (std::size_t at = 4096 + 100; at < bytes.size(); at += 4096)
            bytes.replace(at, 8, "\xff\xff\xff\xff\0\0\0\x7f", 8);
        std::ofstream(file, std::ios::binary) << bytes;
    };
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make;
        std::string said;
    } cases[] = {
        {.what = "no Gears",
         .make =
             [](const fs::path& f) {
                 run(f.parent_path(), {f.string(), "CREATE TABLE Parts (ID INTEGER)"}, "sqlite3");
             },
         .said = "this is no gear database (it has no table Gears with the columns ID, D, M, T, QTY)"},
        {.what = "Gears without QTY",
         .make =
             [](const fs::path& f) {
                 run(f.parent_path(), {f.string(), "CREATE TABLE Gears (ID INTEGER, D, M, T)"}, "sqlite3");
             },
         .said = "this is no gear database"},
        {.what = "damaged", .make = damaged, .said = "the file is damaged ("},
        {.what = "the database itself",
         .make = [](const fs::path& f) { fs::create_symlink(f.parent_path() / "NDB" / "DB.mdb", f); },
         .said = "the backup is the database itself"},
    };
    for (const auto& [what, make, said] : cases) {
        SCOPED_TRACE(what);
        ProgramHome home;
        seed(home.database, {gear(40, "0.4", "C", 12)});
        make(home.home / "b.mdb");
        const std::string before = everything(home.home);
        EXPECT_THAT(run(home.home, {"restore", "b.mdb"}).said(), AllOf(StartsWith("1 zanfiro-db: "), HasSubstr(said)));
        EXPECT_EQ(everything(home.home), before);
    }
}

// The calls by which a restore changes files, each a moment a crash may come at. Opening and creating a file
// changes nothing a later write would not.
constexpr const char* kWrites[] = {
    "write", "pwrite64", "ftruncate", "fsync", "fdatasync", "rename", "renameat", "renameat2", "unlink", "unlinkat"};

TEST(Restore, KilledAtAnyWriteItLeavesTheOldOrTheNewDatabaseWhole) {
    ProgramHome templates;
    seed(templates.database, {gear(40, "0.4", "C", 12), gear(12, "48", "P", 0)});
    makeDatabase(templates.home / "old.mdb", {gear(18, "0.6", "P", 3)});
    const auto before = gearsOf(templates.database), after = gearsOf(templates.home / "old.mdb");
    int old = 0, replaced = 0, killedAtRename = 0;
    for (const std::string call : kWrites) {
        // Killed at the first such call, then at the second, until a restore makes no more of them.
        for (int when = 1;; ++when) {
            SCOPED_TRACE(call + " " + std::to_string(when));
            ProgramHome home(false);
            fs::create_directories(home.database.parent_path());
            fs::copy_file(templates.database, home.database);
            fs::copy_file(templates.home / "old.mdb", home.home / "old.mdb");
            const std::string kill = "strace -f -qq -o /dev/null -e trace=" + call + " -e inject=" + call +
                                     ":signal=SIGKILL:when=" + std::to_string(when) + " " ZANFIRO_DB " restore old.mdb";
            const Outcome killed = run(home.home, {}, kill);
            if (killed.exit == 0) break;
            ASSERT_EQ(killed.exit, 128 + SIGKILL) << killed.out;
            killedAtRename += call.starts_with("rename");
            ASSERT_NO_THROW(store::checkDatabase(home.database));
            const auto gears = gearsOf(home.database);
            EXPECT_THAT(gears, AnyOf(Eq(before), Eq(after)));
            (gears == before ? old : replaced) += 1;
            // The next restore finds its way past whatever the killed one left.
            EXPECT_THAT(run(home.home, {"restore", "old.mdb"}).said(), StartsWith("0 "));
            EXPECT_EQ(gearsOf(home.database), after);
        }
    }
    EXPECT_GE(killedAtRename, 2);
    EXPECT_GT(old, 0);
    EXPECT_GT(replaced, 0);
}

}  // namespace
}  // namespace zanfiro::testing
