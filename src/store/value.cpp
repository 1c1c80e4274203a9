#include "store/value.h"

#include "base/failure.h"

namespace zanfiro::store {

std::int64_t Value::number() const {
    if (const auto* number = std::get_if<std::int64_t>(&data_)) return *number;
    throw Failure(failure::kTypeMismatch, "Type mismatch: " + (isNull() ? std::string("Null") : textOrEmpty()));
}

std::string Value::text() const {
    if (isNull()) throw Failure(failure::kInvalidUseOfNull, "Invalid use of Null");
    return textOrEmpty();
}

std::string Value::textOrEmpty() const {
    if (const auto* number = std::get_if<std::int64_t>(&data_)) return std::to_string(*number);
    if (const auto* text = std::get_if<std::string>(&data_)) return *text;
    return {};
}

std::string readable(const Value& value) {
    if (value.isNull()) return "(none)";
    const std::string text = value.text();
    if (value.isNumber()) return text;
    if (text.empty() || text.front() == ' ' || text.back() == ' ') return '"' + text + '"';
    return text;
}

}  // namespace zanfiro::store
