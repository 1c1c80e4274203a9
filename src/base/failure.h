#pragma once

#include <stdexcept>
#include <string>

namespace zanfiro {

// A failure of the data source or of a conversion. It carries a number and a
// description for the operator's error dialog. Handlers never catch it: the
// window's guard shows it and ends the program.
class Failure : public std::runtime_error {
public:
    Failure(int number, std::string description);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

private:
    int number_;
    std::string description_;
};

// Every failure number the program and its companion tool give, in one list.
// An engine's own failures keep the engine's code (SQLite's result codes,
// 1-255 and the extended ones below 65536), so that a search for the number
// finds the engine's documentation; everything else is numbered here, clear
// of those codes.
namespace failure {

// Conversions, with the numbers operators know from the classic runtime.
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInternalError = 51;
inline constexpr int kInvalidUseOfNull = 94;

// Another program holds the database past the wait: SQLite's SQLITE_BUSY,
// which a server's lock timeout shares, so that the operator meets one
// number for it whether the stock is a file or on a server.
inline constexpr int kDatabaseBusy = 5;

// The data source, as the classic data objects number them.
inline constexpr int kNoCurrentRecord = 3021;
// A SAVE or DELETE of a picked gear that someone else changed since it was
// picked: Jet's number for another user changing the same data.
inline constexpr int kChangedElsewhere = 3197;
inline constexpr int kUnknownColumn = 3265;
inline constexpr int kObjectClosed = 3704;
inline constexpr int kUnknownDriver = 3706;
inline constexpr int kBadConnectionString = 3709;

// A database server, as Jet numbers the failures of an ODBC data source:
// reaching and logging in, then any statement; and work that only the other
// kind of database allows (copying a file, a server's roles). The
// description carries the server's SQLSTATE and message.
inline constexpr int kServerCallFailed = 3146;
inline constexpr int kServerConnectionFailed = 3151;
inline constexpr int kWrongKindOfDatabase = 3251;

// What the companion tool refuses, as Jet's own messages number it.
inline constexpr int kTargetNotEmpty = 3012;
inline constexpr int kCannotWriteFile = 3051;
inline constexpr int kDuplicateKey = 3022;
inline constexpr int kNoSuchTable = 3078;
inline constexpr int kUnrecognizedFormat = 3343;
// A file to read (CSV) that is not there, and values that break a rule: a
// level or a count the tools refuse, a line of a file naming no gear.
inline constexpr int kCannotReadFile = 3024;
inline constexpr int kValidationRule = 3317;

}  // namespace failure

}  // namespace zanfiro
