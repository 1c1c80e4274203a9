#pragma once

#include "form/form.h"

namespace zanfiro {

// Empties the four editor fields: Text1 (teeth), Combo3 (module), Combo2
// (type) and Text4 (quantity), in this order. The editor then shows no
// picked gear, and SAVE and DELETE no longer guard it (Form1::pickedGear).
void emptyEditor(Form1& form);

}  // namespace zanfiro
