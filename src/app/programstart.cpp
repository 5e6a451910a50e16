#include "programstart.h"

#include "settings/firststart.h"
#include "settings/settings.h"

#include <QDir>

#include <cstdio>

namespace orlam {

namespace {

QtMessageHandler previousHandler = nullptr;

void filterMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (previousHandler)
        previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

QString settingsPath(const QString &startFolder)
{
    const QString chosen = qEnvironmentVariable("ORLAM_SETTINGS");
    return chosen.isEmpty() ? settingsFilePath() : QDir(startFolder).absoluteFilePath(chosen);
}

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool choosePlatform(const CommandLine &commandLine)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!x11 && !wayland) {
        if (!commandLine.endsAfterStart()) {
            std::fputs("orlam: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not "
                       "set).\n"
                       "Without a display these run: orlam x, orlam INPUT OUTPUT, orlam --hours [DATE], "
                       "orlam --next-hour PLANET, orlam --ics FROM TO FILE, orlam --help, orlam --version.\n",
                       stderr);
            return false;
        }
        // The command-line modes never show a window.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (commandLine.endsAfterStart()) {
        // A display that cannot be reached (a stale DISPLAY in a script or an ssh session)
        // would end the program before it starts; the modes then run without one.
        // X11 first where there is one (XWayland too): a program without a window can own
        // the clipboard there, and hand it on when it ends.
        qputenv("QT_QPA_PLATFORM", x11 && wayland ? "xcb;wayland;offscreen"
                                   : x11          ? "xcb;offscreen"
                                                  : "wayland;offscreen");
    } else if (!x11) {
        // A Wayland session that does not say so (XDG_SESSION_TYPE unset) would otherwise
        // have Qt try X11 only, and end.
        qputenv("QT_QPA_PLATFORM", "wayland");
    }
    return true;
}

bool printed(const Status &status)
{
    if (!status)
        std::fprintf(stderr, "orlam: %s\n", status.message.toLocal8Bit().constData());
    return status.ok;
}

void printUserMessage(const QString &text)
{
    const QStringList lines =
        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    for (const QString &line : lines)
        std::fprintf(stderr, "orlam: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void filterQtMessages()
{
    const QtMessageHandler installed = qInstallMessageHandler(filterMessage);
    // A second call (the window module after the program) keeps the first one's predecessor.
    if (installed != filterMessage)
        previousHandler = installed;
}

void applyFirstStartQuietly(TSettings *settings, const QString &settingsFile)
{
    const FirstStart plan = planFirstStart(computerZone(), zoneInfoDirectory());
    plan.apply(settings);
    const Status written = writeFirstStart(settingsFile, plan);
    const QString line = written ? plan.description() : written.message;
    std::fprintf(stderr, "orlam: %s\n", line.toLocal8Bit().constData());
}

} // namespace orlam
