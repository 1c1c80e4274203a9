#include "editing/save.h"

#include "base/text.h"
#include "editing/id_text.h"
#include "editing/picked_gear.h"
#include "editing/split_row.h"
#include "filters/refresh.h"
#include "form/data_access.h"
#include "store/access_sql.h"

namespace zanfiro {

namespace {

// A failed check names the field in the status label and puts the cursor
// there; nothing else changes.
template <typename Field>
void reportMissing(Form1& form, const char* message, Field& field) {
    form.Label1.setCaption(message);
    field.setFocus();
}

std::string insertStatement(Form1& form) {
    return concat({
        "INSERT INTO Gears ",
        "(D, M, T, QTY) ",
        "VALUES ",
        "('",
        store::escaped(form.Text1.text()),
        "', ",
        "'",
        store::escaped(form.Combo3.text()),
        "', ",
        "'",
        store::escaped(form.Combo2.text()),
        "', ",
        "'",
        store::escaped(form.Text4.text()),
        "')",
    });
}

std::string updateStatement(Form1& form) {
    return concat({
        "UPDATE Gears SET ",
        "D = '",
        store::escaped(form.Text1.text()),
        "', ",
        "M = '",
        store::escaped(form.Combo3.text()),
        "', ",
        "T = '",
        store::escaped(form.Combo2.text()),
        "', ",
        "QTY = '",
        store::escaped(form.Text4.text()),
        "' ",
        "WHERE id = ",
        idText(form.splitRow.at(0)),
    });
}

}  // namespace

bool isBlank(std::string_view text) { return trimmed(text).empty(); }

bool isQuantity(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

void saveGear(Form1& form) {
    if (isBlank(form.Text1.text())) return reportMissing(form, "Denti", form.Text1);
    if (isBlank(form.Combo3.text())) return reportMissing(form, "Inserire Modulo", form.Combo3);
    if (isBlank(form.Combo2.text())) return reportMissing(form, "Tipo", form.Combo2);
    if (isBlank(form.Text4.text()) || !isQuantity(form.Text4.text())) return reportMissing(form, "QTY", form.Text4);

    form.splitRow = splitAt(form.Combo1.text(), " ");
    store::Connection& connection = openNewConnection(form);
    newRecordset(form);  // made as every save makes it, never opened
    std::string outcome;
    std::string statement;
    if (form.Combo1.text().empty()) {
        statement = insertStatement(form);
        outcome = "Inserimento effettuato con successo";
    } else {
        statement = updateStatement(form);
    }
    saveUnlessChangedElsewhere(form, connection, statement);
    // What the window wrote itself is no change made elsewhere.
    form.pickedGear.reset();
    form.Label1.setCaption(outcome);
    connection.close();
    form.Combo1.clear();
    form.List1.clear();
    refreshFilteredList(form);
}

}  // namespace zanfiro
