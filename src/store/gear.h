#pragma once

#include <array>
#include <string_view>

#include "store/value.h"

namespace zanfiro::store {

// One row of the table Gears: every gear the program knows.
struct GearRecord {
    Value ID{};   // given by the database on insert, never reused
    Value D{};    // teeth
    Value M{};    // module, a text compared character for character
    Value T{};    // type: "C" a crown gear, "P" a pinion
    Value QTY{};  // quantity on hand

    bool operator==(const GearRecord&) const = default;
};

// What a column holds, which decides its type in each engine's table.
enum class ColumnKind { Id, WholeNumber, Text };

struct GearColumn {
    std::string_view name;
    ColumnKind kind;
    Value GearRecord::*field;
};

// The columns of Gears, in the order the table, the tools and CSV files
// keep them. Teeth and quantity are whole numbers so that they sort as
// numbers; module and type are texts.
inline constexpr std::array<GearColumn, 5> kGearColumns{{
    {"ID", ColumnKind::Id, &GearRecord::ID},
    {"D", ColumnKind::WholeNumber, &GearRecord::D},
    {"M", ColumnKind::Text, &GearRecord::M},
    {"T", ColumnKind::Text, &GearRecord::T},
    {"QTY", ColumnKind::WholeNumber, &GearRecord::QTY},
}};

inline constexpr std::string_view kGearsTable = "Gears";

}  // namespace zanfiro::store
