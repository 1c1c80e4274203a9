#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace zanfiro::store {

// One value read from a column: a whole number, a text or Null. Reals and
// blobs that a hand-edited file may hold are offered in their text form.
class Value {
public:
    Value() = default;
    explicit Value(std::int64_t number) : data_(number) {}
    explicit Value(std::string text) : data_(std::move(text)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(data_); }
    bool isNumber() const { return std::holds_alternative<std::int64_t>(data_); }

    // The whole number; a text or Null is a type mismatch.
    std::int64_t number() const;

    // The text form that goes into a field: a number in plain decimal, a
    // text unchanged. Null has no text form and is a failure.
    std::string text() const;

    // The text form as a list row uses it, where Null adds nothing.
    std::string textOrEmpty() const;

    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, std::int64_t, std::string> data_;
};

// A value as a message or a table shows it to a person: a missing value as
// "(none)", a text an eye could not tell apart (empty, blanks at either end)
// in quotes, anything else as it is.
std::string readable(const Value& value);

}  // namespace zanfiro::store
