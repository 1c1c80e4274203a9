// What a bare Qt window costs to start on this machine: the floor of the
// program's start-up figures. Built like the program's main, without the
// controls, the icon and the database.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zanfiro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zanfiro v1.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zanfiro.Zanfiro"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Zanfiro v1.1"));
    window.setFixedSize(885, 519);
    window.show();
    return app.exec();
}
