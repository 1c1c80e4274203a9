#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/sorted_query.h"
#include "store/value.h"

namespace zanfiro::store {

class Connection;
class Cursor;
class Session;

// The rows of one query, walked from the first to the last.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // The walk is one pass from the first row to the last, so one forward
    // cursor serves every query.
    void open(const std::string& source, const Connection& activeConnection);
    void open(const SortedQuery& source, const Connection& activeConnection);

    // True when no record is current: after the last one, or at once when
    // the query found none.
    bool eof() const;

    // A column of the current record, its name matched without regard to
    // case. Reading with no current record is a failure.
    Value field(const std::string& name) const;

    void moveNext();
    void close();
    bool isOpen() const { return cursor_ != nullptr; }

private:
    void start(std::shared_ptr<Session> session, std::unique_ptr<Cursor> cursor);

    // Declared before the cursor, which must go first.
    std::shared_ptr<Session> session_;
    std::unique_ptr<Cursor> cursor_;
    std::vector<std::string> columnNames_;  // lower case, by column index
    bool atEnd_ = true;
};

}  // namespace zanfiro::store
