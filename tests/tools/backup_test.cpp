// zanfiro-db backup and restore on real files: copies taken while the real window saves gears, the folder of
// backups kept to the newest 30, refusals that leave every file as it was, and restores while another program or
// the window writes. Restores killed at each step: all_or_nothing_test.
#include <unistd.h>

#include <gmock/gmock.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <future>
#include <set>
#include <thread>

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

TEST(Restore, AFileThatIsNoDatabaseAtThePlaceIsKeptByteForByteWithTheLogBesideIt) {
    ProgramHome home;
    fs::remove(home.database);
    std::ofstream(home.database) << "notes the operator saved by mistake";
    std::ofstream(home.database.string() + "-wal") << "a log that must never reach the restored database";
    makeDatabase(home.home / "old.mdb", {gear(18, "0.6", "P", 3)});
    const Outcome outcome = run(home.home, {"restore", "old.mdb"});
    std::smatch kept;
    ASSERT_TRUE(std::regex_search(outcome.out, kept, std::regex("byte for byte as (\\S+)\\.\n"))) << outcome.out;
    EXPECT_EQ(bytesOf(kept[1].str()), "notes the operator saved by mistake");
    EXPECT_EQ(bytesOf(kept[1].str() + "-wal"), "a log that must never reach the restored database");
    EXPECT_FALSE(fs::exists(home.database.string() + "-wal"));
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

// Another program in the middle of a write: sqlite3 inserting rows too large for its cache, so that its changes
// spill into the file before it commits, its journal beside.
class Writer {
public:
    explicit Writer(const fs::path& database) {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[0], 0);
            ::close(fds[1]);
            ::execlp("sqlite3", "sqlite3", database.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(fds[0]);
        in_ = fds[1];
        say("PRAGMA cache_size = 2; BEGIN; WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < "
            "500) INSERT INTO Gears (D, M, T, QTY) SELECT x, printf('%.900c', 'm'), 'C', 1 FROM n;\n");
        const auto size = fs::file_size(database);
        for (int waited = 0; !(fs::exists(database.string() + "-journal") && fs::file_size(database) > size);
             ++waited) {
            if (waited > 500) throw std::runtime_error("sqlite3 never spilled its changes into " + database.string());
            std::this_thread::sleep_for(10ms);
        }
    }
    ~Writer() { kill(); }
    void commit() {
        say("COMMIT;\n");
        finish();
    }
    // As a crash would: the journal stays, hot.
    void kill() {
        if (in_ < 0) return;
        ::kill(pid_, SIGKILL);
        finish();
    }

private:
    void say(const std::string& sql) {
        if (::write(in_, sql.data(), sql.size()) != static_cast<ssize_t>(sql.size()))
            throw std::runtime_error("sqlite3");
    }
    void finish() {
        ::close(std::exchange(in_, -1));
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t pid_ = -1;
    int in_ = -1;
};

TEST(Restore, WhileAnotherProgramWritesItWaitsThenRefusesAndBothStocksStayWhole) {
    const struct {
        const char* what;
        bool commitsWithinTheWait;
        std::string said;
    } cases[] = {
        {.what = "a writer that commits after a second", .commitsWithinTheWait = true, .said = "0 Checked "},
        {.what = "a writer that holds on and then crashes",
         .commitsWithinTheWait = false,
         .said = "database is locked: "},
    };
    for (const auto& [what, commitsWithinTheWait, said] : cases) {
        SCOPED_TRACE(what);
        ProgramHome home;
        seed(home.database, {gear(40, "0.4", "C", 12), gear(12, "48", "P", 0)});
        makeDatabase(home.home / "old.mdb", {gear(18, "0.6", "P", 3)});
        const auto before = gearsOf(home.database), backup = gearsOf(home.home / "old.mdb");
        Writer writer(home.database);
        auto restore = std::async(std::launch::async, [&] { return run(home.home, {"restore", "old.mdb"}); });
        if (commitsWithinTheWait) {
            std::this_thread::sleep_for(1s);
            writer.commit();
        }
        const Outcome outcome = restore.get();
        EXPECT_THAT(outcome.said(), HasSubstr(said));
        writer.kill();
        ASSERT_NO_THROW(store::checkDatabase(home.database));
        EXPECT_EQ(gearsOf(home.database), commitsWithinTheWait ? backup : before);
        EXPECT_FALSE(fs::exists(home.database.string() + "-journal"));
    }
}

TEST(Restore, WhileTheWindowSavesEverySaveLandsInTheKeptCopyOrTheRestoredDatabase) {
    ProgramHome home;
    makeDatabase(home.home / "old.mdb", {gear(18, "0.6", "P", 3)});
    WindowHarness ui(store::connectionStringFor(home.database));
    ASSERT_TRUE(ui.start());
    int saved = 0;
    auto restore = std::async(std::launch::async, [&] { return run(home.home, {"restore", "old.mdb"}); });
    do {  // a new 0.4 crown with teeth of its number
        ++saved;
        ui.form().Text1.setText(std::to_string(saved));
        ui.form().Combo3.setText("0.4");
        ui.form().Combo2.setText("C");
        ui.form().Text4.setText("1");
        ui.press("Command2");
    } while (restore.wait_for(0s) != std::future_status::ready);
    const Outcome outcome = restore.get();
    ASSERT_EQ(outcome.exit, 0) << outcome.out;
    ASSERT_THAT(ui.failures(), IsEmpty());
    std::smatch kept;
    ASSERT_TRUE(std::regex_search(outcome.out, kept, std::regex("as (\\S+)\\.\n"))) << outcome.out;
    ASSERT_NO_THROW(store::checkDatabase(home.database));
    std::multiset<std::int64_t> teeth;
    for (const fs::path& database : {home.database, fs::path(kept[1].str())})
        for (const auto& gear : gearsOf(database))
            if (gear.M == txt("0.4")) teeth.insert(gear.D.number());
    std::multiset<std::int64_t> everySave;
    for (int k = 1; k <= saved; ++k) everySave.insert(k);
    EXPECT_EQ(teeth, everySave);
    EXPECT_THAT(gearsOf(home.database), Contains(Field(&store::GearRecord::M, txt("0.6"))));
}

}  // namespace
}  // namespace zanfiro::testing
