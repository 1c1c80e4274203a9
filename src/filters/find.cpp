#include "filters/find.h"

#include "filters/type_module_pairs.h"

namespace zanfiro {

void findGears(Form1& form) {
    startListingPairs(form);
    const auto fillAndTitle = [&form](const TypeModulePair& pair) {
        fillListsWithPair(form, pair, *pair.findLayout);
        form.Label1.setCaption(std::string(pair.title));
    };
    if (form.Option1.value()) forEachSelectedModule(form, crownGearPairs(), fillAndTitle);
    if (form.Option2.value()) forEachSelectedModule(form, pinionPairs(), fillAndTitle);
}

}  // namespace zanfiro
