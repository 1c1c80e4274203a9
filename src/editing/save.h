#pragma once

#include <string_view>

#include "form/form.h"

namespace zanfiro {

// Click of Command2 (SAVE): checks the four editor fields, then inserts a
// new gear when Combo1's text is empty or updates the gear whose ID heads
// it, reports the outcome and lists the gears of the saved type and module.
void saveGear(Form1& form);

// Empty once its leading and trailing spaces are gone (spaces only).
bool isBlank(std::string_view text);

// One or more ASCII digits and nothing else: what the quantity field can
// hold when typed under its input rule.
bool isQuantity(std::string_view text);

}  // namespace zanfiro
