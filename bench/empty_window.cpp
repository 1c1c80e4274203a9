// What a bare Qt window costs to start on this machine: the floor of the
// program's start-up figures. Built like the program's main, without the
// controls, the icon and the database. With --label it shows one line of
// text, and so pays for loading the fonts as every window with text does.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zanfiro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zanfiro v1.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zanfiro.Zanfiro"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Zanfiro v1.1"));
    window.setFixedSize(885, 519);
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0) new QLabel(QStringLiteral("Lista Completa"), &window);
    window.show();
    return app.exec();
}
