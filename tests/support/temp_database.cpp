#include "temp_database.h"

#include <cstdlib>
#include <stdexcept>

#include "store/connection_string.h"
#include "store/engine.h"
#include "store/gear_table.h"

namespace zanfiro::testing {

TempDatabase::TempDatabase(Content content) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zanfiro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    path_ = folder_ / "DB.mdb";
    if (content == Content::EmptyTable) store::createDatabase(path_);
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string TempDatabase::connectionString() const { return store::connectionStringFor(path_); }

std::shared_ptr<store::Session> TempDatabase::session() const { return store::openDatabase(path_); }

std::int64_t TempDatabase::insert(const store::GearRecord& gear) {
    auto db = session();
    store::insertGear(*db, gear);
    return gear.ID.isNull() ? db->nextId() - 1 : gear.ID.number();
}

void TempDatabase::execute(std::string_view sql) const { session()->execute(sql); }

std::vector<store::GearRecord> TempDatabase::gears() const { return store::allGears(*session()); }

std::int64_t TempDatabase::count() const { return store::countGears(*session()); }

}  // namespace zanfiro::testing
