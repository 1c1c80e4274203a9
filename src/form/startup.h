#pragma once

#include "form/form.h"

namespace zanfiro {

// Selects Modulo 0.4, then Corona, as the window starts.
void selectStartUpOptions(Form1& form);

// Load of Form1: empties the editor, selects Corona and Modulo 0.4, lists
// every gear by module and titles the list "Lista Completa".
void loadStartupList(Form1& form);

}  // namespace zanfiro
