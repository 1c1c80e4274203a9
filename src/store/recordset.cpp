#include "store/recordset.h"

#include <algorithm>

#include "base/text.h"
#include "store/connection.h"
#include "store/failure.h"
#include "store/session.h"

namespace zanfiro::store {

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::open(const std::string& source, const Connection& activeConnection) {
    auto session = activeConnection.session();
    auto cursor = session->query(source);
    start(std::move(session), std::move(cursor));
}

void Recordset::open(const SortedQuery& source, const Connection& activeConnection) {
    auto session = activeConnection.session();
    auto cursor = session->query(source);
    start(std::move(session), std::move(cursor));
}

void Recordset::start(std::shared_ptr<Session> session, std::unique_ptr<Cursor> cursor) {
    std::vector<std::string> names;
    for (int i = 0; i < cursor->columnCount(); ++i) names.push_back(lower(cursor->columnName(i)));
    atEnd_ = !cursor->next();
    session_ = std::move(session);
    cursor_ = std::move(cursor);
    columnNames_ = std::move(names);
}

bool Recordset::eof() const {
    if (!cursor_) throw objectClosed();
    return atEnd_;
}

Value Recordset::field(const std::string& name) const {
    if (!cursor_) throw objectClosed();
    // Read for every column of every row a list shows: compared in place,
    // without a lower-case copy of the name.
    const auto found = std::ranges::find_if(columnNames_, [&name](const std::string& column) {
        return std::ranges::equal(column, name, [](char a, char b) { return a == lowerAscii(b); });
    });
    if (found == columnNames_.end())
        throw Failure(failure::kUnknownColumn,
                      "Item cannot be found in the collection corresponding to the requested name: " + name);
    if (atEnd_) throw noCurrentRecord();
    return cursor_->value(static_cast<int>(found - columnNames_.begin()));
}

void Recordset::moveNext() {
    if (!cursor_) throw objectClosed();
    if (atEnd_) throw noCurrentRecord();
    atEnd_ = !cursor_->next();
}

void Recordset::close() {
    if (!cursor_) throw objectClosed();
    cursor_.reset();
    session_.reset();
    columnNames_.clear();
    atEnd_ = true;
}

}  // namespace zanfiro::store
