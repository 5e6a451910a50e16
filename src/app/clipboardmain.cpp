// The clipboard module's entry: puts the text of "x" (or of another single argument) on the
// clipboard and keeps it there, and serves the clipboard as "orlam --keep-clipboard TEXT". Qt GUI
// only, so that "x" loads no widgets; see windowmodule.h.

#include "clipboardkeeper.h"
#include "guiplatform.h"
#include "programstart.h"
#include "windowmodule.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace orlam;

extern "C" Q_DECL_EXPORT int orlamClipboardMain(int *argc, char **argv, ModuleCall *call)
{
    const CommandLineOutcome *outcome = call->outcome;
    if (!outcome)
        return serveClipboard(*argc, argv, QString::fromLocal8Bit(argv[2]));
    choosePlatform(outcome->commandLine);
    filterQtMessages();
    auto *app = new QGuiApplication(*argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Orlam"));
    QGuiApplication::setDesktopFileName(QStringLiteral("orlam"));
    QGuiApplication::clipboard()->setText(outcome->clipboard);
    const int exitCode = printOutput(outcome->output) ? outcome->exitCode : 1;
    if (outcome->commandLine.mode == CommandLine::Mode::CopyDate && !outcome->output.isEmpty())
        keepClipboardAfterExit(outcome->clipboard);
    if (isHeadless()) {
        // Nothing to hand on without a display: the application object is left to the end.
        call->endNow = true;
        return exitCode;
    }
    // On a display the end of the application object hands the text to a clipboard manager.
    delete app;
    return exitCode;
}
