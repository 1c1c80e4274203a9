#pragma once

#include <ostream>

#include "store/failure.h"
#include "store/value.h"

// Readable values in test failure messages.
namespace zanfiro::store {
inline void PrintTo(const Value& value, std::ostream* out) {
    if (value.isNull())
        *out << "Null";
    else if (value.isNumber())
        *out << value.text();
    else
        *out << '"' << value.text() << '"';
}
inline void PrintTo(const Failure& failure, std::ostream* out) {
    *out << "Failure(" << failure.number() << ", \"" << failure.description() << "\")";
}
}  // namespace zanfiro::store
