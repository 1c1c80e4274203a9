#pragma once

#include <string>

#include "form/form.h"

namespace zanfiro {

// SAVE's and DELETE's write of the gear whose ID heads Combo1, as the
// handler cut it into form.splitRow. When that is the gear the record
// selection read (Form1::pickedGear), the statement changes it only while
// it still holds what was read; otherwise nothing is written and the
// failure 3197 tells the operator what the gear holds now and what was not
// saved or deleted. Any other ID (typed or pasted, or none for an insert)
// is written as the statement says.
void saveUnlessChangedElsewhere(Form1& form, store::Connection& connection, const std::string& statement);
void deleteUnlessChangedElsewhere(Form1& form, store::Connection& connection, const std::string& statement);

}  // namespace zanfiro
