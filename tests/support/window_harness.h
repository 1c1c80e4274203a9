#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "store/failure.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace zanfiro::testing {

class TempDatabase;

// The real window on the offscreen platform, opened on a test database,
// with the failure guard's sink replaced so failures are recorded instead
// of ending the test program. Drives the widgets as an operator would.
class WindowHarness {
public:
    explicit WindowHarness(const TempDatabase& database);
    explicit WindowHarness(std::string connectionString);
    ~WindowHarness();

    MainWindow& window() { return *window_; }
    Form1& form() { return window_->form(); }

    // Runs Load, then shows the window and waits until it is active.
    bool start();

    // Failures that reached the guard, oldest first.
    const std::vector<store::Failure>& failures() const { return failures_; }

    QComboBox* combo(std::string_view name) const;
    QLineEdit* textBox(std::string_view name) const;
    QListWidget* list() const;
    QLabel* label(std::string_view name) const;
    QRadioButton* option(std::string_view name) const;
    QPushButton* button(std::string_view name) const;

    // What the operator sees.
    std::string text(std::string_view field) const;  // a text box or a combo
    std::string status() const;                      // Label1
    std::vector<std::string> comboRows(std::string_view name = "Combo1") const;
    std::vector<std::string> listRows() const;
    // The selected option of each group, by name ("" when none).
    std::string selectedType() const;
    std::string selectedModule() const;
    std::string focusedControl() const;

    // What the operator does.
    void press(std::string_view button);                        // mouse click
    void choose(std::string_view combo, int row);               // pick a row from the drop-down
    void type(std::string_view field, std::string_view keys);   // typed characters, one key each
    void key(std::string_view field, int qtKey, int modifiers = 0);
    void clickListRow(int row);

private:
    std::unique_ptr<MainWindow> window_;
    std::vector<store::Failure> failures_;
};

}  // namespace zanfiro::testing
