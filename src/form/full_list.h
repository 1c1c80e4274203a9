#pragma once

#include "form/data_access.h"

namespace zanfiro {

// The full-list row layout: the ID, then "   -      Denti  " and the teeth
// right after it, then module, type and quantity after tabs.
extern const RowLayout kFullListLayout;

// Appends every gear the query returns to Combo1 and List1 in the full-list
// layout, with a connection and recordset of its own. It neither empties the
// lists nor writes the status label: its callers do.
void loadFullList(Form1& form, const store::SortedQuery& query);

}  // namespace zanfiro
