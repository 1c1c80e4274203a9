#pragma once

#include <QComboBox>
#include <QString>

#include "form/controls.h"

class QLabel;
class QLineEdit;
class QListView;
class QRadioButton;

namespace zanfiro {

class RowListModel;

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

// The list controls keep their rows in a RowListModel of their own, which
// the wrapper puts on the widget; settle() hands the rows appended since
// the last call to the views.
class QtComboBox final : public ComboBox {
public:
    explicit QtComboBox(QComboBox* combo);
    std::string text() const override;
    void setText(const std::string& text) override;
    void addItem(const std::string& entry) override;
    void clear() override;
    void setFocus() override;
    void settle();

private:
    QComboBox* combo_;
    RowListModel* rows_;
    QString textBeforeFirstRows_;
};

class QtListBox final : public ListBox {
public:
    explicit QtListBox(QListView* list);
    void addItem(const std::string& row) override;
    void clear() override;
    void settle();

private:
    RowListModel* rows_;
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

// A combo box with the classic behaviour: Return adds no entry, typing
// completes nothing, a chosen entry shows from its start, the drop-down shows
// whole rows and stays fast with tens of thousands of them.
class ClassicComboBox final : public QComboBox {
public:
    explicit ClassicComboBox(QWidget* parent);
    void showPopup() override;

private:
    bool dropDownReady_ = false;
};

// Makes a list box show whole rows and stay fast with tens of thousands of
// them.
void makeClassicListBox(QListView* list);

// A text field without the toolkit's default length limit.
void makeClassicTextBox(QLineEdit* edit);

}  // namespace zanfiro
