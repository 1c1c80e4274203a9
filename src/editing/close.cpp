#include "editing/close.h"

namespace zanfiro {

void closeProgram(Form1& form) { form.window.unload(); }

}  // namespace zanfiro
