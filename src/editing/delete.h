#pragma once

#include "form/form.h"

namespace zanfiro {

// Click of Command3 (DELETE): removes the gear whose ID heads Combo1's
// text, without asking, then lists the remaining gears of its type and
// module.
void deleteGear(Form1& form);

}  // namespace zanfiro
