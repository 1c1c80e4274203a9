#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "store/gear.h"
#include "store/sorted_query.h"
#include "store/sql_dialect.h"
#include "store/value.h"

namespace zanfiro::store {

// The rows of one query, one after another.
class Cursor {
public:
    virtual ~Cursor() = default;

    // Moves to the next row, to the first at the first call; false once
    // there is none.
    virtual bool next() = 0;

    virtual int columnCount() const = 0;
    virtual std::string columnName(int column) const = 0;
    virtual Value value(int column) const = 0;
};

// An open gear database, served by one engine. Statements come in the
// program's own SQL, the Access dialect its handlers write; each engine
// turns that into its own. `?` stands for the next of the parameters.
// Failures carry the engine's own code and message.
class Session {
public:
    virtual ~Session() = default;

    // Runs one statement that returns no rows.
    virtual void execute(std::string_view sql, std::span<const Value> parameters = {}) = 0;

    // Runs one query; its rows are read through the cursor, which must not
    // outlive the session.
    virtual std::unique_ptr<Cursor> query(std::string_view sql, std::span<const Value> parameters = {}) = 0;

    // Runs a list's query in the order every engine gives a list: Null
    // first, then by the key, gears of equal keys by ID.
    virtual std::unique_ptr<Cursor> query(const SortedQuery& sorted) = 0;

    // Nothing written after begin() reaches the database before commit():
    // a session closed without it leaves the database as it was. begin()
    // waits for, then shuts out, every other writer.
    virtual void begin() = 0;
    virtual void commit() = 0;

    // Begins a transaction that shuts out every other writer of the gear
    // `id` (an engine may shut out more, as begin() does) and reads that
    // gear as it is now: until commit() or rollback() it stays as read.
    // Nothing when there is no such gear.
    virtual std::optional<GearRecord> beginHoldingGear(std::int64_t id) = 0;

    // Records every update of a gear from now until the transaction ends as
    // a correction by a count of the stock (ChangeKind::Count in the
    // history), not as a change. Only between begin() and commit().
    virtual void recordUpdatesAsCounts() = 0;

    // Ends the transaction, leaving the database as it was before begin().
    // Never fails: a transaction the engine ended by itself (a statement
    // that failed, a connection lost) has nothing left to undo.
    virtual void rollback() noexcept = 0;

    // The ID the next inserted gear gets, and making it `id + 1` whatever
    // IDs the table held before (the tools keep the IDs of gears they copy).
    virtual std::int64_t nextId() = 0;
    virtual void continueIdsAfter(std::int64_t id) = 0;

    // Whether every change of a gear is recorded in the history
    // (store/gear_history.h), and making it so; addHistory() is false when
    // the database recorded them already and it changed nothing.
    virtual bool keepsHistory() = 0;
    virtual bool addHistory() = 0;

    // The engine's words for the statements that make tables.
    virtual const SqlDialect& dialect() const = 0;

    // Whether the history signs each change with who made it and where, and
    // making an unsigned one sign them from now on; addSignatures() is false
    // when the history signed them already and it changed nothing.
    virtual bool signsChanges() = 0;
    virtual bool addSignatures() = 0;
};

}  // namespace zanfiro::store
