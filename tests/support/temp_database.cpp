#include "temp_database.h"

#include <cstdlib>
#include <stdexcept>

#include "store/database_file.h"
#include "store/sqlite.h"

namespace zanfiro::testing {

namespace {

void bindValue(store::sqlite::Statement& statement, int index, const store::Value& value) {
    if (value.isNull())
        statement.bindNull(index);
    else if (value.isNumber())
        statement.bind(index, static_cast<std::int64_t>(std::stoll(value.text())));
    else
        statement.bind(index, value.text());
}

}  // namespace

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

std::int64_t TempDatabase::insert(store::Value D, store::Value M, store::Value T, store::Value QTY) {
    store::sqlite::Database db(path_, store::sqlite::Database::Mode::OpenExisting);
    store::sqlite::Statement statement(db, "INSERT INTO Gears (D, M, T, QTY) VALUES (?, ?, ?, ?)");
    bindValue(statement, 1, D);
    bindValue(statement, 2, M);
    bindValue(statement, 3, T);
    bindValue(statement, 4, QTY);
    statement.step();
    return db.lastInsertRowId();
}

std::int64_t TempDatabase::insert(std::int64_t D, std::string M, std::string T, std::int64_t QTY) {
    return insert(num(D), txt(std::move(M)), txt(std::move(T)), num(QTY));
}

void TempDatabase::insertWithId(std::int64_t id, store::Value D, store::Value M, store::Value T, store::Value QTY) {
    store::sqlite::Database db(path_, store::sqlite::Database::Mode::OpenExisting);
    store::sqlite::Statement statement(db, "INSERT INTO Gears (ID, D, M, T, QTY) VALUES (?, ?, ?, ?, ?)");
    statement.bind(1, id);
    bindValue(statement, 2, D);
    bindValue(statement, 3, M);
    bindValue(statement, 4, T);
    bindValue(statement, 5, QTY);
    statement.step();
}

void TempDatabase::execute(std::string_view sql) const {
    store::sqlite::Database db(path_, store::sqlite::Database::Mode::OpenExisting);
    db.exec(sql);
}

std::vector<StoredGear> TempDatabase::gears() const {
    store::sqlite::Database db(path_, store::sqlite::Database::Mode::OpenExisting);
    store::sqlite::Statement statement(db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY ID");
    std::vector<StoredGear> rows;
    while (statement.step()) {
        rows.push_back({std::stoll(statement.column(0).text()), statement.column(1), statement.column(2),
                        statement.column(3), statement.column(4)});
    }
    return rows;
}

std::int64_t TempDatabase::count() const { return static_cast<std::int64_t>(gears().size()); }

}  // namespace zanfiro::testing
