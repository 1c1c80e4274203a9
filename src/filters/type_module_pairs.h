#pragma once

#include <array>
#include <functional>
#include <string_view>

#include "form/data_access.h"

namespace zanfiro {

// One type and one module: the fixed query that lists its gears, the title
// FIND shows above them and the row layout FIND uses for them.
struct TypeModulePair {
    store::SortedQuery query;
    std::string_view title;
    const RowLayout* findLayout;
};

// In the order of the module options: 0.4, 0.6, 48, 64.
const std::array<TypeModulePair, 4>& crownGearPairs();
const std::array<TypeModulePair, 4>& pinionPairs();

// Empties Combo1, then List1, and opens a new connection with a new
// recordset for the pairs' queries.
void startListingPairs(Form1& form);

// Tests the module options in their order (Option3 to Option6) and hands
// the pair of each selected one to `fill`.
void forEachSelectedModule(Form1& form, const std::array<TypeModulePair, 4>& pairs,
                           const std::function<void(const TypeModulePair&)>& fill);

// Opens the form's recordset on the pair's query, appends every gear in
// the layout given, then closes the recordset and the connection.
void fillListsWithPair(Form1& form, const TypeModulePair& pair, const RowLayout& layout);

}  // namespace zanfiro
