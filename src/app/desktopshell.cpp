#include "desktopshell.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orlam {

namespace {

constexpr int QueryTimeoutMs = 5000;

} // namespace

QString desktopProgramFor(const QString &path)
{
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (type.isEmpty() || xdgMime.isEmpty())
        return {};
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(QueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

bool openFileInDesktopProgram(const QString &path)
{
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    // Without xdg-utils there is no way to ask; Qt's own opener may still know better.
    if (xdgOpen.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // The desktop's opener starts a program only where there is a display to show it on.
    const bool display =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!display || desktopProgramFor(path).isEmpty())
        return false;
    // The opener is started on its own, so that the program it starts outlives ours, whatever
    // window system (or none) this program runs on.
    return QProcess::startDetached(xdgOpen, {path});
}

} // namespace orlam
