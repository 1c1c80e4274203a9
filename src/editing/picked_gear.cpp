#include "editing/picked_gear.h"

#include <optional>

#include "editing/id_text.h"
#include "store/changed_elsewhere.h"

namespace zanfiro {

namespace {

bool headsPickedGear(const Form1& form) {
    return form.pickedGear && !form.splitRow.empty() &&
           form.pickedGear->ID == store::Value(std::int64_t{toWholeNumber16(form.splitRow.front())});
}

void executeUnlessChangedElsewhere(Form1& form, store::Connection& connection, const std::string& statement,
                                   const std::optional<store::GearRecord>& saving) {
    if (!headsPickedGear(form)) return connection.execute(statement);
    store::executeUnlessChangedElsewhere(*connection.session(), statement, *form.pickedGear, saving);
}

}  // namespace

void saveUnlessChangedElsewhere(Form1& form, store::Connection& connection, const std::string& statement) {
    executeUnlessChangedElsewhere(form,
                                  connection,
                                  statement,
                                  store::GearRecord{.D = store::Value(form.Text1.text()),
                                                    .M = store::Value(form.Combo3.text()),
                                                    .T = store::Value(form.Combo2.text()),
                                                    .QTY = store::Value(form.Text4.text())});
}

void deleteUnlessChangedElsewhere(Form1& form, store::Connection& connection, const std::string& statement) {
    executeUnlessChangedElsewhere(form, connection, statement, std::nullopt);
}

}  // namespace zanfiro
