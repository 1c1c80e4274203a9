#include "app/qt_controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>

#include <limits>

#include "app/qt_text.h"

namespace zanfiro {

QtTextBox::QtTextBox(QLineEdit* edit) : edit_(edit) {}
std::string QtTextBox::text() const { return utf8(edit_->text()); }
void QtTextBox::setText(const std::string& text) { edit_->setText(qt(text)); }
void QtTextBox::setFocus() { edit_->setFocus(Qt::OtherFocusReason); }

QtComboBox::QtComboBox(QComboBox* combo) : combo_(combo) {}

std::string QtComboBox::text() const { return utf8(combo_->currentText()); }

void QtComboBox::setText(const std::string& text) { combo_->setEditText(qt(text)); }

void QtComboBox::addItem(const std::string& entry) {
    // Qt makes the first entry of an empty combo the current one and writes
    // it over the text; an appended entry must leave the text alone.
    if (combo_->count() > 0) {
        combo_->addItem(qt(entry));
        return;
    }
    const QString text = combo_->currentText();
    combo_->addItem(qt(entry));
    combo_->setCurrentIndex(-1);
    combo_->setEditText(text);
}

void QtComboBox::clear() {
    // Qt keeps a text that is no current entry (one the program wrote).
    combo_->clear();
    combo_->clearEditText();
}

void QtComboBox::setFocus() { combo_->setFocus(Qt::OtherFocusReason); }

QtListBox::QtListBox(QListWidget* list) : list_(list) {}
void QtListBox::addItem(const std::string& row) { list_->addItem(qt(row)); }
void QtListBox::clear() { list_->clear(); }

QtLabel::QtLabel(QLabel* label) : label_(label) {}
void QtLabel::setCaption(const std::string& caption) { label_->setText(qt(caption)); }

QtOptionButton::QtOptionButton(QRadioButton* button) : button_(button) {}
bool QtOptionButton::value() const { return button_->isChecked(); }
void QtOptionButton::select() { button_->setChecked(true); }

void makeClassicComboBox(QComboBox* combo) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    // On losing the focus Qt makes an entry that matches the text current
    // and emits activated: a text the program wrote would raise a Click.
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
    combo->setMaxVisibleItems(16);
    // Measuring every row for a size hint costs seconds with 30,000 rows;
    // the combo's size is fixed anyway.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* view = new QListView(combo);
    view->setUniformItemSizes(true);
    view->setTextElideMode(Qt::ElideNone);
    combo->setView(view);
    makeClassicTextBox(combo->lineEdit());
}

void makeClassicListBox(QListWidget* list) {
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
}

void makeClassicTextBox(QLineEdit* edit) { edit->setMaxLength(std::numeric_limits<int>::max()); }

}  // namespace zanfiro
