#include "workfolder.h"

#include "common/safefile.h"
#include "weblinks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

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

QString userOrInstalledDataFile(const QString &workFolder, const QString &name)
{
    const QFileInfo own(QDir(workFolder).filePath(name));
    if (own.isFile())
        return own.absoluteFilePath();
    return installedDataFile(name);
}

QString installedHelpPage()
{
    return installedDataFile(QLatin1String(HelpPageName));
}

Status makeWorkFolder(const QString &folder)
{
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    // Folders the program makes for itself are the user's alone, as the XDG rules ask.
    QString made;
    int error = 0;
    for (const QString &part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        made += QLatin1Char('/') + part;
        const QByteArray name = QFile::encodeName(made);
        if (::mkdir(name.constData(), 0700) == 0)
            continue;
        if (errno != EEXIST) {
            error = errno;
            break;
        }
        struct stat info {};
        if (::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            error = ENOTDIR;
            break;
        }
    }
    if (error == 0)
        return Status::success();
    return Status::failure(
        QCoreApplication::translate("Messages", "Orlam cannot create its work folder %1: %2.")
            .arg(absolute, QString::fromLocal8Bit(std::strerror(error))));
}

Status enterWorkFolder(const QString &folder, const QString &helpPage)
{
    if (Status made = makeWorkFolder(folder); !made)
        return made;
    const QString target = QDir(folder).filePath(QLatin1String(HelpPageName));
    // The help page is a convenience; the program runs without it.
    if (!helpPage.isEmpty())
        copyWorkFileWhenMissing(helpPage, target);
    if (!QDir::setCurrent(folder))
        return Status::failure(QCoreApplication::translate("Messages", "Cannot use folder %1").arg(folder));
    return Status::success();
}

} // namespace orlam
