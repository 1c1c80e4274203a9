#include "temp_database.h"

#include <cstdlib>
#include <stdexcept>

#include "store/database_file.h"
#include "store/sqlite.h"

namespace zanfiro::testing {

using store::sqlite::Database;

TempDatabase::TempDatabase(Content content) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zanfiro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    path_ = folder_ / "DB.mdb";
    if (content == Content::EmptyTable) store::createGearsDatabase(path_);
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string TempDatabase::connectionString() const {
    return "driver={Microsoft Access Driver (*.mdb)};dbq=" + path_.string();
}

std::int64_t TempDatabase::insertRow(std::optional<std::int64_t> id, const store::Value& D, const store::Value& M,
                                     const store::Value& T, const store::Value& QTY) {
    Database db(path_, Database::Mode::OpenExisting);
    store::sqlite::Statement insert(db, "INSERT INTO Gears (ID, D, M, T, QTY) VALUES (?, ?, ?, ?, ?)");
    if (id) insert.bind(1, *id);  // unbound stays Null: the engine assigns the ID
    int column = 2;
    for (const store::Value* v : {&D, &M, &T, &QTY}) {
        if (v->isNull())
            insert.bindNull(column++);
        else if (v->isNumber())
            insert.bind(column++, std::int64_t{std::stoll(v->text())});
        else
            insert.bind(column++, v->text());
    }
    insert.step();
    return db.lastInsertRowId();
}

void TempDatabase::execute(std::string_view sql) const { Database(path_, Database::Mode::OpenExisting).exec(sql); }

std::vector<StoredGear> TempDatabase::gears() const {
    Database db(path_, Database::Mode::OpenExisting);
    store::sqlite::Statement select(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY ID");
    std::vector<StoredGear> rows;
    while (select.step())
        rows.push_back({std::stoll(select.column(0).text()),
                        select.column(1),
                        select.column(2),
                        select.column(3),
                        select.column(4)});
    return rows;
}

}  // namespace zanfiro::testing
