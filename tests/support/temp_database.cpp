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

std::int64_t TempDatabase::insertRow(std::optional<std::int64_t> id, const store::Value& D, const store::Value& M,
                                     const store::Value& T, const store::Value& QTY) {
    auto db = store::openDatabase(path_);
    const store::Value ID = id ? store::Value(*id) : store::Value();
    store::insertGear(*db, {ID, D, M, T, QTY});
    if (id) return *id;
    return store::allGears(*db).back().ID.number();
}

void TempDatabase::execute(std::string_view sql) const { store::openDatabase(path_)->execute(sql); }

std::vector<StoredGear> TempDatabase::gears() const {
    std::vector<StoredGear> rows;
    for (const store::GearRecord& g : store::allGears(*store::openDatabase(path_)))
        rows.push_back({g.ID.number(), g.D, g.M, g.T, g.QTY});
    return rows;
}

}  // namespace zanfiro::testing
