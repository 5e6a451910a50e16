#include "hours/riseset.h"

#include "common/messagesink.h"
#include "common/westerntext.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>

namespace orlam {

namespace {

// Report columns, counted from 0.
constexpr int DateColumn = 6;
constexpr int DateWidth = 10;
constexpr int TimeColumn = 17;
constexpr int TimeWidth = 7;
constexpr int SunColumn = 28;
constexpr int MoonColumn = 27;

std::optional<QStringList> readReport(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return splitLines(fromWestern(file.readAll()));
}

// The four fields of one body, in the order their keywords are tested.
struct BodyFields {
    QDateTime *nadir, *rise, *zenith, *set;
};

// Sets the fields whose keyword the line contains. The moment is read only when some keyword
// matched, so lines without an event never fail. False when the moment did not read.
bool applyLine(const QString &line, const BodyFields &fields, const LocaleFacts &locale)
{
    const std::array<std::pair<QLatin1String, QDateTime *>, 4> tests{{
        {QLatin1String("nadirs"), fields.nadir},
        {QLatin1String("rises"), fields.rise},
        {QLatin1String("zeniths"), fields.zenith},
        {QLatin1String("sets"), fields.set},
    }};
    std::optional<QDateTime> moment;
    for (const auto &[keyword, field] : tests) {
        if (field == nullptr || !line.contains(keyword))
            continue;
        if (!moment) {
            moment = LineMoment(line, locale);
            if (!moment)
                return false;
        }
        *field = *moment;
    }
    return true;
}

} // namespace

QString LocalizeDateText(const QString &text, const LocaleFacts &locale)
{
    if (!locale.dayFirst())
        return text;
    QString localized = text;
    localized.replace(QLatin1Char('-'), locale.dateSeparator());
    localized.replace(QLatin1Char(':'), locale.timeSeparator());
    return localized;
}

std::optional<QDateTime> LineMoment(const QString &line, const LocaleFacts &locale)
{
    const QString text = LocalizeDateText(line.mid(DateColumn, DateWidth), locale) + QLatin1Char(' ') +
                         LocalizeDateText(line.mid(TimeColumn, TimeWidth), locale);
    return locale.parseDateTime(text);
}

bool isSunLine(const QString &line)
{
    return line.indexOf(QLatin1String(" Sun")) == SunColumn;
}

bool isMoonLine(const QString &line)
{
    return line.indexOf(QLatin1String(" Moon")) == MoonColumn;
}

bool readRiseSetLines(const std::optional<QStringList> &baseDay, const std::optional<QStringList> &nextDay,
                      const LocaleFacts &locale, TRiseSetTable &table, MessageSink &sink)
{
    const BodyFields sun{&table.SunNadir, &table.SunRise, &table.SunZenith, &table.SunSet};
    const BodyFields moon{&table.MoonNadir, &table.MoonRise, &table.MoonZenith, &table.MoonSet};
    const BodyFields nextSun{nullptr, &table.NextSunRise, nullptr, nullptr};

    auto fail = [&sink] {
        sink.showMessage(DateOrderMessage);
        return false;
    };
    if (baseDay) {
        for (const QString &line : *baseDay) {
            if (isSunLine(line) && !applyLine(line, sun, locale))
                return fail();
            if (isMoonLine(line) && !applyLine(line, moon, locale))
                return fail();
        }
    }
    if (nextDay) {
        for (const QString &line : *nextDay) {
            if (isSunLine(line) && !applyLine(line, nextSun, locale))
                return fail();
        }
    }
    return true;
}

bool readRiseSetFiles(const QString &directory, const LocaleFacts &locale, TRiseSetTable &table,
                      MessageSink &sink)
{
    const QDir dir(directory);
    return readRiseSetLines(readReport(dir.filePath(QLatin1String(RiseSetFileName))),
                            readReport(dir.filePath(QLatin1String(RiseSetNextFileName))), locale, table,
                            sink);
}

} // namespace orlam
