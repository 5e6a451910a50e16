#include "workfolder.h"

#include "weblinks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace orlam {

QString desktopWorkFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Orlam"));
}

QString installedDataFile(const QString &relative)
{
    const QString inShare = QStringLiteral("orlam/") + relative;
    const QString besideProgram =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/") + inShare);
    if (QFileInfo::exists(besideProgram))
        return QFileInfo(besideProgram).canonicalFilePath();
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, inShare);
}

QString userOrInstalledDataFile(const QString &name)
{
    const QFileInfo own(QDir::current().filePath(name));
    if (own.isFile())
        return own.absoluteFilePath();
    return installedDataFile(name);
}

QString installedHelpPage()
{
    return installedDataFile(QLatin1String(HelpPageName));
}

Status enterWorkFolder(const QString &folder, const QString &helpPage)
{
    if (!QDir().mkpath(folder))
        return Status::failure(
            QCoreApplication::translate("Messages", "Cannot create folder %1").arg(folder));
    const QString target = QDir(folder).filePath(QLatin1String(HelpPageName));
    if (!helpPage.isEmpty() && !QFileInfo::exists(target))
        QFile::copy(helpPage, target); // the help page is a convenience; the program runs without it
    if (!QDir::setCurrent(folder))
        return Status::failure(QCoreApplication::translate("Messages", "Cannot use folder %1").arg(folder));
    return Status::success();
}

} // namespace orlam
