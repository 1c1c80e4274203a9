#pragma once

#include <optional>
#include <string_view>

#include "store/gear.h"
#include "store/session.h"

namespace zanfiro::store {

// Runs `statement`, an update or delete of the gear `read.ID`, only while
// that gear still holds the values of `read`, as the window read it
// earlier: a change someone else made since is never overwritten unseen.
// The check and the statement are one transaction, so that no other writer
// comes between them. When the gear holds other values, nothing is written
// and the failure 3197 names the gear, what it held when read, what it
// holds now, and `saving`: the values the statement writes, or nothing for
// a delete. A gear deleted since is no failure: the statement then changes
// nothing, as it would have without the check.
void executeUnlessChangedElsewhere(Session& session, std::string_view statement, const GearRecord& read,
                                   const std::optional<GearRecord>& saving);

}  // namespace zanfiro::store
