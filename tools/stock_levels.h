#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/gear.h"
#include "store/gear_levels.h"

namespace zanfiro::tools {

// What a sheet marks on a gear: none left, or fewer than its minimum.
enum class GearMark { None, BelowMinimum, OutOfStock };

// "esaurito", "sotto scorta", or nothing.
std::string_view markText(GearMark mark);

// The gears' levels as the sheets read them, looked up by the gear.
class StockLevels {
public:
    StockLevels() = default;
    explicit StockLevels(const std::vector<store::GearLevel>& levels);

    const store::GearLevel* of(const store::GearRecord& gear) const;

    // Out of stock at a quantity of 0; below its minimum at a quantity of 1
    // or more under the minimum. A quantity that is no number is neither.
    GearMark mark(const store::GearRecord& gear) const;

    // How many to order of a gear below its minimum (out of stock included):
    // up to its target, or to its minimum where it has none; nothing for a
    // gear that is not below its minimum.
    std::optional<std::int64_t> toOrder(const store::GearRecord& gear) const;

    bool empty() const { return byId_.empty(); }

private:
    std::unordered_map<std::int64_t, store::GearLevel> byId_;
};

}  // namespace zanfiro::tools
