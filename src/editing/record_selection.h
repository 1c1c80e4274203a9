#pragma once

#include "form/form.h"

namespace zanfiro {

// Click of Combo1: reads the gear whose ID heads the chosen row and shows
// its teeth, module, type and quantity in the editor.
void pickGear(Form1& form);

// Click of List1: the list box is for viewing only.
void ignoreListClick(Form1& form);

}  // namespace zanfiro
