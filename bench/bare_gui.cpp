// The yardstick of startup_commandline: a bare Qt GUI program that prints a line and ends.
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    std::printf("%s\n", qPrintable(QGuiApplication::platformName()));
    return 0;
}
