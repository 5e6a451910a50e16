#include "common/westerntext.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace orlam {

namespace {

// What a report that grows while it is read is read on by, at a time.
constexpr qint64 ReadChunkBytes = 64 * 1024;

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined keep their
// C1 control code point so that a round trip never loses them.
constexpr std::array<char16_t, 32> HighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int westernByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < int(HighControls.size()); ++i) {
        if (HighControls[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QString fromWestern(const QByteArray &bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar *out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = (u >= 0x80 && u < 0xA0) ? QChar(HighControls[u - 0x80]) : QChar(u);
    }
    return text;
}

QString fromUtf8OrWestern(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return fromWestern(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QByteArray toWestern(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x202F || u == 0x2007 || u == 0x00A0) {
            bytes.append(' ');
            continue;
        }
        const int b = westernByte(u);
        bytes.append(b < 0 ? '?' : static_cast<char>(b));
    }
    return bytes;
}

bool isWesternRepresentable(const QString &text)
{
    for (const QChar c : text) {
        if (westernByte(c.unicode()) < 0)
            return false;
    }
    return true;
}

QString westernPlain(const QString &text)
{
    QString plain = text;
    for (QChar &c : plain) {
        const char16_t u = c.unicode();
        if (u == 0x00A0 || westernByte(u) < 0)
            c = QLatin1Char(' ');
    }
    return plain;
}

QStringList splitLines(const QString &text)
{
    // A year's report runs to some hundred and seventy thousand characters: they are looked at
    // through a plain pointer.
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    const char16_t *chars = reinterpret_cast<const char16_t *>(text.constData());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = chars[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && chars[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QList<QByteArray> splitByteLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(bytes.mid(start, i - start));
            if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

QByteArray joinCrLf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += toWestern(line);
        bytes += "\r\n";
    }
    return bytes;
}

Status readWesternLines(const QString &path, QStringList *lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QCoreApplication::translate("Messages", "Cannot open file %1").arg(path));
    *lines = splitLines(fromWestern(file.readAll()));
    return Status::success();
}

Status readReportBytes(const QString &path, std::optional<QByteArray> *bytes, const QString &shownName)
{
    bytes->reset();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return Status::success();
    // What the file holds, and what it grows by meanwhile up to one byte past the limit, so a file
    // still growing is caught too. Asking for the limit at once would allocate twice the limit
    // for every report, a few kilobytes long.
    QByteArray read;
    for (qint64 want = std::min<qint64>(file.size(), LargestReportBytes) + 1; want > 0;
         want = std::min<qint64>(ReadChunkBytes, LargestReportBytes + 1 - read.size())) {
        const QByteArray chunk = file.read(want);
        read += chunk;
        if (chunk.size() < want)
            break;
    }
    if (read.size() > LargestReportBytes)
        return Status::failure(
            QCoreApplication::translate("Messages",
                                        "The report %1 is larger than %2 MB, far more than the ephemeris "
                                        "program ever writes; it was not read.")
                .arg(shownName.isEmpty() ? path : shownName)
                .arg(LargestReportBytes / (1024 * 1024)));
    *bytes = std::move(read);
    return Status::success();
}

Status readReportLines(const QString &path, std::optional<QStringList> *lines, const QString &shownName)
{
    lines->reset();
    std::optional<QByteArray> bytes;
    if (Status status = readReportBytes(path, &bytes, shownName); !status)
        return status;
    if (bytes)
        *lines = splitLines(fromWestern(*bytes));
    return Status::success();
}

} // namespace orlam
