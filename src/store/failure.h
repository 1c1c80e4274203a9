#pragma once

#include "base/failure.h"

namespace zanfiro::store {

// Using a connection or recordset that is not open.
Failure objectClosed();

// Reading a field or moving on with no current record.
Failure noCurrentRecord();

}  // namespace zanfiro::store
