#pragma once

#include <string>

namespace zanfiro {

// What the handlers may do with each kind of control, and nothing more.
// Texts are UTF-8. The window binding implements these over real widgets.

class TextBox {
public:
    virtual ~TextBox() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setFocus() = 0;
};

class ComboBox {
public:
    virtual ~ComboBox() = default;
    virtual std::string text() const = 0;
    // Writing the text from the program never raises the combo's Click.
    virtual void setText(const std::string& text) = 0;
    // Appends an entry after the others; the text stays as it is.
    virtual void addItem(const std::string& entry) = 0;
    // Removes every entry and empties the text.
    virtual void clear() = 0;
    virtual void setFocus() = 0;
};

class ListBox {
public:
    virtual ~ListBox() = default;
    virtual void addItem(const std::string& row) = 0;
    virtual void clear() = 0;
};

class Label {
public:
    virtual ~Label() = default;
    virtual void setCaption(const std::string& caption) = 0;
};

class OptionButton {
public:
    virtual ~OptionButton() = default;
    virtual bool value() const = 0;
    // Selecting a button clears the others of its own group only.
    virtual void select() = 0;
};

class Window {
public:
    virtual ~Window() = default;
    // Closes and destroys the window; as the program's only window, that
    // ends the program once the running handler returns.
    virtual void unload() = 0;
};

}  // namespace zanfiro
