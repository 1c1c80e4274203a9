#include "editing/delete.h"

#include "base/text.h"
#include "editing/id_text.h"
#include "editing/option_matching.h"
#include "editing/picked_gear.h"
#include "editing/split_row.h"
#include "filters/refresh.h"
#include "form/data_access.h"

namespace zanfiro {

void deleteGear(Form1& form) {
    if (form.Combo1.text().empty()) {
        form.Label1.setCaption("Selezionare Elemento");
        return;
    }
    form.splitRow = splitAt(form.Combo1.text(), " ");
    store::Connection& connection = openNewConnection(form);
    const std::string statement = concat({
        "DELETE * FROM Gears WHERE id = ",
        idText(form.splitRow.at(0)),
    });
    deleteUnlessChangedElsewhere(form, connection, statement);
    form.pickedGear.reset();
    connection.close();
    form.Label1.setCaption("Record Eliminato");
    form.Combo1.clear();
    form.List1.clear();
    form.Text1.setText("");
    form.Text4.setText("");
    // The options follow the deleted gear, so the refresh lists what is
    // left of its type and module.
    matchTypeOption(form);
    matchModuleOption(form);
    refreshFilteredList(form);
}

}  // namespace zanfiro
