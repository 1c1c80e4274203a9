#include "window_harness.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "temp_database.h"

namespace zanfiro::testing {

namespace {

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

template <typename W>
W* need(MainWindow& window, std::string_view name) {
    auto* widget = qobject_cast<W*>(window.control(name));
    if (!widget) throw std::runtime_error("no control of that kind: " + std::string(name));
    return widget;
}

}  // namespace

WindowHarness::WindowHarness(const TempDatabase& database) : WindowHarness(database.connectionString()) {}

WindowHarness::WindowHarness(std::string connectionString)
    : window_(std::make_unique<MainWindow>(std::move(connectionString))) {
    window_->guard().setSink([this](const store::Failure& failure) { failures_.push_back(failure); });
}

WindowHarness::~WindowHarness() = default;

bool WindowHarness::start() {
    const bool loaded = window_->load();
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get())) throw std::runtime_error("the window never became active");
    return loaded;
}

QComboBox* WindowHarness::combo(std::string_view name) const { return need<QComboBox>(*window_, name); }
QLineEdit* WindowHarness::textBox(std::string_view name) const { return need<QLineEdit>(*window_, name); }
QListWidget* WindowHarness::list() const { return need<QListWidget>(*window_, "List1"); }
QLabel* WindowHarness::label(std::string_view name) const { return need<QLabel>(*window_, name); }
QRadioButton* WindowHarness::option(std::string_view name) const { return need<QRadioButton>(*window_, name); }
QPushButton* WindowHarness::button(std::string_view name) const { return need<QPushButton>(*window_, name); }

std::string WindowHarness::text(std::string_view field) const {
    QWidget* widget = window_->control(field);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    if (auto* box = qobject_cast<QComboBox*>(widget)) return box->currentText().toStdString();
    throw std::runtime_error("no text field: " + std::string(field));
}

std::string WindowHarness::status() const { return label("Label1")->text().toStdString(); }

std::vector<std::string> WindowHarness::comboRows(std::string_view name) const {
    std::vector<std::string> rows;
    QComboBox* box = combo(name);
    for (int i = 0; i < box->count(); ++i) rows.push_back(box->itemText(i).toStdString());
    return rows;
}

std::vector<std::string> WindowHarness::listRows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < list()->count(); ++i) rows.push_back(list()->item(i)->text().toStdString());
    return rows;
}

std::string WindowHarness::selectedType() const {
    for (const char* name : {"Option1", "Option2"})
        if (option(name)->isChecked()) return name;
    return "";
}

std::string WindowHarness::selectedModule() const {
    for (const char* name : {"Option3", "Option4", "Option5", "Option6"})
        if (option(name)->isChecked()) return name;
    return "";
}

std::string WindowHarness::focusedControl() const {
    QWidget* focus = QApplication::focusWidget();
    // A combo's line edit has the combo as its focus proxy.
    while (focus && focus->objectName().isEmpty()) focus = focus->parentWidget();
    return focus ? focus->objectName().toStdString() : "";
}

void WindowHarness::press(std::string_view name) { QTest::mouseClick(button(name), Qt::LeftButton); }

void WindowHarness::choose(std::string_view name, int row) {
    QComboBox* box = combo(name);
    box->showPopup();
    QAbstractItemView* view = box->view();
    view->setCurrentIndex(box->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Return);
}

void WindowHarness::type(std::string_view field, std::string_view keys) {
    QWidget* widget = window_->control(field);
    widget->setFocus();
    QTest::keyClicks(widget, qt(keys));
}

void WindowHarness::key(std::string_view field, int qtKey, int modifiers) {
    QWidget* widget = window_->control(field);
    widget->setFocus();
    QTest::keyClick(widget, static_cast<Qt::Key>(qtKey), Qt::KeyboardModifiers(modifiers));
}

void WindowHarness::clickListRow(int row) {
    QListWidget* rows = list();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(rows->item(row)).center());
}

}  // namespace zanfiro::testing
