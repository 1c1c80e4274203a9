#include "store/failure.h"

namespace zanfiro::store {

Failure objectClosed() {
    return Failure(failure::kObjectClosed, "Operation is not allowed when the object is closed.");
}

Failure noCurrentRecord() {
    return Failure(failure::kNoCurrentRecord,
                   "Either BOF or EOF is True, or the current record has been deleted. "
                   "Requested operation requires a current record.");
}

}  // namespace zanfiro::store
