#include "form/editor.h"

namespace zanfiro {

void emptyEditor(Form1& form) {
    form.Text1.setText("");
    form.Combo3.setText("");
    form.Combo2.setText("");
    form.Text4.setText("");
    form.pickedGear.reset();
}

}  // namespace zanfiro
