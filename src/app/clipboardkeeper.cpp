#include "clipboardkeeper.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace orlam {

namespace {

// How long the program waits for its server to take the clipboard over before it ends anyway.
constexpr int HandOverMs = 5000;

// True when a clipboard manager runs on the X11 display: it owns the selection
// CLIPBOARD_MANAGER.
bool clipboardManagerRuns(xcb_connection_t *connection)
{
    constexpr char name[] = "CLIPBOARD_MANAGER";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t managerAtom = atom->atom;
    std::free(atom);
    if (managerAtom == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, managerAtom), nullptr);
    if (!owner)
        return false;
    const bool runs = owner->owner != XCB_NONE;
    std::free(owner);
    return runs;
}

xcb_connection_t *x11Connection()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

// Runs the event loop until the clipboard is no longer ours, or for `ms` at most. True when it
// has been taken over.
bool waitUntilTakenOver(QClipboard *clipboard, int ms)
{
    if (!clipboard->ownsClipboard())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(clipboard, &QClipboard::changed, &loop, [&](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            loop.quit();
    });
    timer.start(ms);
    loop.exec();
    return !clipboard->ownsClipboard();
}

} // namespace

void keepClipboardAfterExit(const QString &text)
{
    // A Wayland compositor gives the clipboard only to the client whose window has the keyboard
    // focus (the request carries the serial of that client's own input event), which a program
    // without a window never has: the date reaches standard output only.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fputs("orlam: the date is not on the clipboard: the Wayland compositor lets only the window "
                   "in front set it (with XWayland, set DISPLAY and Orlam copies it there).\n",
                   stderr);
        return;
    }
    // Elsewhere (no display) the clipboard was the program's own and ends with it anyway.
    xcb_connection_t *connection = x11Connection();
    if (!connection || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard() || clipboardManagerRuns(connection))
        return;

    QProcess server;
    server.setProgram(QCoreApplication::applicationFilePath());
    server.setArguments({QString::fromLatin1(KeepClipboardArgument), text});
    // Nothing of the caller's stays open in the server: a script reading "orlam x" through a
    // pipe would otherwise wait for it.
    server.setStandardInputFile(QProcess::nullDevice());
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    if (!server.startDetached()) {
        std::fputs("orlam: the date stays on the clipboard only while Orlam runs: the clipboard "
                   "server could not be started.\n",
                   stderr);
        return;
    }
    if (!waitUntilTakenOver(clipboard, HandOverMs))
        std::fputs("orlam: the clipboard server did not take the date over in time.\n", stderr);
}

int serveClipboard(int argc, char **argv, const QString &text)
{
    // Its own session: the terminal that started "orlam x" may close.
    ::setsid();
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Qt sees no argument of ours: the text might look like one of its options.
    int qtArgc = argc > 0 ? 1 : 0;
    QGuiApplication app(qtArgc, argv);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    if (!clipboard->ownsClipboard())
        return 1;
    QObject::connect(clipboard, &QClipboard::changed, &app, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            QCoreApplication::quit();
    });
    return app.exec();
}

} // namespace orlam
