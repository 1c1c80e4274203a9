#pragma once

#include <string>

#include "form/data_access.h"

namespace zanfiro {

// The filtered row layout: the ID, then "    -    Denti" and the teeth
// between two tabs, then module, type and quantity after tabs.
std::string filteredComboRow(const store::GearRecord& gear);
std::string filteredBoxRow(const store::GearRecord& gear);
inline constexpr RowLayout kFilteredLayout{filteredComboRow, filteredBoxRow};

}  // namespace zanfiro
