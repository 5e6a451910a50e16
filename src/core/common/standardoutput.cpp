#include "common/standardoutput.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orlam {

namespace {

Status written(bool ok)
{
    // A buffered write fails late: only the flush tells.
    ok = std::fflush(stdout) == 0 && ok && !std::ferror(stdout);
    if (ok)
        return Status::success();
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(stdout);
    return Status::failure(QCoreApplication::translate("Messages", "Cannot write to standard output: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

Status printText(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    return written(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()));
}

Status printLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1Char('\n');
    return printText(text);
}

} // namespace orlam
