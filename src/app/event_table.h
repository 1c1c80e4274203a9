#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "form/form.h"

namespace zanfiro {

// The controls' events that have handlers, and the handler of each. No
// other event of any control runs program code.
struct ClickHandler {
    std::string_view control;
    void (*handler)(Form1&);
};

struct KeyPressHandler {
    std::string_view control;
    void (*handler)(std::int16_t& code);
};

std::span<const ClickHandler> clickHandlers();
std::span<const KeyPressHandler> keyPressHandlers();

}  // namespace zanfiro
