#include "editing/input_rules.h"

namespace zanfiro {

void applyDigitRule(std::int16_t& code) {
    if (!((code >= 48 || code == 24 || code == 8) && code <= 57)) code = 0;
}

void applyComboRule(std::int16_t& code) {
    if (!((code >= 65 || code == 24 || code == 8) && (code <= 90 || code >= 97) && code <= 122)) code = 0;
    applyDigitRule(code);
}

}  // namespace zanfiro
