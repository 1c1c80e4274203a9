#include "app/failure_guard.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>
#include <new>

namespace zanfiro {

namespace {
// Set once the program is on its way out, so that no event still queued
// runs another handler against a data source that has failed.
bool programEnding = false;
}  // namespace

FailureGuard::FailureGuard(Sink sink) : sink_(std::move(sink)) {}

bool FailureGuard::run(const std::function<void()>& handler) {
    if (programEnding) return false;
    try {
        handler();
        return true;
    } catch (const store::Failure& failure) {
        sink_(failure);
    } catch (const std::bad_alloc&) {
        sink_(store::Failure(7, "Out of memory"));
    } catch (const std::exception& error) {
        sink_(store::Failure(51, std::string("Internal error: ") + error.what()));
    }
    return false;
}

void showFailureAndEndProgram(const store::Failure& failure) {
    programEnding = true;
    const QString number = QString::number(failure.number());
    const QString description = QString::fromStdString(failure.description());
    std::cerr << "zanfiro: error " << failure.number() << ": " << failure.description() << std::endl;
    QMessageBox box(QMessageBox::Critical,
                    QApplication::applicationDisplayName(),
                    QStringLiteral("Errore %1\n\n%2").arg(number, description),
                    QMessageBox::Ok);
    box.exec();
    // Outside the event loop (during start-up) this does nothing and the
    // caller returns the status itself.
    QApplication::exit(kFailureExitStatus);
}

}  // namespace zanfiro
