#include "store/recordset.h"

#include <algorithm>

#include "store/access_sql.h"
#include "store/connection.h"
#include "store/failure.h"
#include "store/sqlite.h"

namespace zanfiro::store {

namespace {

std::string lower(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

[[noreturn]] void noCurrentRecord() {
    throw Failure(failure::kNoCurrentRecord,
                  "Either BOF or EOF is True, or the current record has been deleted. "
                  "Requested operation requires a current record.");
}

}  // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::open(const std::string& source, const Connection& activeConnection, CursorType /*cursorType*/,
                     LockType /*lockType*/, int /*options*/) {
    // The walk is one pass from the first row to the last, so every cursor
    // type the program asks for is served by stepping the statement.
    auto database = activeConnection.database();
    auto statement = std::make_unique<sqlite::Statement>(*database, toSqlite(source));
    std::vector<std::string> names;
    for (int i = 0; i < statement->columnCount(); ++i) names.push_back(lower(statement->columnName(i)));
    atEnd_ = !statement->step();
    database_ = std::move(database);
    statement_ = std::move(statement);
    columnNames_ = std::move(names);
}

bool Recordset::eof() const {
    if (!statement_) throw failure::objectClosed();
    return atEnd_;
}

Value Recordset::field(const std::string& name) const {
    if (!statement_) throw failure::objectClosed();
    const auto found = std::ranges::find(columnNames_, lower(name));
    if (found == columnNames_.end())
        throw Failure(failure::kUnknownColumn,
                      "Item cannot be found in the collection corresponding to the requested name: " + name);
    if (atEnd_) noCurrentRecord();
    return statement_->column(static_cast<int>(found - columnNames_.begin()));
}

void Recordset::moveNext() {
    if (!statement_) throw failure::objectClosed();
    if (atEnd_) noCurrentRecord();
    atEnd_ = !statement_->step();
}

void Recordset::close() {
    if (!statement_) throw failure::objectClosed();
    statement_.reset();
    database_.reset();
    columnNames_.clear();
    atEnd_ = true;
}

}  // namespace zanfiro::store
