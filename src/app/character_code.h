#pragma once

#include <QString>
#include <Qt>

#include <cstdint>
#include <optional>

namespace zanfiro {

// The classic character code of a key press, as a KeyPress handler sees it,
// or nothing for keys that type no character (arrows, Delete, Tab, ...).
// Derived from key and modifiers where the platforms disagree: offscreen
// gives Ctrl+X the text "x", X11 the control character.
std::optional<std::int16_t> characterCode(int key, Qt::KeyboardModifiers modifiers, const QString& text);

}  // namespace zanfiro
