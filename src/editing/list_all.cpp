#include "editing/list_all.h"

#include "form/full_list.h"

namespace zanfiro {

void listAllGears(Form1& form) {
    form.Label1.setCaption("Lista Completa ");
    form.Text1.setText("");
    form.Combo3.setText("");
    form.Combo2.setText("");
    form.Text4.setText("");
    form.Option3.select();
    form.Option1.select();
    form.Combo1.clear();
    form.List1.clear();
    loadFullList(form, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY D ASC");
}

}  // namespace zanfiro
