// The window module's entry: the window, and the message boxes of a command-line mode on a
// display. The program (main.cpp) loads this module only for them; see windowmodule.h.

#include "appfonts.h"
#include "apptranslations.h"
#include "astrocalls/enginegroups.h"
#include "clipboardkeeper.h"
#include "commandline.h"
#include "programstart.h"
#include "programstyle.h"
#include "settings/firststart.h"
#include "settings/localefacts.h"
#include "settings/settingsjournal.h"
#include "shellmessages.h"
#include "singleinstance.h"
#include "torm.h"
#include "windowmodule.h"
#include "workfolder.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QStatusBar>

#include <cstdio>
#include <memory>

using namespace orlam;

namespace {

constexpr int FirstStartNoteMs = 12000;

// No settings file yet: the place of the computer's time zone and its clock, so that the first
// date shown is right where the user is. Only after the settings have loaded, so that a locale
// the program refuses leaves no file behind. Returns the note for the status bar.
QString applyFirstStart(TSettings *settings, QWidget *window, const QString &settingsFile)
{
    const FirstStart plan = planFirstStart(computerZone(), zoneInfoDirectory());
    plan.apply(settings);
    if (const Status written = writeFirstStart(settingsFile, plan); !written)
        showUserMessage(window, written.message);
    return plan.statusText();
}

// A start that cannot go on: the message in a message box (on standard error when there is no
// screen to show it on).
int failStart(int &argc, char **argv, const QString &message, ModuleCall &call)
{
    QApplication app(argc, argv);
    call.waitForFonts();
    showUserMessage(nullptr, message);
    return 1;
}

void makeApplication(std::unique_ptr<QApplication> &app, int &argc, char **argv, ModuleCall &call)
{
    filterQtMessages();
    app = std::make_unique<QApplication>(argc, argv);
    useDesktopFonts(call.waitForFonts());
    QGuiApplication::setApplicationName(QStringLiteral("Orlam"));
    QGuiApplication::setApplicationVersion(VersionText);
    QGuiApplication::setDesktopFileName(QStringLiteral("orlam"));
    // The window ends the program itself: closing a message box while the window sits in the
    // tray must not.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // Menus, dialogs and messages in the user's language (LANGUAGE, LC_MESSAGES); the date
    // itself keeps its own words.
    installTranslations();
}

int openWindow(const QString &settingsFile, const QString &workFolder, const LocaleFacts &locale,
               const CommandLine &commandLine, bool firstStart)
{
    QApplication::setStyle(new ProgramStyle);
    // On a first start the place comes after the window is built: the date waits for it.
    TOrm window(settingsFile, workFolder, locale,
                firstStart ? TOrm::FirstDate::OnShow : TOrm::FirstDate::AtOnce);
    if (!window.createStatus()) {
        showUserMessage(nullptr, window.createStatus().message);
        return 1;
    }
    window.setCommandLine(commandLine);
    const QString firstStartNote =
        firstStart ? applyFirstStart(&window.settings(), &window, settingsFile) : QString();

    window.show();
    // Once the window is shown: a message set before would not cover the clock's text.
    if (!firstStartNote.isEmpty())
        window.statusBar()->showMessage(firstStartNote, FirstStartNoteMs);
    return QApplication::exec();
}

// What a command-line mode in the program left to show on a display.
int finishCommandLine(int &argc, char **argv, ModuleCall &call)
{
    const CommandLineOutcome &outcome = *call.outcome;
    choosePlatform(outcome.commandLine);
    std::unique_ptr<QApplication> app;
    makeApplication(app, argc, argv, call);
    for (const QString &message : outcome.messages)
        showUserMessage(nullptr, message);
    int exitCode = outcome.exitCode;
    if (outcome.copied) {
        QGuiApplication::clipboard()->setText(outcome.clipboard);
        if (!printOutput(outcome.output))
            exitCode = 1;
        if (outcome.commandLine.mode == CommandLine::Mode::CopyDate && !outcome.output.isEmpty())
            keepClipboardAfterExit(outcome.clipboard);
    }
    if (isHeadless()) {
        // Without a display after all: the messages went to standard error, and the run ends.
        call.endNow = true;
        app.release();
        return outcome.failed ? 1 : exitCode;
    }
    if (!outcome.failed)
        return exitCode;
    // A failure shown on a display: the window opens and starts as it does without arguments.
    CommandLine interactive = outcome.commandLine;
    interactive.mode = CommandLine::Mode::Interactive;
    return openWindow(outcome.settingsFile, outcome.workFolder, LocaleFacts::system(), interactive, false);
}

int startWindow(int &argc, char **argv, ModuleCall &call)
{
    // The module keeps its own copy of the engines' bookkeeping, and so ends its own engines.
    endEnginesOnSignals();

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine commandLine = parseCommandLine(arguments);
    commandLine.startFolder = QDir::currentPath();
    if (!choosePlatform(commandLine))
        return 1;

    // Every start works in a folder of Orlam's own, never in the user's current folder, where
    // the job file and the reports would replace the user's files of the same names.
    const QString workFolder = desktopWorkFolder();
    if (const Status made = makeWorkFolder(workFolder); !made)
        return failStart(argc, argv, made.message, call);

    // One copy at a time, taken before anything else: a second window ends at once and
    // silently, leaving the running one alone.
    SingleInstanceLock lock(SingleInstanceLock::pathIn(workFolder));
    switch (lock.tryAcquire()) {
    case SingleInstanceLock::Outcome::Acquired:
        break;
    case SingleInstanceLock::Outcome::HeldByAnother:
        return 3;
    case SingleInstanceLock::Outcome::Failed:
        // Not another copy: a full disk, a folder that cannot be written. Said, never silent.
        return failStart(argc, argv, lock.failure(), call);
    }

    std::unique_ptr<QApplication> app;
    makeApplication(app, argc, argv, call);
    if (const Status entered = enterWorkFolder(workFolder, installedHelpPage()); !entered) {
        showUserMessage(nullptr, entered.message);
        return 1;
    }

    const QString settingsFile = settingsPath(commandLine.startFolder);
    // A settings write that a crash cut off is finished before the file is read.
    SettingsJournal::setFolder(workFolder);
    if (const Status recovered = SettingsJournal::recover(settingsFile); !recovered)
        showUserMessage(nullptr, recovered.message);
    return openWindow(settingsFile, workFolder, LocaleFacts::system(), commandLine,
                      isFirstStart(settingsFile));
}

} // namespace

extern "C" Q_DECL_EXPORT int orlamWindowMain(int *argc, char **argv, ModuleCall *call)
{
    return call->outcome ? finishCommandLine(*argc, argv, *call) : startWindow(*argc, argv, *call);
}
