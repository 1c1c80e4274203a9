#include "editing/record_selection.h"

#include "base/text.h"
#include "editing/id_text.h"
#include "editing/split_row.h"
#include "form/data_access.h"

namespace zanfiro {

void pickGear(Form1& form) {
    if (form.Combo1.text().empty()) {
        form.Label1.setCaption("Selezionare un Dato valido");
        return;
    }
    form.Label1.setCaption("");
    form.pickedGear.reset();
    form.splitRow = splitAt(form.Combo1.text(), "  ");
    openNewConnection(form);
    newRecordset(form);
    const std::string query = concat({
        "SELECT * FROM Gears WHERE id = ",
        idText(form.splitRow.front()),
    });
    openRecordset(form, query);
    // No EOF test: a gear deleted since the list was made is a failure.
    const store::Recordset& gear = *form.recordset;
    form.Text1.setText(gear.field("D").text());
    form.Combo3.setText(gear.field("M").text());
    form.Combo2.setText(gear.field("T").text());
    form.Text4.setText(gear.field("QTY").text());
    // Only a gear the editor shows whole is one SAVE and DELETE guard.
    form.pickedGear = currentGear(gear);
    closeRecordsetAndConnection(form);
}

void ignoreListClick(Form1& /*form*/) {}

}  // namespace zanfiro
