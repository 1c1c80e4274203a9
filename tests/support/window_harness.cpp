#include "window_harness.h"

#include <QApplication>
#include <QTest>

#include <algorithm>

#include "temp_database.h"

namespace zanfiro::testing {

namespace {

std::vector<std::string> rowsOf(const QAbstractItemModel* model) {
    std::vector<std::string> rows;
    for (int i = 0; i < model->rowCount(); ++i) rows.push_back(model->index(i, 0).data().toString().toStdString());
    return rows;
}

// The ID heading each row: the text before the first space.
std::vector<std::string> idsOf(const std::vector<std::string>& rows) {
    std::vector<std::string> ids;
    for (const std::string& row : rows) ids.push_back(row.substr(0, row.find(' ')));
    return ids;
}

}  // namespace

void PrintTo(const Editor& e, std::ostream* out) {
    *out << "{D \"" << e.D << "\", M \"" << e.M << "\", T \"" << e.T << "\", QTY \"" << e.QTY << "\"}";
}

void PrintTo(const Options& o, std::ostream* out) { *out << "{" << o.type << ", " << o.module << "}"; }

void PrintTo(const Shown& s, std::ostream* out) {
    *out << "\n  Label1 \"" << s.status << "\"\n  editor ";
    PrintTo(s.editor, out);
    *out << "\n  options ";
    PrintTo(s.options, out);
    *out << "\n  IDs";
    for (const std::string& id : s.ids) *out << " " << id;
    *out << "\n";
}

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

std::vector<int> WindowHarness::failureNumbers() const {
    std::vector<int> numbers;
    for (const Failure& failure : failures_) numbers.push_back(failure.number());
    return numbers;
}

std::string WindowHarness::text(std::string_view field) const {
    if (auto* box = qobject_cast<QComboBox*>(window_->control(field))) return box->currentText().toStdString();
    return textBox(field)->text().toStdString();
}

std::string WindowHarness::visibleText(std::string_view field) const {
    auto* box = qobject_cast<QComboBox*>(window_->control(field));
    QLineEdit* edit = box ? box->lineEdit() : textBox(field);
    edit->repaint();  // a line edit scrolls its text to the cursor when it paints
    const int y = edit->height() / 2;
    const int first = edit->cursorPositionAt(QPoint(0, y));
    const int last = edit->cursorPositionAt(QPoint(edit->width() - 1, y));
    return edit->text().mid(first, last - first).toStdString();
}

std::vector<std::string> WindowHarness::comboRows(std::string_view name) const { return rowsOf(combo(name)->model()); }
std::vector<std::string> WindowHarness::listRows() const { return rowsOf(widget<QAbstractItemView>("List1")->model()); }

Options WindowHarness::options() const {
    Options checked;
    for (const char* name : {"Option1", "Option2"})
        if (option(name)->isChecked()) checked.type = name;
    for (const char* name : {"Option3", "Option4", "Option5", "Option6"})
        if (option(name)->isChecked()) checked.module = name;
    return checked;
}

std::string WindowHarness::focusedControl() const {
    QWidget* focus = QApplication::focusWidget();
    while (focus && focus->objectName().isEmpty()) focus = focus->parentWidget();  // a combo's line edit
    return focus ? focus->objectName().toStdString() : "";
}

Editor WindowHarness::editor() const { return {text("Text1"), text("Combo3"), text("Combo2"), text("Text4")}; }

Shown WindowHarness::shown() const {
    std::vector<std::string> ids = idsOf(comboRows());
    if (const auto listed = idsOf(listRows()); listed != ids) {
        ids.insert(ids.begin(), "Combo1:");
        ids.push_back("List1:");
        ids.insert(ids.end(), listed.begin(), listed.end());
    }
    return {status(), editor(), options(), ids};
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

void WindowHarness::pick(std::int64_t id) {
    const std::vector<std::string> ids = idsOf(comboRows());
    const auto row = std::ranges::find(ids, std::to_string(id));
    if (row == ids.end()) throw std::runtime_error("Combo1 has no row for ID " + std::to_string(id));
    choose("Combo1", static_cast<int>(row - ids.begin()));
}

void WindowHarness::selectOptions(const Options& options) {
    for (const std::string& name : {options.type, options.module}) option(name)->click();
}

void WindowHarness::fillEditor(const Editor& e) {
    form().Text1.setText(e.D);
    form().Combo3.setText(e.M);
    form().Combo2.setText(e.T);
    form().Text4.setText(e.QTY);
}

}  // namespace zanfiro::testing
