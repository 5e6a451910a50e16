#include "reports/viewer.h"

#include "common/westerntext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orlam {

Status assembleViewerLines(const QString &folder, QStringList *lines)
{
    const QDir dir(folder);
    QStringList result;
    for (const ViewerSection &section : ViewerSections) {
        const QString name = QString::fromLatin1(section.fileName);
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path))
            continue;
        // A report that is there but cannot be read (a folder of that name, no permission) is
        // worth a message; a missing one is only a section the last jobs did not make.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Status::failure(QCoreApplication::translate("Messages", "Cannot open file %1").arg(name));
        file.close();
        std::optional<QStringList> report;
        if (Status status = readReportLines(path, &report); !status)
            return status;
        if (section.separator)
            result << QLatin1String(ViewerSeparatorLine);
        if (section.title)
            result << QLatin1String(section.title);
        result << report.value_or(QStringList());
    }
    *lines = result;
    return Status::success();
}

} // namespace orlam
