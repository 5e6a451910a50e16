#include "hours/riseset.h"

#include "common/clocktime.h"
#include "common/messagesink.h"
#include "common/messagetext.h"
#include "common/westerntext.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "shared/risesetformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace orlam {

namespace {

using riseset::DateColumn;
using riseset::DateWidth;
using riseset::MoonColumn;
using riseset::SunColumn;
using riseset::TimeColumn;
using riseset::TimeWidth;

std::optional<QStringList> readReport(const QString &path, MessageSink &sink)
{
    std::optional<QStringList> lines;
    if (Status status = readReportLines(path, &lines); !status)
        sink.showMessage(status.message);
    return lines;
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
            moment = ReportLineMoment(line, locale.dayFirst());
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

std::optional<QDateTime> ReportLineMoment(const QString &line, bool dayFirst)
{
    static const QRegularExpression datePattern(QStringLiteral("^(\\d{1,4})\\D(\\d{1,2})\\D(\\d{4})$"));
    static const QRegularExpression timePattern(QStringLiteral("^(\\d{1,2})\\D(\\d{2})([ap]m)$"),
                                                QRegularExpression::CaseInsensitiveOption);
    QString dateText = line.mid(DateColumn, DateWidth);
    QString timeText = line.mid(TimeColumn, TimeWidth);
    dateText.remove(QLatin1Char(' '));
    timeText.remove(QLatin1Char(' '));
    const QRegularExpressionMatch date = datePattern.match(dateText);
    const QRegularExpressionMatch time = timePattern.match(timeText);
    if (!date.hasMatch() || !time.hasMatch())
        return std::nullopt;
    const int first = date.captured(1).toInt();
    const int second = date.captured(2).toInt();
    const QDate day(date.captured(3).toInt(), dayFirst ? second : first, dayFirst ? first : second);
    const int hour12 = time.captured(1).toInt();
    if (!day.isValid() || hour12 < 1 || hour12 > 12)
        return std::nullopt;
    const bool pm = time.captured(3).compare(QLatin1String("pm"), Qt::CaseInsensitive) == 0;
    const QTime clock(hour12 % 12 + (pm ? 12 : 0), time.captured(2).toInt());
    if (!clock.isValid())
        return std::nullopt;
    return clockTime(day, clock);
}

QString reportDateTime(const QDateTime &clock, bool dayFirst)
{
    const QDate d = clock.date();
    const QTime t = clock.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const QChar sep = dayFirst ? QLatin1Char('-') : QLatin1Char('/');
    const QString date = QStringLiteral("%1%2%3%2%4")
                             .arg(dayFirst ? d.day() : d.month(), 2)
                             .arg(sep)
                             .arg(dayFirst ? d.month() : d.day(), 2)
                             .arg(d.year(), 4, 10, QLatin1Char('0'));
    return date + QStringLiteral(" %1:%2%3")
                      .arg(hour12, 2)
                      .arg(t.minute(), 2, 10, QLatin1Char('0'))
                      .arg(QLatin1String(t.hour() < 12 ? "am" : "pm"));
}

const LocaleFacts &engineReportLocale()
{
    static const LocaleFacts facts = LocaleFacts::make(QLocale(QLocale::English, QLocale::UnitedStates),
                                                       QTimeZone::utc(), QDate(2000, 1, 1));
    return facts;
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
                      const LocaleFacts &locale, TRiseSetTable &table, MessageSink &sink,
                      const std::optional<QStringList> &dayBefore)
{
    const BodyFields sun{&table.SunNadir, &table.SunRise, &table.SunZenith, &table.SunSet};
    const BodyFields moon{&table.MoonNadir, &table.MoonRise, &table.MoonZenith, &table.MoonSet};
    const BodyFields nextSun{nullptr, &table.NextSunRise, nullptr, nullptr};
    const BodyFields prevSun{nullptr, nullptr, nullptr, &table.PrevSunSet};

    // A line that reads in the other date order is a real mismatch of the locale; any other
    // line that does not read is damaged, and the locale is not to blame.
    auto fail = [&sink, &locale](const char *report, qsizetype index, const QString &line) {
        if (ReportLineMoment(line, !locale.dayFirst()))
            sink.showMessage(messageText(DateOrderMessage));
        else
            sink.showMessage(QCoreApplication::translate(
                                 "Messages", "The rise and set report %1 is damaged at line %2: \"%3\"")
                                 .arg(QLatin1String(report))
                                 .arg(index + 1)
                                 .arg(line.left(120)));
        return false;
    };
    const auto read = [&](const std::optional<QStringList> &lines, const char *report,
                          const BodyFields *sunFields, const BodyFields *moonFields) {
        if (!lines)
            return true;
        for (qsizetype i = 0; i < lines->size(); ++i) {
            const QString &line = lines->at(i);
            if (sunFields && isSunLine(line) && !applyLine(line, *sunFields, locale))
                return fail(report, i, line);
            if (moonFields && isMoonLine(line) && !applyLine(line, *moonFields, locale))
                return fail(report, i, line);
        }
        return true;
    };
    return read(baseDay, RiseSetFileName, &sun, &moon) &&
           read(nextDay, RiseSetNextFileName, &nextSun, nullptr) &&
           read(dayBefore, RiseSetBeforeFileName, &prevSun, nullptr);
}

bool readRiseSetFiles(const QString &directory, const LocaleFacts &locale, TRiseSetTable &table,
                      MessageSink &sink)
{
    const QDir dir(directory);
    return readRiseSetLines(readReport(dir.filePath(QLatin1String(RiseSetFileName)), sink),
                            readReport(dir.filePath(QLatin1String(RiseSetNextFileName)), sink), locale, table,
                            sink, readReport(dir.filePath(QLatin1String(RiseSetBeforeFileName)), sink));
}

} // namespace orlam
