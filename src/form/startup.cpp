#include "form/startup.h"

#include "form/full_list.h"

namespace zanfiro {

void loadStartupList(Form1& form) {
    form.Text1.setText("");
    form.Combo3.setText("");
    form.Combo2.setText("");
    form.Text4.setText("");
    form.Option3.select();
    form.Option1.select();
    loadFullList(form, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC");
    form.Label1.setCaption("Lista Completa");
}

}  // namespace zanfiro
