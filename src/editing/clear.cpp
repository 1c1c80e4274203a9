#include "editing/clear.h"

namespace zanfiro {

void clearEditor(Form1& form) {
    form.Text1.setText("");
    form.Combo3.setText("");
    form.Combo2.setText("");
    form.Combo1.setText("");
    form.Text4.setText("");
    form.Label1.setCaption("Valori Annullati ");
}

}  // namespace zanfiro
