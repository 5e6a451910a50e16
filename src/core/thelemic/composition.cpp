#include "thelemic/composition.h"

#include "settings/localefacts.h"
#include "thelemic/calculate.h"
#include "thelemic/chartreading.h"

#include <array>

namespace orlam {

namespace {

constexpr int EraStartYear = 1904;
constexpr int CycleLength = 22;

// Latin day names by weekday number - 1 (Sunday first).
const std::array<QString, 7> DayNames{QStringLiteral("Solis"),   QStringLiteral(u"Lun\u00E6"),
                                      QStringLiteral("Martis"),  QStringLiteral("Mercurii"),
                                      QStringLiteral("Jovis"),   QStringLiteral("Veneris"),
                                      QStringLiteral("Saturnii")};

struct RomanStep {
    int value;
    const char *letters;
};
// Largest value first; the subtractive pairs make "IV", "IX", "XL" and, from 90 on, "XC"...
constexpr std::array<RomanStep, 13> RomanSteps{{{1000, "M"},
                                                {900, "CM"},
                                                {500, "D"},
                                                {400, "CD"},
                                                {100, "C"},
                                                {90, "XC"},
                                                {50, "L"},
                                                {40, "XL"},
                                                {10, "X"},
                                                {9, "IX"},
                                                {5, "V"},
                                                {4, "IV"},
                                                {1, "I"}}};

QString romanUpper(int n)
{
    return RomanNumeral(n);
}
QString romanLower(int n)
{
    return RomanNumeral(n).toLower();
}
QString decimal(int n)
{
    return QString::number(n);
}

} // namespace

int eraCount(QDate date, const QString &sunSign)
{
    int count = date.year() - EraStartYear;
    if (date.month() <= 2 || (date.month() == 3 && sunSign != QLatin1String("Aries")))
        --count;
    return count;
}

EraParts eraParts(int count)
{
    int cycle = count / CycleLength;
    int year = count % CycleLength;
    if (year < 0) {
        year += CycleLength;
        --cycle;
    }
    return {cycle, year};
}

QString RomanNumeral(int number)
{
    // Widened so that the magnitude of the smallest int still fits.
    qint64 rest = number < 0 ? -qint64(number) : qint64(number);
    QString text = number < 0 ? QStringLiteral("-") : QString();
    for (const RomanStep &step : RomanSteps) {
        while (rest >= step.value) {
            text += QLatin1String(step.letters);
            rest -= step.value;
        }
    }
    return text;
}

QString eraYearText(int count, int yearFormat)
{
    const EraParts parts = eraParts(count);
    switch (yearFormat) {
    case 0:
        return romanUpper(parts.cycle) + romanLower(parts.year);
    case 1:
        return romanLower(parts.cycle) + decimal(parts.year);
    case 2:
        return romanLower(parts.cycle) + romanUpper(parts.year);
    case 3:
        return decimal(parts.cycle) + romanLower(parts.year);
    case 4:
        return decimal(parts.cycle) + romanUpper(parts.year);
    default:
        return {};
    }
}

QString titleWord(int basic)
{
    switch (basic) {
    case 0:
        return QStringLiteral("An ");
    case 1:
        return QStringLiteral("Anno ");
    default:
        return {};
    }
}

int weekdayNumber(QDate date)
{
    // Qt counts 1 Monday .. 7 Sunday.
    return date.dayOfWeek() % 7 + 1;
}

QString latinDayName(int weekday)
{
    if (weekday < 1 || weekday > int(DayNames.size()))
        return {};
    return DayNames[weekday - 1];
}

QString dayText(int weekday)
{
    return QStringLiteral("Dies ") + latinDayName(weekday);
}

QString datePatternFor(int dateFormat)
{
    switch (dateFormat) {
    case 0:
        return QStringLiteral("ddddd \"e.v. \"");
    case 1:
        return QStringLiteral("dddddd \"e.v. \"");
    default:
        return QStringLiteral(" ");
    }
}

QString timePatternFor(int timeFormat)
{
    switch (timeFormat) {
    case 0:
        return QStringLiteral("t");
    case 1:
        return QStringLiteral("tt");
    default:
        return QStringLiteral(" ");
    }
}

QString cleanSpaces(const QString &text)
{
    QString cleaned = text;
    // QString::replace scans once from the left and never looks at what it has put in.
    cleaned.replace(QLatin1String("  "), QLatin1String(" "));
    return cleaned;
}

QStringList greetingLines(bool quoted)
{
    const QString first = QStringLiteral("Do what thou wilt shall be the whole of the Law.");
    const QString second = QStringLiteral("Love is the law, love under will.");
    if (!quoted)
        return {first, second};
    return {QLatin1Char('"') + first + QStringLiteral("\" - AL I,40"),
            QLatin1Char('"') + second + QStringLiteral("\" - AL I, 57")};
}

QString composeMainText(QDate chartedDate, const ChartReading &chart, const TSettings &settings,
                        DateTexts &texts)
{
    texts.EraYear = eraYearText(eraCount(chartedDate, chart.SunSign), settings.YearFormat);
    return titleWord(settings.Basic) + texts.EraYear + chart.phrase;
}

QStringList composeLines(const QString &mainText, const QDateTime &moment, int weekday,
                         const TSettings &settings, const LocaleFacts &locale, DateTexts &texts)
{
    texts.DayName = latinDayName(weekday);
    texts.DatePattern = datePatternFor(settings.DateFormat);
    texts.TimePattern = timePatternFor(settings.TimeFormat);
    const QString commonEra =
        locale.formatPattern(texts.DatePattern, moment) + locale.formatPattern(texts.TimePattern, moment);

    const QString main = cleanSpaces(mainText);
    const QString day = cleanSpaces(dayText(weekday));
    texts.CommonDateText = cleanSpaces(commonEra);

    QStringList lines;
    switch (settings.Lines) {
    case 0:
        lines << main + QLatin1Char(' ') + day + QLatin1Char(' ') + texts.CommonDateText;
        break;
    case 1:
        lines << main + QLatin1Char(' ') + day << texts.CommonDateText;
        break;
    case 2:
        lines << main << day << texts.CommonDateText;
        break;
    default:
        break;
    }
    if (settings.Greetings)
        lines << greetingLines(settings.Quoted);
    return lines;
}

} // namespace orlam
