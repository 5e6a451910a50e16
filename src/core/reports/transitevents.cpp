#include "reports/transitevents.h"

#include "hours/riseset.h"
#include "shared/risesetformat.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <utility>

namespace orlam {

namespace {

constexpr int TextColumn = 25;

bool isAsciiWordChar(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// A run of ASCII digits, or a blank and then one: " 4", "12". -1 when the two characters are
// not that.
int paddedNumber(QChar tens, QChar units)
{
    const char16_t t = tens.unicode();
    const char16_t u = units.unicode();
    if (u < '0' || u > '9' || (t != ' ' && (t < '0' || t > '9')))
        return -1;
    return (t == ' ' ? 0 : (t - '0') * 10) + (u - '0');
}

// The clock moment of a line in the shape the engine writes its month-first reports in, the
// numbers below 10 blank-padded: " 1/ 2/2019  4:58am". Nothing for any other shape.
// LineMoment() under the engine's report conventions reads such a line the same, at many
// times the cost.
std::optional<QDateTime> engineShapeMoment(const QString &line)
{
    using riseset::DateColumn;
    using riseset::TimeColumn;
    if (line.size() < TimeColumn + riseset::TimeWidth)
        return std::nullopt;
    const QChar *date = line.constData() + DateColumn;
    const QChar *time = line.constData() + TimeColumn;
    const int month = paddedNumber(date[0], date[1]);
    const int day = paddedNumber(date[3], date[4]);
    const int century = paddedNumber(date[6], date[7]);
    const int yearOfCentury = paddedNumber(date[8], date[9]);
    const int hour12 = paddedNumber(time[0], time[1]);
    const int minute = paddedNumber(time[3], time[4]);
    if (date[2] != QLatin1Char('/') || date[5] != QLatin1Char('/') || date[6] == QLatin1Char(' ') ||
        date[8] == QLatin1Char(' ') || time[2] != QLatin1Char(':') || time[3] == QLatin1Char(' ') ||
        line.at(DateColumn + riseset::DateWidth) != QLatin1Char(' '))
        return std::nullopt;
    const bool am = time[5] == QLatin1Char('a') && time[6] == QLatin1Char('m');
    const bool pm = time[5] == QLatin1Char('p') && time[6] == QLatin1Char('m');
    if (month < 0 || day < 0 || century < 0 || yearOfCentury < 0 || hour12 < 1 || hour12 > 12 || minute < 0 ||
        minute > 59 || (!am && !pm))
        return std::nullopt;
    const QDate clockDate(century * 100 + yearOfCentury, month, day);
    if (!clockDate.isValid())
        return std::nullopt;
    return QDateTime(clockDate, QTime(hour12 % 12 + (pm ? 12 : 0), minute), Qt::UTC);
}

// "Moon enters Aquarius": the body and the sign, or nothing.
std::optional<std::pair<QString, QString>> ingressOf(const QString &text)
{
    const QLatin1String enters(" enters ");
    const qsizetype at = text.indexOf(enters);
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        // The pattern below, for the ASCII letters and digits the engine writes.
        const auto word = [](QStringView part) {
            return !part.isEmpty() && std::all_of(part.cbegin(), part.cend(),
                                                  [](QChar c) { return isAsciiWordChar(c.unicode()); });
        };
        if (at < 0)
            return std::nullopt;
        const QStringView body = QStringView(text).left(at);
        const QStringView sign = QStringView(text).mid(at + enters.size());
        if (!word(body) || !word(sign))
            return std::nullopt;
        return std::make_pair(body.toString(), sign.toString());
    }
    static const QRegularExpression ingress(QStringLiteral("^(\\w+) enters (\\w+)$"));
    const QRegularExpressionMatch match = ingress.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return std::make_pair(match.captured(1), match.captured(2));
}

} // namespace

QList<TransitEvent> readTransitEvents(const QStringList &lines, const LocaleFacts &reportLocale)
{
    // The scratch jobs' reports are written in the engine's own shape.
    const bool engineReport = &reportLocale == &engineReportLocale();
    QList<TransitEvent> events;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1Char('(')) || line.size() <= TextColumn)
            continue;
        const QString text = line.mid(TextColumn).simplified();
        TransitEvent event;
        if (text.endsWith(QLatin1String(" New Moon"))) {
            event.kind = TransitEvent::Kind::NewMoon;
            event.body = QStringLiteral("Moon");
            event.text = QStringLiteral("New Moon");
        } else if (text.endsWith(QLatin1String(" Full Moon"))) {
            event.kind = TransitEvent::Kind::FullMoon;
            event.body = QStringLiteral("Moon");
            event.text = QStringLiteral("Full Moon");
        } else if (std::optional<std::pair<QString, QString>> ingress = ingressOf(text)) {
            event.kind = TransitEvent::Kind::Ingress;
            event.body = std::move(ingress->first);
            event.sign = std::move(ingress->second);
            event.text = text;
        } else {
            continue;
        }
        std::optional<QDateTime> moment = engineReport ? engineShapeMoment(line) : std::nullopt;
        if (!moment)
            moment = LineMoment(line, reportLocale);
        if (!moment)
            continue;
        event.clock = *moment;
        events.append(event);
    }
    return events;
}

} // namespace orlam
