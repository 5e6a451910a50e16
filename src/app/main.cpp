#include "appicons.h"
#include "apptranslations.h"
#include "astrocalls/enginegroups.h"
#include "clipboardkeeper.h"
#include "commandline.h"
#include "commandlinerun.h"
#include "common/standardoutput.h"
#include "common/xdgpaths.h"
#include "hourscli.h"
#include "programstyle.h"
#include "settings/firststart.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "settings/settingsjournal.h"
#include "shellmessages.h"
#include "singleinstance.h"
#include "torm.h"
#include "workfolder.h"

#include <QApplication>
#include <QDir>
#include <QStatusBar>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace orlam;

namespace {

constexpr int FirstStartNoteMs = 12000;

// ORLAM_SETTINGS names another settings file (a second profile, or a test's own file), relative
// to the folder the program was started in.
QString settingsPath(const QString &startFolder)
{
    const QString chosen = qEnvironmentVariable("ORLAM_SETTINGS");
    return chosen.isEmpty() ? settingsFilePath() : QDir(startFolder).absoluteFilePath(chosen);
}

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Standard output carries the answer of a command-line mode; an answer that could not be
// written there is a failure, said on standard error.
bool printed(const Status &status)
{
    if (!status)
        std::fprintf(stderr, "orlam: %s\n", status.message.toLocal8Bit().constData());
    return status.ok;
}

// The date's lines as the view holds them (CR LF or LF between them), one a line.
Status printDate(const QString &text)
{
    return printLines(
        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n')));
}

// Outside a desktop session (cron, ssh) Qt notes on every start that XDG_RUNTIME_DIR is unset
// and picks a folder of its own. That is no news to the user of "orlam x" in a script, whose
// standard error should carry only real failures.
QtMessageHandler previousHandler = nullptr;

void filterQtMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (previousHandler)
        previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// No settings file yet: the place of the computer's time zone and its clock, so that the first
// date shown is right where the user is. Only after the settings have loaded, so that a locale
// the program refuses leaves no file behind. Returns the note for the status bar; a
// command-line mode gets a line on standard error instead, which carries only the date or the
// batch result.
QString applyFirstStart(TSettings *settings, QWidget *window, const QString &settingsFile,
                        const CommandLine &commandLine)
{
    const FirstStart plan = planFirstStart(computerZone(), zoneInfoDirectory());
    plan.apply(settings);
    const Status written = writeFirstStart(settingsFile, plan);
    if (commandLine.endsAfterStart()) {
        const QString line = written ? plan.description() : written.message;
        std::fprintf(stderr, "orlam: %s\n", line.toLocal8Bit().constData());
        return {};
    }
    if (!written)
        showUserMessage(window, written.message);
    return plan.statusText();
}

// A start that cannot go on: the message on standard error for the command-line modes, in a
// message box for the window (on standard error too when there is no screen to show it on).
int failStart(int &argc, char **argv, const CommandLine &commandLine, const QString &message)
{
    if (commandLine.endsAfterStart()) {
        std::fprintf(stderr, "orlam: %s\n", message.toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    showUserMessage(nullptr, message);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything reads them: Qt's standard paths, the settings, the engine's environment.
    ignoreRelativeXdgPaths();
    // Ended by TERM, INT or HUP, the program takes every running engine with it.
    endEnginesOnSignals();

    if (argc == 3 && qstrcmp(argv[1], KeepClipboardArgument) == 0)
        return serveClipboard(argc, argv, QString::fromLocal8Bit(argv[2]));

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine commandLine = parseCommandLine(arguments);
    commandLine.startFolder = QDir::currentPath();
    if (commandLine.mode == CommandLine::Mode::Usage)
        return printed(printText(usageText())) ? 0 : 1;
    if (commandLine.mode == CommandLine::Mode::Version)
        return printed(printLines({QStringLiteral("orlam ") + VersionText})) ? 0 : 1;
    // The hour commands only read the settings and run their jobs in a folder of their own, so
    // they run beside a window: no lock, no display.
    if (commandLine.isHoursCommand()) {
        // They read the settings as a write cut off in the window's folder left them.
        SettingsJournal::setFolder(desktopWorkFolder());
        return runHoursCommandLine(argc, argv, commandLine, settingsPath(commandLine.startFolder));
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const bool onlyWayland =
            qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        if (!haveDisplay()) {
            if (!commandLine.endsAfterStart()) {
                std::fputs(
                    "orlam: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not "
                    "set).\n"
                    "Without a display these run: orlam x, orlam INPUT OUTPUT, orlam --hours [DATE], "
                    "orlam --next-hour PLANET, orlam --ics FROM TO FILE, orlam --help, orlam --version.\n",
                    stderr);
                return 1;
            }
            // The command-line modes never show a window.
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else if (commandLine.endsAfterStart()) {
            // A display that cannot be reached (a stale DISPLAY in a script or an ssh session)
            // would end the program before it starts; the modes then run without one.
            // X11 first where there is one (XWayland too): a program without a window can own
            // the clipboard there, and hand it on when it ends.
            const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
            const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
            qputenv("QT_QPA_PLATFORM", x11 && wayland ? "xcb;wayland;offscreen"
                                       : x11          ? "xcb;offscreen"
                                                      : "wayland;offscreen");
        } else if (onlyWayland) {
            // A Wayland session that does not say so (XDG_SESSION_TYPE unset) would otherwise
            // have Qt try X11 only, and end.
            qputenv("QT_QPA_PLATFORM", "wayland");
        }
    }

    // Every start works in a folder of Orlam's own, never in the user's current folder, where
    // the job file and the reports would replace the user's files of the same names.
    const QString workFolder = desktopWorkFolder();
    if (const Status made = makeWorkFolder(workFolder); !made)
        return failStart(argc, argv, commandLine, made.message);

    // One copy at a time, taken before anything else: a second copy ends at once and silently,
    // leaving the running one alone.
    SingleInstanceLock lock(SingleInstanceLock::pathIn(workFolder));
    switch (lock.tryAcquire()) {
    case SingleInstanceLock::Outcome::Acquired:
        break;
    case SingleInstanceLock::Outcome::HeldByAnother:
        // A second window stays silent. A command-line mode is asked for an answer, though: a
        // script or a terminal gets one line on standard error instead of an unexplained
        // empty result.
        if (commandLine.endsAfterStart())
            std::fputs("orlam: another copy of Orlam is running; only one copy runs at a time.\n", stderr);
        return 3;
    case SingleInstanceLock::Outcome::Failed:
        // Not another copy: a full disk, a folder that cannot be written. Said, never silent.
        return failStart(argc, argv, commandLine, lock.failure());
    }

    previousHandler = qInstallMessageHandler(filterQtMessages);
    // The command-line modes show no window: without a display they need no widgets at all (a
    // display may still have to show a message box, and the window after a failure).
    std::unique_ptr<QGuiApplication> app;
    if (commandLine.endsAfterStart() && !haveDisplay())
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Orlam"));
    QGuiApplication::setApplicationVersion(VersionText);
    QGuiApplication::setDesktopFileName(QStringLiteral("orlam"));
    // The window ends the program itself: closing a message box while the window sits in the
    // tray must not.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // Menus, dialogs and messages in the user's language (LANGUAGE, LC_MESSAGES); the date
    // itself keeps its own words.
    installTranslations();

    if (const Status entered = enterWorkFolder(workFolder, installedHelpPage()); !entered) {
        showUserMessage(nullptr, entered.message);
        return 1;
    }

    const LocaleFacts locale = LocaleFacts::system();
    const QString settingsFile = settingsPath(commandLine.startFolder);
    // A settings write that a crash cut off is finished before the file is read.
    SettingsJournal::setFolder(workFolder);
    if (const Status recovered = SettingsJournal::recover(settingsFile); !recovered)
        showUserMessage(nullptr, recovered.message);
    bool firstStart = isFirstStart(settingsFile);
    if (commandLine.endsAfterStart()) {
        CommandLineRun run(settingsFile, workFolder, locale, commandLine);
        if (!run.createStatus()) {
            showUserMessage(nullptr, run.createStatus().message);
            return 1;
        }
        if (firstStart)
            applyFirstStart(&run.settings(), nullptr, settingsFile, commandLine);
        firstStart = false;
        CommandLineRun::Result result = run.run();
        if (commandLine.mode == CommandLine::Mode::CopyDate && !run.output().isEmpty()) {
            const bool shown = printed(printDate(run.output()));
            keepClipboardAfterExit(run.output());
            if (!shown)
                result = {true, 1};
        }
        if (result.endProgram) {
            if (isHeadless()) {
                // Nothing is left to hand on at the end without a display, and the end of the
                // application object would only load the font configuration to free it again
                // (a third of the whole run).
                std::fflush(stdout);
                std::fflush(stderr);
                lock.release();
                std::_Exit(result.exitCode);
            }
            return result.exitCode;
        }
        // A failure on a display: the message has been shown, and the window opens and starts
        // as it does without arguments.
        commandLine.mode = CommandLine::Mode::Interactive;
    }

    QApplication::setStyle(new ProgramStyle);
    TOrm window(settingsFile, workFolder, locale);
    if (!window.createStatus()) {
        showUserMessage(nullptr, window.createStatus().message);
        return 1;
    }
    window.setCommandLine(commandLine);
    const QString firstStartNote =
        firstStart ? applyFirstStart(&window.settings(), &window, settingsFile, commandLine) : QString();

    window.show();
    // Once the window is shown: a message set before would not cover the clock's text.
    if (!firstStartNote.isEmpty())
        window.statusBar()->showMessage(firstStartNote, FirstStartNoteMs);
    return QApplication::exec();
}
