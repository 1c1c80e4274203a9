#pragma once

#include "form/data_access.h"

namespace zanfiro {

// The filtered row layout: the ID, then "    -    Denti" and the teeth
// between two tabs, then module, type and quantity after tabs.
extern const RowLayout kFilteredLayout;

}  // namespace zanfiro
