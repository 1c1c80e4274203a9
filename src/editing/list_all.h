#pragma once

#include "form/form.h"

namespace zanfiro {

// Click of Command1 (LOAD ALL): resets the editor and the options and lists
// every gear again, by number of teeth.
void listAllGears(Form1& form);

}  // namespace zanfiro
