#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zanfiro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zanfiro v1.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zanfiro.Zanfiro"));

    // On the screen at once; the Load fills the lists before any input is
    // taken.
    zanfiro::MainWindow window(std::string(zanfiro::store::kConnectionString),
                               zanfiro::MainWindow::Opening::FrameFirst);
    if (!window.load()) return zanfiro::kFailureExitStatus;
    return app.exec();
}
