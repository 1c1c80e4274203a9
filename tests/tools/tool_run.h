#pragma once

// zanfiro-db run as the operator runs it, with a home folder of the test's own, and the gears the tests put in
// its database and read back.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "program_run.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "store/pg_session.h"
#include "store/server_link.h"
#include "temp_database.h"

namespace zanfiro::testing {

inline Outcome run(const std::filesystem::path& home, const std::vector<std::string>& args) {
    return run(home, args, ZANFIRO_DB);
}

// zanfiro-db run at a terminal of its own (a pseudo-terminal that script(1) opens), `typed` given as the
// operator's keys; what it shows comes back with the terminal's CR LF line ends.
inline Outcome runOnTerminal(const std::filesystem::path& home, const std::vector<std::string>& args,
                             const std::string& typed = "") {
    std::string command = "HOME=" + quoted(home.string()) + " " + ZANFIRO_DB;
    for (const auto& arg : args) command += " " + quoted(arg);
    return run(home, {"-qec", command, "/dev/null"}, "printf %s " + quoted(typed) + " | script");
}

// A home folder whose program database (NDB/DB.mdb) is made as `zanfiro-db
// init` makes it: a file, or with the server engine a link to a database of
// the test's own on the tests' server, as `zanfiro-db init --server` makes it.
struct ProgramHome {
    TempDatabase temp;
    std::filesystem::path home = temp.folder();
    std::filesystem::path database = home / "NDB" / "DB.mdb";
    explicit ProgramHome(bool create = true, Engine engine = testEngine())
        : temp(TempDatabase::Content::NoFile, engine) {
        if (create && engine == Engine::File) store::createDatabase(database);
        if (create && engine == Engine::Server) {
            store::createServerGearsTable(temp.server());
            std::filesystem::create_directories(database.parent_path());
            store::writeServerLink(database, temp.server());
        }
    }
};

// A gear without an ID, which the database gives it.
inline store::GearRecord gear(std::int64_t D, std::string M, std::string T, std::int64_t QTY) {
    return {.ID = {}, .D = num(D), .M = txt(std::move(M)), .T = txt(std::move(T)), .QTY = num(QTY)};
}

inline void seed(const std::filesystem::path& database, const std::vector<store::GearRecord>& gears) {
    auto db = store::openDatabase(database);
    db->begin();
    for (const auto& g : gears) store::insertGear(*db, g);
    db->commit();
}

inline std::vector<store::GearRecord> gearsOf(const std::filesystem::path& database) {
    return store::allGears(*store::openDatabase(database));
}

// The lines of `zanfiro-db history` without the moment (its first two words), blanks squeezed.
inline std::vector<std::string> historyLines(const std::filesystem::path& home, std::vector<std::string> args = {}) {
    args.insert(args.begin(), "history");
    const Outcome outcome = run(home, args);
    EXPECT_EQ(outcome.exit, 0) << outcome.out;
    std::vector<std::string> lines;
    std::istringstream in(outcome.out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word, squeezed;
        for (int i = 0; words >> word; ++i)
            if (i >= 2) squeezed += (squeezed.empty() ? "" : " ") + word;
        lines.push_back(squeezed);
    }
    return lines;
}

// A line of the shell's output without its line end.
inline std::string shellSays(const char* command) {
    std::string out = run(std::filesystem::temp_directory_path(), {}, command).out;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// What the history signs the changes of `program` (a test's own, zanfiro-db) with, as `history` shows them: on a
// file the account the tests run as and the program on this host, as the operator's shell names them; on the tests'
// server its login and the program, over the server's own socket.
inline std::string signedBy(const std::string& program, Engine engine = testEngine()) {
    static const std::string host = shellSays("hostname"), account = shellSays("id -un");
    return engine == Engine::Server ? "zanfiro " + program + "@" + host + " (local)"
                                    : account + " " + program + "@" + host;
}

}  // namespace zanfiro::testing
