#pragma once

#include <cstdint>

namespace zanfiro {

// KeyPress of Text1 and Text4: only digits, Backspace (8) and Ctrl+X (24)
// pass; every other character code becomes 0, which cancels it.
void applyDigitRule(std::int16_t& code);

// KeyPress of Combo1, Combo2 and Combo3: a letter step, then the digit rule.
// Only Backspace and Ctrl+X come through both, so nothing can be typed into
// a combo: its text comes from its list.
void applyComboRule(std::int16_t& code);

}  // namespace zanfiro
