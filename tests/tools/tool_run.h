#pragma once

// zanfiro-db run as the operator runs it, with a home folder of the test's own, and the gears the tests put in
// its database and read back.

#include <filesystem>

#include "program_run.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "temp_database.h"

namespace zanfiro::testing {

inline Outcome run(const std::filesystem::path& home, const std::vector<std::string>& args) {
    return run(home, args, ZANFIRO_DB);
}

// A home folder whose program database (NDB/DB.mdb) is made as `zanfiro-db
// init` makes it.
struct ProgramHome {
    TempDatabase temp{TempDatabase::Content::NoFile};
    std::filesystem::path home = temp.folder();
    std::filesystem::path database = home / "NDB" / "DB.mdb";
    explicit ProgramHome(bool create = true) {
        if (create) store::createDatabase(database);
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

}  // namespace zanfiro::testing
