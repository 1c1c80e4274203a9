#include "filters/refresh.h"

#include "filters/filtered_rows.h"
#include "filters/type_module_pairs.h"

namespace zanfiro {

namespace {

void emptyEditor(Form1& form) {
    form.Text1.setText("");
    form.Combo3.setText("");
    form.Combo2.setText("");
    form.Text4.setText("");
}

}  // namespace

void refreshFilteredList(Form1& form) {
    form.Combo1.clear();
    form.List1.clear();
    openNewConnection(form);
    newRecordset(form);
    const auto fill = [&form](const TypeModulePair& pair) { fillListsWithPair(form, pair, kFilteredLayout); };
    if (form.Combo2.text() == "C") {
        emptyEditor(form);
        forEachSelectedModule(form, crownGearPairs(), fill);
    }
    // Read afresh: after a crown-gear refresh Combo2 is empty by now.
    if (form.Combo2.text() == "P") {
        emptyEditor(form);
        forEachSelectedModule(form, pinionPairs(), fill);
    }
}

}  // namespace zanfiro
