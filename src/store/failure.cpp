#include "store/failure.h"

namespace zanfiro::store {

Failure::Failure(int number, std::string description)
    : std::runtime_error(std::to_string(number) + ": " + description),
      number_(number),
      description_(std::move(description)) {}

Failure failure::objectClosed() { return Failure(kNotOpen, "Operation is not allowed when the object is closed."); }

}  // namespace zanfiro::store
