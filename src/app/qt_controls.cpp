#include "app/qt_controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>

#include <limits>

#include "app/qt_text.h"
#include "app/row_delegate.h"
#include "app/row_list_model.h"

namespace zanfiro {

QtTextBox::QtTextBox(QLineEdit* edit) : edit_(edit) {}
std::string QtTextBox::text() const { return utf8(edit_->text()); }
void QtTextBox::setText(const std::string& text) { edit_->setText(qt(text)); }
void QtTextBox::setFocus() { edit_->setFocus(Qt::OtherFocusReason); }

QtComboBox::QtComboBox(QComboBox* combo) : combo_(combo), rows_(new RowListModel(combo)) {
    combo_->setModel(rows_);
    // Qt makes the first row of an empty combo the current one and writes it
    // over the text; appended rows must leave the text alone. The combo's
    // own reaction to the insertion runs first, so this one undoes it.
    QObject::connect(rows_, &QAbstractItemModel::rowsAboutToBeInserted, combo_, [this](const QModelIndex&, int first) {
        if (first == 0) textBeforeFirstRows_ = combo_->currentText();
    });
    QObject::connect(rows_, &QAbstractItemModel::rowsInserted, combo_, [this](const QModelIndex&, int first) {
        if (first != 0) return;
        combo_->setCurrentIndex(-1);
        combo_->setEditText(textBeforeFirstRows_);
    });
}

std::string QtComboBox::text() const { return utf8(combo_->currentText()); }

void QtComboBox::setText(const std::string& text) { combo_->setEditText(qt(text)); }

void QtComboBox::addItem(const std::string& entry) { rows_->append(entry); }

void QtComboBox::clear() {
    rows_->clear();
    // Qt keeps a text that is no current entry (one the program wrote).
    combo_->clearEditText();
}

void QtComboBox::setFocus() { combo_->setFocus(Qt::OtherFocusReason); }

void QtComboBox::settle() { rows_->settle(); }

QtListBox::QtListBox(QListView* list) : rows_(new RowListModel(list)) { list->setModel(rows_); }
void QtListBox::addItem(const std::string& row) { rows_->append(row); }
void QtListBox::clear() { rows_->clear(); }
void QtListBox::settle() { rows_->settle(); }

QtLabel::QtLabel(QLabel* label) : label_(label) {}
void QtLabel::setCaption(const std::string& caption) { label_->setText(qt(caption)); }

QtOptionButton::QtOptionButton(QRadioButton* button) : button_(button) {}
bool QtOptionButton::value() const { return button_->isChecked(); }
void QtOptionButton::select() { button_->setChecked(true); }

ClassicComboBox::ClassicComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    // On losing the focus Qt makes an entry that matches the text current
    // and emits activated: a text the program wrote would raise a Click.
    QObject::disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    // Qt leaves the cursor at the end of a chosen entry, and a row of Combo1
    // is wider than the field: only its tail would show, not the ID and the
    // teeth that SAVE and DELETE go by. Connected before the window's
    // handlers, so that a failure they report already finds the ID in view.
    QObject::connect(this, &QComboBox::activated, this, [this] { lineEdit()->setCursorPosition(0); });
    setMaxVisibleItems(16);
    // Measuring every row for a size hint costs seconds with 30,000 rows;
    // the combo's size is fixed anyway.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    makeClassicTextBox(lineEdit());
}

void ClassicComboBox::showPopup() {
    // The drop-down is set up at its first opening, not with the window:
    // a view of our own for each of the three combos cost the start-up half
    // a millisecond.
    if (!dropDownReady_) {
        auto* rows = qobject_cast<QListView*>(view());
        // Laying out 30,000 rows of differing sizes takes seconds.
        rows->setUniformItemSizes(true);
        rows->setTextElideMode(Qt::ElideNone);
        setItemDelegate(new RowDelegate(this));
        dropDownReady_ = true;
    }
    QComboBox::showPopup();
}

void makeClassicListBox(QListView* list) {
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setTextElideMode(Qt::ElideNone);
    list->setItemDelegate(new RowDelegate(list));
}

void makeClassicTextBox(QLineEdit* edit) { edit->setMaxLength(std::numeric_limits<int>::max()); }

}  // namespace zanfiro
