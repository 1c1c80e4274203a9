#pragma once

#include "form/form.h"

namespace zanfiro {

// Empties the four editor fields: Text1 (teeth), Combo3 (module), Combo2
// (type) and Text4 (quantity), in this order.
void emptyEditor(Form1& form);

}  // namespace zanfiro
