#include "app/failure_guard.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>
#include <new>
#include <optional>

#include "app/qt_text.h"

namespace zanfiro {

FailureGuard::FailureGuard() : sink_([this](const Failure& failure) { showFailureAndEndProgram(failure); }) {}

bool FailureGuard::run(const std::function<void()>& handler) {
    if (programEnding_) return false;
    std::optional<Failure> failure;
    try {
        handler();
    } catch (const Failure& caught) {
        failure = caught;
    } catch (const std::bad_alloc&) {
        failure = Failure(failure::kOutOfMemory, "Out of memory");
    } catch (const std::exception& error) {
        failure = Failure(failure::kInternalError, std::string("Internal error: ") + error.what());
    }
    if (settle_) settle_();
    if (!failure) return true;
    sink_(*failure);
    return false;
}

void FailureGuard::showFailureAndEndProgram(const Failure& failure) {
    programEnding_ = true;
    std::cerr << "zanfiro: error " << failure.number() << ": " << failure.description() << std::endl;
    QMessageBox box(QMessageBox::Critical,
                    QApplication::applicationDisplayName(),
                    QStringLiteral("Errore %1\n\n%2").arg(QString::number(failure.number()), qt(failure.description())),
                    QMessageBox::Ok);
    box.exec();
    // Outside the event loop (during start-up) this does nothing and the
    // caller returns the status itself.
    QApplication::exit(kFailureExitStatus);
}

}  // namespace zanfiro
