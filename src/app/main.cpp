// The program: the modes without a window run here on Qt Core alone; the window, the clipboard
// and message boxes are in modules loaded only for them (windowmodule.h).

#include "apptranslations.h"
#include "astrocalls/enginegroups.h"
#include "clipboardkeeper.h"
#include "commandline.h"
#include "commandlinerun.h"
#include "common/standardoutput.h"
#include "common/xdgpaths.h"
#include "fontwarmup.h"
#include "hourscli.h"
#include "programstart.h"
#include "settings/firststart.h"
#include "settings/localefacts.h"
#include "settings/settingsjournal.h"
#include "singleinstance.h"
#include "windowmodule.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace orlam;

namespace {

// Without a display, or on a platform that shows nothing, a mode's messages go to standard
// error as they come. On a display they are kept for the window module, which shows them in
// message boxes at the end, and only then, so that a run that has nothing to say loads no
// widgets.
bool surelyHeadless()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        return !haveDisplay();
    return platform.startsWith("offscreen") || platform.startsWith("minimal");
}

// Hands the rest of a start to a module. The module may ask for the process to end at once.
int runModule(Module module, int &argc, char **argv, const CommandLineOutcome *outcome,
              SingleInstanceLock *lock = nullptr)
{
    ModuleCall call;
    call.outcome = outcome;
    // The window's text needs the font configuration: read it meanwhile.
    if (module == Module::Window) {
        FontWarmUp::start();
        call.waitForFonts = FontWarmUp::wait;
    }
    Status failure;
    const ModuleEntry entry = loadModule(module, &failure);
    if (!entry) {
        FontWarmUp::wait();
        printUserMessage(failure.message);
        return 1;
    }
    const int exitCode = entry(&argc, argv, &call);
    FontWarmUp::wait();
    if (call.endNow) {
        std::fflush(stdout);
        std::fflush(stderr);
        if (lock)
            lock->release();
        std::_Exit(exitCode);
    }
    return exitCode;
}

// The modes that end after their work ("x", any other single argument, a batch): the work under
// a core application, then, only when there is something to put on the clipboard or to show on
// a display, a module for it.
int runEndingMode(int &argc, char **argv, const CommandLine &commandLine)
{
    // Every start works in a folder of Orlam's own, never in the user's current folder, where
    // the job file and the reports would replace the user's files of the same names.
    const QString workFolder = desktopWorkFolder();
    if (const Status made = makeWorkFolder(workFolder); !made) {
        printUserMessage(made.message);
        return 1;
    }
    // One copy at a time, taken before anything else.
    SingleInstanceLock lock(SingleInstanceLock::pathIn(workFolder));
    switch (lock.tryAcquire()) {
    case SingleInstanceLock::Outcome::Acquired:
        break;
    case SingleInstanceLock::Outcome::HeldByAnother:
        // A script or a terminal gets one line on standard error instead of an unexplained
        // empty result.
        std::fputs("orlam: another copy of Orlam is running; only one copy runs at a time.\n", stderr);
        return 3;
    case SingleInstanceLock::Outcome::Failed:
        printUserMessage(lock.failure());
        return 1;
    }

    CommandLineOutcome outcome;
    outcome.commandLine = commandLine;
    outcome.workFolder = workFolder;
    const bool headless = surelyHeadless();
    const auto show = [&outcome, headless](const QString &text) {
        if (headless)
            printUserMessage(text);
        else
            outcome.messages << text;
    };
    {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Orlam"));
        QCoreApplication::setApplicationVersion(VersionText);
        installTranslations();
        if (const Status entered = enterWorkFolder(workFolder, installedHelpPage()); !entered) {
            show(entered.message);
            outcome.exitCode = 1;
        } else {
            outcome.settingsFile = settingsPath(commandLine.startFolder);
            // A settings write that a crash cut off is finished before the file is read.
            SettingsJournal::setFolder(workFolder);
            if (const Status recovered = SettingsJournal::recover(outcome.settingsFile); !recovered)
                show(recovered.message);
            const bool firstStart = isFirstStart(outcome.settingsFile);
            CommandLineRun run(outcome.settingsFile, workFolder, LocaleFacts::system(), commandLine);
            run.setMessageHandler(show);
            run.setClipboard([&outcome](const QString &text) {
                outcome.copied = true;
                outcome.clipboard = text;
            });
            run.setWindowAfterFailure(!headless);
            if (!run.createStatus()) {
                show(run.createStatus().message);
                outcome.exitCode = 1;
            } else {
                if (firstStart)
                    applyFirstStartQuietly(&run.settings(), outcome.settingsFile);
                const CommandLineRun::Result result = run.run();
                outcome.failed = !result.endProgram;
                outcome.exitCode = result.exitCode;
                outcome.output = run.output();
            }
        }
    }
    // The core application has ended here: a module makes an application of its own.
    if (!outcome.messages.isEmpty())
        return runModule(Module::Window, argc, argv, &outcome, &lock);
    if (outcome.copied)
        return runModule(Module::Clipboard, argc, argv, &outcome, &lock);
    return outcome.exitCode;
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything reads them: Qt's standard paths, the settings, the engine's environment.
    ignoreRelativeXdgPaths();
    // Ended by TERM, INT or HUP, the program takes every running engine with it.
    endEnginesOnSignals();

    // The clipboard's server, started by "orlam x" on X11.
    if (argc == 3 && qstrcmp(argv[1], KeepClipboardArgument) == 0)
        return runModule(Module::Clipboard, argc, argv, nullptr);

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine commandLine = parseCommandLine(arguments);
    commandLine.startFolder = QDir::currentPath();
    filterQtMessages();
    switch (commandLine.mode) {
    case CommandLine::Mode::Usage:
        return printed(printText(usageText())) ? 0 : 1;
    case CommandLine::Mode::Version:
        return printed(printLines({QStringLiteral("orlam ") + VersionText})) ? 0 : 1;
    case CommandLine::Mode::NextHour:
    case CommandLine::Mode::Hours:
    case CommandLine::Mode::Ics:
        // The hour commands only read the settings and run their jobs in a folder of their
        // own, so they run beside a window: no lock, no display. They read the settings as a
        // write cut off in the window's folder left them.
        SettingsJournal::setFolder(desktopWorkFolder());
        return runHoursCommandLine(argc, argv, commandLine, settingsPath(commandLine.startFolder));
    case CommandLine::Mode::Batch:
    case CommandLine::Mode::CopyDate:
    case CommandLine::Mode::CopyView:
        return runEndingMode(argc, argv, commandLine);
    case CommandLine::Mode::Interactive:
        break;
    }
    return runModule(Module::Window, argc, argv, nullptr);
}
