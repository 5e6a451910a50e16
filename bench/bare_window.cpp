// The yardstick of startup_window: a bare Qt Widgets window that shows its title. The title is
// the first argument, so the benchmark knows what to wait for.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bare window"));
    window.resize(400, 315);
    window.show();
    return app.exec();
}
