#include "window_harness.h"

#include <QApplication>
#include <QTest>

#include "temp_database.h"

namespace zanfiro::testing {

namespace {

std::vector<std::string> rowsOf(const QAbstractItemModel* model) {
    std::vector<std::string> rows;
    for (int i = 0; i < model->rowCount(); ++i) rows.push_back(model->index(i, 0).data().toString().toStdString());
    return rows;
}

}  // namespace

WindowHarness::WindowHarness(const TempDatabase& database) : WindowHarness(database.connectionString()) {}

WindowHarness::WindowHarness(std::string connectionString)
    : window_(std::make_unique<MainWindow>(std::move(connectionString))) {
    window_->guard().setSink([this](const Failure& failure) { failures_.push_back(failure); });
}

bool WindowHarness::start() {
    const bool loaded = window_->load();
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get())) throw std::runtime_error("the window never became active");
    return loaded;
}

std::string WindowHarness::text(std::string_view field) const {
    if (auto* box = qobject_cast<QComboBox*>(window_->control(field))) return box->currentText().toStdString();
    return textBox(field)->text().toStdString();
}

std::vector<std::string> WindowHarness::comboRows(std::string_view name) const { return rowsOf(combo(name)->model()); }
std::vector<std::string> WindowHarness::listRows() const { return rowsOf(widget<QAbstractItemView>("List1")->model()); }

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
    while (focus && focus->objectName().isEmpty()) focus = focus->parentWidget();  // a combo's line edit
    return focus ? focus->objectName().toStdString() : "";
}

void WindowHarness::press(std::string_view name) { QTest::mouseClick(button(name), Qt::LeftButton); }

void WindowHarness::choose(std::string_view name, int row) {
    QComboBox* box = combo(name);
    box->showPopup();
    box->view()->setCurrentIndex(box->model()->index(row, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
}

QWidget* WindowHarness::focused(std::string_view field) {
    window_->control(field)->setFocus();
    return window_->control(field);
}

void WindowHarness::type(std::string_view field, std::string_view keys) {
    QTest::keyClicks(focused(field), QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size())));
}

void WindowHarness::key(std::string_view field, int qtKey, int modifiers) {
    QTest::keyClick(focused(field), static_cast<Qt::Key>(qtKey), Qt::KeyboardModifiers(modifiers));
}

void WindowHarness::clickListRow(int row) {
    auto* rows = widget<QAbstractItemView>("List1");
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualRect(rows->model()->index(row, 0)).center());
}

}  // namespace zanfiro::testing
