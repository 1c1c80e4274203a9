#pragma once

#include "form/form.h"

namespace zanfiro {

// Click of Combo2, and DELETE: selects Corona for the text "C", Pignone
// for "P". Other texts select nothing.
void matchTypeOption(Form1& form);

// Click of Combo3, and DELETE: selects the module option whose module is
// exactly the text ("0.4", "0.6", "48", "64"). Other texts select nothing.
void matchModuleOption(Form1& form);

}  // namespace zanfiro
