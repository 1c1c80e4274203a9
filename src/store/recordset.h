#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/value.h"

namespace zanfiro::store {

class Connection;
class Cursor;
class Session;

enum class CursorType { ForwardOnly = 0, Keyset = 1 };
enum class LockType { Unspecified = -1, ReadOnly = 1 };

// The rows of one query, walked from the first to the last.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void open(const std::string& source, const Connection& activeConnection, CursorType cursorType, LockType lockType,
              int options);

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
    // Declared before the cursor, which must go first.
    std::shared_ptr<Session> session_;
    std::unique_ptr<Cursor> cursor_;
    std::vector<std::string> columnNames_;  // lower case, by column index
    bool atEnd_ = true;
};

}  // namespace zanfiro::store
