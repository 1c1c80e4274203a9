#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zanfiro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zanfiro v1.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zanfiro.Zanfiro"));

    zanfiro::MainWindow window;
    if (!window.load()) return zanfiro::kFailureExitStatus;
    window.show();
    return app.exec();
}
