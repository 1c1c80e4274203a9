#pragma once

#include <string>

#include "form/form.h"
#include "store/gear.h"

namespace zanfiro {

// The steps every handler takes with the data source, with the arguments
// the program always passes.

// Creates a new connection object, stores it in the form and opens it.
store::Connection& openNewConnection(Form1& form);

// Creates a new recordset object and stores it in the form.
store::Recordset& newRecordset(Form1& form);

// Opens the form's recordset on a query with the form's connection.
void openRecordset(Form1& form, const std::string& query);

// Closes the recordset, then the connection.
void closeRecordsetAndConnection(Form1& form);

// The five columns of one gear, read by name from the current record.
store::GearRecord currentGear(const store::Recordset& recordset);

// How one gear is shown: one text for Combo1 and one for List1.
struct RowLayout {
    std::string (*comboRow)(const store::GearRecord&);
    std::string (*boxRow)(const store::GearRecord&);
};

// Walks the open recordset to its end, appending each gear's Combo1 row
// and then its List1 row.
void appendEveryGear(Form1& form, const RowLayout& layout);

}  // namespace zanfiro
