#pragma once

// Values, gears and failures as the tests write them, and printed readably when an expectation fails.

#include <gtest/gtest.h>

#include <concepts>
#include <cstdint>
#include <ostream>
#include <string>

#include "base/failure.h"
#include "store/gear.h"

namespace zanfiro::store {

inline void PrintTo(const Value& value, std::ostream* out) {
    *out << (value.isNull() ? "Null" : value.isNumber() ? value.text() : '"' + value.text() + '"');
}

inline void PrintTo(const GearRecord& gear, std::ostream* out) {
    *out << "{";
    for (const GearColumn& column : kGearColumns) {
        *out << (column.kind == ColumnKind::Id ? "" : ", ") << column.name << " ";
        PrintTo(gear.*column.field, out);
    }
    *out << "}";
}

}  // namespace zanfiro::store

namespace zanfiro {

inline void PrintTo(const Failure& failure, std::ostream* out) {
    *out << "Errore " << failure.number() << ": " << failure.description();
}

}  // namespace zanfiro

namespace zanfiro::testing {

inline store::Value num(std::int64_t number) { return store::Value(number); }
inline store::Value txt(std::string text) { return store::Value(std::move(text)); }
inline store::Value null() { return store::Value(); }

// The failure an operation ends with; number 0 when it ends well.
template <std::invocable Operation>
Failure failureOf(Operation&& operation) try {
    operation();
    return Failure(0, "no failure");
} catch (const Failure& failure) {
    return failure;
}

// A parameterised case is named, in the test's name and when printed, after its `name` field. A suite brings
// the printer in with `using zanfiro::testing::PrintTo;` beside its cases.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

template <class Case>
requires requires(const Case& c) { std::string(c.name); }
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

}  // namespace zanfiro::testing
