#include "editing/list_all.h"

#include "form/editor.h"
#include "form/full_list.h"
#include "form/startup.h"

namespace zanfiro {

void listAllGears(Form1& form) {
    form.Label1.setCaption("Lista Completa ");
    emptyEditor(form);
    selectStartUpOptions(form);
    form.Combo1.clear();
    form.List1.clear();
    loadFullList(form,
                 {
                     .select = "SELECT ID, D, M, T, QTY FROM Gears ",
                     .orderBy = "ORDER BY ",
                     .key = "D",
                     .ascending = " ASC",
                 });
}

}  // namespace zanfiro
