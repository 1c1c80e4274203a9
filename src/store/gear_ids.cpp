#include "store/gear_ids.h"

#include <algorithm>

#include "base/text.h"
#include "store/gear_history.h"
#include "store/gear_levels.h"

namespace zanfiro::store {

std::int64_t lastIdEverGiven(Session& session) {
    std::int64_t last = session.nextId() - 1;
    // A counter set back by hand (or by an import of an older version)
    // forgets IDs that the history and the levels still name.
    const auto namedIn = [&](std::string_view table) {
        auto named = session.query(concat({"SELECT max(ID) FROM ", table}));
        if (named->next() && !named->value(0).isNull()) last = std::max(last, named->value(0).number());
    };
    if (session.keepsHistory()) namedIn(kHistoryTable);
    if (keepsLevels(session)) namedIn(kLevelsTable);
    return last;
}

}  // namespace zanfiro::store
