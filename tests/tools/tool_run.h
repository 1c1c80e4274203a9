#pragma once

// zanfiro-db run as the operator runs it, with a home folder of the test's own.

#include <filesystem>

#include "program_run.h"
#include "store/engine.h"
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

}  // namespace zanfiro::testing
