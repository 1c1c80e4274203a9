#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "base/failure.h"

namespace zanfiro::testing {

class TempDatabase;

// The editor's four fields, named after the columns they fill: Text1 (D), Combo3 (M), Combo2 (T), Text4 (QTY).
struct Editor {
    std::string D, M, T, QTY;
    bool operator==(const Editor&) const = default;
};

// The selected option of each group: Option1 or Option2 for the type, Option3 to Option6 for the module.
struct Options {
    std::string type, module;
    bool operator==(const Options&) const = default;
};
// Named as the operator reads them: Corona or Pignone, and the module.
inline const Options kCorona04{"Option1", "Option3"}, kCorona06{"Option1", "Option4"}, kCorona48{"Option1", "Option5"},
    kCorona64{"Option1", "Option6"}, kPignone04{"Option2", "Option3"}, kPignone06{"Option2", "Option4"},
    kPignone48{"Option2", "Option5"}, kPignone64{"Option2", "Option6"};
inline const Options kStartUpOptions = kCorona04;

// What the operator reads after a step: Label1, the editor, the options (unless told, those the start-up selects)
// and the IDs heading the rows of the lists (Combo1's and List1's, which must agree).
struct Shown {
    std::string status;
    Editor editor;
    Options options = kStartUpOptions;
    std::vector<std::string> ids;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Editor& editor, std::ostream* out);
void PrintTo(const Options& options, std::ostream* out);
void PrintTo(const Shown& shown, std::ostream* out);

// The real window on the offscreen platform, opened on a test database, its failure sink recording instead of
// ending the program; driven as an operator drives it.
class WindowHarness {
public:
    explicit WindowHarness(const TempDatabase& database);
    explicit WindowHarness(std::string connectionString);

    MainWindow& window() { return *window_; }
    Form1& form() { return window_->form(); }
    bool start();  // Load, then shown and active
    const std::vector<Failure>& failures() const { return failures_; }
    std::vector<int> failureNumbers() const;

    template <typename W>
    W* widget(std::string_view name) const {
        if (auto* w = qobject_cast<W*>(window_->control(name))) return w;
        throw std::runtime_error("no such control: " + std::string(name));
    }
    QComboBox* combo(std::string_view name) const { return widget<QComboBox>(name); }
    QLineEdit* textBox(std::string_view name) const { return widget<QLineEdit>(name); }
    QRadioButton* option(std::string_view name) const { return widget<QRadioButton>(name); }
    QPushButton* button(std::string_view name) const { return widget<QPushButton>(name); }

    // What the operator sees.
    std::string text(std::string_view field) const;         // a text box or a combo
    std::string visibleText(std::string_view field) const;  // the part of its text the field's width shows
    std::string status() const { return widget<QLabel>("Label1")->text().toStdString(); }
    std::vector<std::string> comboRows(std::string_view name = "Combo1") const;
    std::vector<std::string> listRows() const;
    std::string focusedControl() const;
    Editor editor() const;
    Options options() const;  // each group's checked option, or "" when none is
    Shown shown() const;

    // What the operator does.
    void press(std::string_view button);           // mouse click
    void choose(std::string_view combo, int row);  // a row picked from the drop-down
    void type(std::string_view field, std::string_view keys);
    void key(std::string_view field, int qtKey, int modifiers = 0);
    void clickListRow(int row);
    void pick(std::int64_t id);                  // chooses the row of Combo1 headed by the ID
    void selectOptions(const Options& options);  // each option clicked
    void fillEditor(const Editor& editor);       // as a paste would, past the keyboard rules

private:
    QWidget* focused(std::string_view field);
    std::unique_ptr<MainWindow> window_;
    std::vector<Failure> failures_;
};

}  // namespace zanfiro::testing
