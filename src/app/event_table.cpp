#include "app/event_table.h"

#include "editing/clear.h"
#include "editing/close.h"
#include "editing/delete.h"
#include "editing/input_rules.h"
#include "editing/list_all.h"
#include "editing/option_matching.h"
#include "editing/record_selection.h"
#include "editing/save.h"
#include "filters/find.h"
#include "filters/refresh.h"

namespace zanfiro {

namespace {

constexpr ClickHandler kClickHandlers[] = {
    {"Combo1", pickGear},
    {"Combo2", matchTypeOption},
    {"Combo3", matchModuleOption},
    {"Command1", listAllGears},
    {"Command2", saveGear},
    {"Command3", deleteGear},
    {"Command4", clearEditor},
    {"Command5", closeProgram},
    {"Command6", findGears},
    {"Command7", refreshFilteredList},
    {"List1", ignoreListClick},
};

constexpr KeyPressHandler kKeyPressHandlers[] = {
    {"Combo1", applyComboRule},
    {"Combo2", applyComboRule},
    {"Combo3", applyComboRule},
    {"Text1", applyDigitRule},
    {"Text4", applyDigitRule},
};

}  // namespace

std::span<const ClickHandler> clickHandlers() { return kClickHandlers; }
std::span<const KeyPressHandler> keyPressHandlers() { return kKeyPressHandlers; }

}  // namespace zanfiro
