#include "reports/savedview.h"

#include "reports/rtfwriter.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <langinfo.h>

namespace orlam {

namespace {

constexpr auto RichTextSuffix = "rtf";
constexpr auto PlainTextSuffix = "txt";

} // namespace

SavedType savedTypeForName(const QString &path, SavedType chosen)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String(RichTextSuffix), Qt::CaseInsensitive) == 0)
        return SavedType::RichText;
    if (suffix.compare(QLatin1String(PlainTextSuffix), Qt::CaseInsensitive) == 0)
        return SavedType::PlainText;
    return chosen;
}

QString withSavedTypeSuffix(const QString &path, SavedType type)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') +
           QLatin1String(type == SavedType::RichText ? RichTextSuffix : PlainTextSuffix);
}

SavedType savedTypeOfFilter(const QString &filter)
{
    return filter == QLatin1String(RichTextFilter) ? SavedType::RichText : SavedType::PlainText;
}

QByteArray savedViewBytes(const QStringList &lines, SavedType type, const QByteArray &codeset)
{
    if (type == SavedType::RichText)
        return rtfFromLines(lines);
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1Char('\n');
    const QByteArray name = codeset.toUpper();
    // The C locale's ASCII would turn "°" and "æ" into question marks.
    const bool ascii = name.isEmpty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII";
    if (!ascii) {
        QStringEncoder encoder(codeset.constData(), QStringConverter::Flag::Stateless);
        QStringDecoder decoder(codeset.constData(), QStringConverter::Flag::Stateless);
        if (encoder.isValid() && decoder.isValid()) {
            const QByteArray encoded = encoder.encode(text);
            // A character the locale's set lacks would come back as a substitute.
            if (!encoder.hasError() && QString(decoder.decode(encoded)) == text)
                return encoded;
        }
    }
    return text.toUtf8();
}

QByteArray localeCodeset()
{
    return QByteArray(nl_langinfo(CODESET));
}

} // namespace orlam
