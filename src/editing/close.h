#pragma once

#include "form/form.h"

namespace zanfiro {

// Click of Command5 (ESC): closes the window, which ends the program. It
// asks nothing and saves nothing.
void closeProgram(Form1& form);

}  // namespace zanfiro
