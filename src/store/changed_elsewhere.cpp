#include "store/changed_elsewhere.h"

#include "base/failure.h"
#include "base/text.h"
#include "store/gear_history.h"

namespace zanfiro::store {

namespace {

bool sameValues(const GearRecord& a, const GearRecord& b) {
    for (const GearColumn* column : gearValueColumns())
        if (a.*column->field != b.*column->field) return false;
    return true;
}

// "D 20, M 48, T P, QTY 7".
std::string valuesText(const GearRecord& gear) {
    std::string text;
    for (const GearColumn* column : gearValueColumns())
        text += concat({text.empty() ? "" : ", ", column->name, " ", readable(gear.*column->field)});
    return text;
}

Failure changedElsewhere(const GearRecord& read, const GearRecord& now, const std::optional<GearRecord>& saving) {
    return Failure(failure::kChangedElsewhere,
                   concat({"gear ",
                           read.ID.textOrEmpty(),
                           " was changed by someone else since it was picked: it held ",
                           valuesText(read),
                           " and now holds ",
                           valuesText(now),
                           ". ",
                           saving ? concat({"Your values ", valuesText(*saving), " were not saved"})
                                  : std::string("It was not deleted"),
                           ": pick the gear again and redo the change."}));
}

}  // namespace

void executeUnlessChangedElsewhere(Session& session, std::string_view statement, const GearRecord& read,
                                   const std::optional<GearRecord>& saving) {
    try {
        const std::optional<GearRecord> now = session.beginHoldingGear(read.ID.number());
        if (now && !sameValues(*now, read)) throw changedElsewhere(read, *now, saving);
        session.execute(statement);
        session.commit();
    } catch (...) {
        // Before the failure is shown: a dialog waiting for the operator
        // must not keep the other workstations from writing.
        session.rollback();
        throw;
    }
}

}  // namespace zanfiro::store
