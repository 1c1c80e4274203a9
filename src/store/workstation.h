#pragma once

#include <string>

namespace zanfiro::store {

// Who makes a change from this process, as the history signs it.

// The account the program runs as ("anna"), or "uid 1000" when the system
// has no name for it.
const std::string& operatorAccount();

// The program and the computer it runs on: "zanfiro@office-pc",
// "zanfiro-db@office-pc".
const std::string& workstationName();

}  // namespace zanfiro::store
