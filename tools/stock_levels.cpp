#include "stock_levels.h"

namespace zanfiro::tools {

std::string_view markText(GearMark mark) {
    switch (mark) {
    case GearMark::None: return {};
    case GearMark::BelowMinimum: return "sotto scorta";
    case GearMark::OutOfStock: return "esaurito";
    }
    return {};
}

StockLevels::StockLevels(const std::vector<store::GearLevel>& levels) {
    byId_.reserve(levels.size());
    for (const store::GearLevel& level : levels) byId_.emplace(level.id, level);
}

const store::GearLevel* StockLevels::of(const store::GearRecord& gear) const {
    if (!gear.ID.isNumber()) return nullptr;
    const auto found = byId_.find(gear.ID.number());
    return found == byId_.end() ? nullptr : &found->second;
}

GearMark StockLevels::mark(const store::GearRecord& gear) const {
    if (!gear.QTY.isNumber()) return GearMark::None;
    if (gear.QTY.number() == 0) return GearMark::OutOfStock;
    const store::GearLevel* level = of(gear);
    return level && gear.QTY.number() < level->minimum ? GearMark::BelowMinimum : GearMark::None;
}

std::optional<std::int64_t> StockLevels::toOrder(const store::GearRecord& gear) const {
    const store::GearLevel* level = of(gear);
    if (!level || !gear.QTY.isNumber() || gear.QTY.number() >= level->minimum) return std::nullopt;
    return level->target.value_or(level->minimum) - gear.QTY.number();
}

}  // namespace zanfiro::tools
