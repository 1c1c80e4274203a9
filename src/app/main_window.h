#pragma once

#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/failure_guard.h"
#include "app/qt_controls.h"
#include "form/form.h"

namespace zanfiro {

// Form1: the program's one window, built from the control table, with
// every event of the event table wired through the failure guard.
class MainWindow final : public QWidget, public Window {
public:
    // How the window comes onto the screen. Hidden: built whole, shown by the
    // caller (the tests). FrameFirst: the frame is mapped before anything
    // else, as fast as an empty window, and the controls (whose fonts cost
    // more than the frame itself) and the icon follow on the screen, before
    // any input is taken.
    enum class Opening { Hidden, FrameFirst };

    explicit MainWindow(std::string connectionString = std::string(store::kConnectionString),
                        Opening opening = Opening::Hidden);
    ~MainWindow() override;

    // Runs the window's Load handler; false when it failed, and then the
    // window has left the screen before the error shows.
    bool load();

    // Closes the window; the program ends when the running handler returns.
    void unload() override;

    Form1& form() { return *form_; }
    FailureGuard& guard() { return guard_; }

    // A control by its name, as the control table names it.
    QWidget* control(std::string_view name) const;

private:
    void createControls();
    void setTabOrder();
    void connectEvents();
    void settleLists();

    FailureGuard guard_;
    std::map<std::string, QWidget*, std::less<>> controls_;
    std::map<std::string, std::unique_ptr<TextBox>, std::less<>> textBoxes_;
    std::map<std::string, std::unique_ptr<QtComboBox>, std::less<>> comboBoxes_;
    std::map<std::string, std::unique_ptr<QtListBox>, std::less<>> listBoxes_;
    std::map<std::string, std::unique_ptr<Label>, std::less<>> labels_;
    std::map<std::string, std::unique_ptr<OptionButton>, std::less<>> optionButtons_;
    std::unique_ptr<Form1> form_;
};

}  // namespace zanfiro
