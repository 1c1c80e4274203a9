#pragma once

#include "form/form.h"

namespace zanfiro {

// Click routine of the hidden Command7, run by SAVE and DELETE: lists the
// gears of the type in Combo2 ("C" or "P") and of the selected module
// option, and empties the editor for the next entry. It never writes the
// status label, so the caller's message stays.
void refreshFilteredList(Form1& form);

}  // namespace zanfiro
