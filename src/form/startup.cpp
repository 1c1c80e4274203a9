#include "form/startup.h"

#include "form/editor.h"
#include "form/full_list.h"

namespace zanfiro {

void selectStartUpOptions(Form1& form) {
    form.Option3.select();
    form.Option1.select();
}

void loadStartupList(Form1& form) {
    emptyEditor(form);
    selectStartUpOptions(form);
    loadFullList(form,
                 {
                     .select = "SELECT ID, D, M, T, QTY FROM Gears ",
                     .orderBy = "ORDER BY ",
                     .key = "M",
                     .ascending = " ASC",
                 });
    form.Label1.setCaption("Lista Completa");
}

}  // namespace zanfiro
