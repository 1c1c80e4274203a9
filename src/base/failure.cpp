#include "base/failure.h"

namespace zanfiro {

Failure::Failure(int number, std::string description)
    : std::runtime_error(std::to_string(number) + ": " + description),
      number_(number),
      description_(std::move(description)) {}

}  // namespace zanfiro
