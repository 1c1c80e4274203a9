#pragma once

#include "form/form.h"

namespace zanfiro {

// Click of Command6 (FIND): lists the gears of the type and module chosen
// with the option buttons and titles the list after them. The editor is
// left alone.
void findGears(Form1& form);

}  // namespace zanfiro
