#pragma once

#include <cstdint>

#include "store/session.h"

namespace zanfiro::store {

// The window picks, changes and deletes a gear by its ID read as a signed
// 16-bit whole number (editing/id_text.h): a gear whose ID is above this
// one shows in the lists but cannot be worked on.
inline constexpr std::int64_t kHighestPickableId = 32767;

// The largest ID the database ever gave a gear: its counter, its gears and
// every gear its history or its levels name. A copy or an import goes on after it, so
// that one ID never stands for two gears.
std::int64_t lastIdEverGiven(Session& session);

}  // namespace zanfiro::store
