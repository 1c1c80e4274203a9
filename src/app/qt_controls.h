#pragma once

#include "form/controls.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace zanfiro {

// The control operations over Qt widgets. Each wrapper only borrows its
// widget; the window owns the widgets.

class QtTextBox final : public TextBox {
public:
    explicit QtTextBox(QLineEdit* edit);
    std::string text() const override;
    void setText(const std::string& text) override;
    void setFocus() override;

private:
    QLineEdit* edit_;
};

class QtComboBox final : public ComboBox {
public:
    explicit QtComboBox(QComboBox* combo);
    std::string text() const override;
    void setText(const std::string& text) override;
    void addItem(const std::string& entry) override;
    void clear() override;
    void setFocus() override;

private:
    QComboBox* combo_;
};

class QtListBox final : public ListBox {
public:
    explicit QtListBox(QListWidget* list);
    void addItem(const std::string& row) override;
    void clear() override;

private:
    QListWidget* list_;
};

class QtLabel final : public Label {
public:
    explicit QtLabel(QLabel* label);
    void setCaption(const std::string& caption) override;

private:
    QLabel* label_;
};

class QtOptionButton final : public OptionButton {
public:
    explicit QtOptionButton(QRadioButton* button);
    bool value() const override;
    void select() override;

private:
    QRadioButton* button_;
};

// Gives a combo box the classic behaviour: Return adds no entry, typing
// completes nothing, the drop-down shows whole rows and stays fast with tens
// of thousands of them.
void makeClassicComboBox(QComboBox* combo);

// Makes a list box stay fast with tens of thousands of rows.
void makeClassicListBox(QListWidget* list);

// A text field without the toolkit's default length limit.
void makeClassicTextBox(QLineEdit* edit);

}  // namespace zanfiro
