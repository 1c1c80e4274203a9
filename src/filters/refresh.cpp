#include "filters/refresh.h"

#include "filters/filtered_rows.h"
#include "filters/type_module_pairs.h"
#include "form/editor.h"

namespace zanfiro {

void refreshFilteredList(Form1& form) {
    startListingPairs(form);
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
