#include "autostart.h"

#include "common/westerntext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orlam {

namespace {

QString configHome()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.isEmpty() && QDir::isAbsolutePath(config))
        return config;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString defaultProgram()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("orlam"));
    return QFileInfo(beside).isExecutable() ? beside : QStringLiteral("orlam");
}

// An Exec argument with blanks or reserved characters goes in double quotes, with the characters
// that stay special inside them escaped.
QString execArgument(const QString &text)
{
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool plain = !text.isEmpty();
    for (const QChar c : text)
        plain = plain && !Reserved.contains(c);
    if (plain)
        return text;
    QString quoted;
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // A backslash in a desktop entry's value is itself escaped once more.
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString autostartEntryPath()
{
    return configHome() + QStringLiteral("/autostart/orlam.desktop");
}

bool autostartEnabled()
{
    return QFileInfo::exists(autostartEntryPath());
}

Status setAutostart(bool on, const QString &program)
{
    const QString path = autostartEntryPath();
    if (!on) {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            return Status::failure(
                QCoreApplication::translate("Messages", "Cannot delete file %1").arg(path));
        return Status::success();
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Status::failure(QCoreApplication::translate("Messages", "Cannot create file %1").arg(path));
    const QString exec = execArgument(program.isEmpty() ? defaultProgram() : program);
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Orlam\n"
                                         "Comment=Shows the present moment as a Thelemic date\n"
                                         "Exec=%1 --desktop\n"
                                         "Icon=orlam\n"
                                         "Terminal=false\n")
                              .arg(exec);
    return writeFileAtomically(path, entry.toUtf8());
}

} // namespace orlam
