#pragma once

#include <array>
#include <string>
#include <string_view>

#include "form/form.h"
#include "store/gear.h"
#include "store/sorted_query.h"

namespace zanfiro {

// The steps every handler takes with the data source.

// Each new object replaces, and so releases, the one the form held.
store::Connection& openNewConnection(Form1& form);
store::Recordset& newRecordset(Form1& form);

// With the form's connection.
void openRecordset(Form1& form, const std::string& query);
void openRecordset(Form1& form, const store::SortedQuery& query);

void closeRecordsetAndConnection(Form1& form);

// The five columns of one gear, read by name from the current record.
store::GearRecord currentGear(const store::Recordset& recordset);

// How one gear is shown in a list: its ID, D, M, T and QTY in this order,
// each column's text (nothing for Null) after the fixed text given for it.
using RowTexts = std::array<std::string_view, 4>;  // before D, M, T and QTY

// One layout gives a row for Combo1 and another for List1.
struct RowLayout {
    RowTexts comboRow;
    RowTexts boxRow;
};

std::string rowText(const RowTexts& before, const store::GearRecord& gear);

// Walks the open recordset to its end, appending each gear's Combo1 row
// and then its List1 row.
void appendEveryGear(Form1& form, const RowLayout& layout);

}  // namespace zanfiro
