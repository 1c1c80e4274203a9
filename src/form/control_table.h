#pragma once

#include <span>
#include <string_view>

namespace zanfiro {

enum class ControlKind { CommandButton, Label, Frame, OptionButton, TextBox, ComboBox, ListBox };

// One control of the window as it is created. Positions and sizes are in
// twips (15 to a pixel at 96 dpi), relative to the container's top-left.
struct ControlDefinition {
    std::string_view name;
    ControlKind kind;
    std::string_view container;                 // "Form1" for the window itself
    std::string_view caption;                   // caption, or a field's initial text
    std::span<const std::string_view> entries;  // a combo box's list, in order
    int left, top, width, height;
    int tabIndex;
    bool visible = true;
    bool enabled = true;
};

struct WindowDefinition {
    std::string_view name;
    std::string_view caption;
    int clientWidth, clientHeight;  // twips
};

inline constexpr int kTwipsPerPixel = 15;

const WindowDefinition& windowDefinition();

// Every control of the window, in tab-index order.
std::span<const ControlDefinition> controlTable();

}  // namespace zanfiro
