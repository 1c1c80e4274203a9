#pragma once

#include <stdexcept>
#include <string>

namespace zanfiro::store {

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

// Numbers of the failures that do not come from the engine. Conversion
// failures keep the numbers operators know from the classic runtime; the
// others are chosen clear of SQLite's result codes (0-255 and extended codes
// below 65536).
namespace failure {
inline constexpr int kOverflow = 6;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInvalidUseOfNull = 94;
inline constexpr int kNoCurrentRecord = 3021;
inline constexpr int kUnknownColumn = 3265;
inline constexpr int kNotOpen = 3704;
inline constexpr int kBadConnectionString = 3709;
inline constexpr int kUnknownDriver = 3706;

// Using a connection or recordset that is not open.
Failure objectClosed();
}  // namespace failure

}  // namespace zanfiro::store
