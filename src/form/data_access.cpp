#include "form/data_access.h"

namespace zanfiro {

store::Connection& openNewConnection(Form1& form) {
    form.connection = std::make_unique<store::Connection>();
    form.connection->open(form.connectionString, "", "", store::kUnspecified);
    return *form.connection;
}

store::Recordset& newRecordset(Form1& form) {
    form.recordset = std::make_unique<store::Recordset>();
    return *form.recordset;
}

void openRecordset(Form1& form, const std::string& query) {
    form.recordset->open(
        query, *form.connection, store::CursorType::Keyset, store::LockType::Unspecified, store::kUnspecified);
}

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

void appendEveryGear(Form1& form, const RowLayout& layout) {
    store::Recordset& recordset = *form.recordset;
    while (!recordset.eof()) {
        const store::GearRecord gear = currentGear(recordset);
        form.Combo1.addItem(layout.comboRow(gear));
        form.List1.addItem(layout.boxRow(gear));
        recordset.moveNext();
    }
}

}  // namespace zanfiro
