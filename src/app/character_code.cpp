#include "app/character_code.h"

namespace zanfiro {

std::optional<std::int16_t> characterCode(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    // Tab moves the focus; it is no typed text and must reach the window.
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return std::nullopt;
    default: break;
    }
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::int16_t>(key - Qt::Key_A + 1);
    }
    if (text.size() != 1) return std::nullopt;
    const char16_t unit = text.front().unicode();
    if (unit < 0x20 || unit == 0x7f) return std::nullopt;  // Delete and friends type nothing
    // Codes are signed 16-bit, as the rules compare them.
    return static_cast<std::int16_t>(unit);
}

}  // namespace zanfiro
