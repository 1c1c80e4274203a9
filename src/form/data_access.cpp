#include "form/data_access.h"

#include "base/text.h"

namespace zanfiro {

store::Connection& openNewConnection(Form1& form) {
    form.connection = std::make_unique<store::Connection>();
    form.connection->open(form.connectionString);
    return *form.connection;
}

store::Recordset& newRecordset(Form1& form) {
    form.recordset = std::make_unique<store::Recordset>();
    return *form.recordset;
}

void openRecordset(Form1& form, const std::string& query) { form.recordset->open(query, *form.connection); }

void openRecordset(Form1& form, const store::SortedQuery& query) { form.recordset->open(query, *form.connection); }

void closeRecordsetAndConnection(Form1& form) {
    form.recordset->close();
    form.connection->close();
}

store::GearRecord currentGear(const store::Recordset& recordset) {
    store::GearRecord gear;
    for (const store::GearColumn& column : store::kGearColumns)
        gear.*column.field = recordset.field(std::string(column.name));
    return gear;
}

std::string rowText(const RowTexts& before, const store::GearRecord& gear) {
    return concat({
        gear.ID.textOrEmpty(),
        before[0],
        gear.D.textOrEmpty(),
        before[1],
        gear.M.textOrEmpty(),
        before[2],
        gear.T.textOrEmpty(),
        before[3],
        gear.QTY.textOrEmpty(),
    });
}

void appendEveryGear(Form1& form, const RowLayout& layout) {
    store::Recordset& recordset = *form.recordset;
    while (!recordset.eof()) {
        const store::GearRecord gear = currentGear(recordset);
        form.Combo1.addItem(rowText(layout.comboRow, gear));
        form.List1.addItem(rowText(layout.boxRow, gear));
        recordset.moveNext();
    }
}

}  // namespace zanfiro
