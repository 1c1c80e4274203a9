#pragma once

#include "form/form.h"

namespace zanfiro {

// Click of Command4 (CLEAR): empties the editor and Combo1's text, so the
// next SAVE inserts. The rows of both lists stay.
void clearEditor(Form1& form);

}  // namespace zanfiro
