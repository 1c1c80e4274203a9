#include "editing/clear.h"

#include "form/editor.h"

namespace zanfiro {

void clearEditor(Form1& form) {
    emptyEditor(form);
    // Its rows stay, to be picked again; an empty text makes the next SAVE
    // insert.
    form.Combo1.setText("");
    form.Label1.setCaption("Valori Annullati ");
}

}  // namespace zanfiro
