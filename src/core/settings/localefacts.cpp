#include "settings/localefacts.h"

#include "common/clocktime.h"
#include "common/westerntext.h"
#include "settings/firststart.h"

#include <QList>
#include <QStringList>
#include <cstdlib>

namespace orlam {

namespace {

// One piece of a Qt date/time format: a run of one pattern letter ("yyyy", "AP", "t") or literal
// text (quotes removed).
struct FormatToken {
    bool field = false;
    QString text;
};

using FormatTokens = QList<FormatToken>;

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

void appendLiteral(FormatTokens *tokens, const QString &text)
{
    if (text.isEmpty())
        return;
    if (!tokens->isEmpty() && !tokens->back().field)
        tokens->back().text += text;
    else
        tokens->append({false, text});
}

FormatTokens tokenize(const QString &format)
{
    FormatTokens tokens;
    qsizetype i = 0;
    const qsizetype n = format.size();
    while (i < n) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            // Quoted literal; '' inside or outside quotes is one quote character.
            QString lit;
            ++i;
            if (i < n && format.at(i) == QLatin1Char('\'')) {
                appendLiteral(&tokens, QStringLiteral("'"));
                ++i;
                continue;
            }
            while (i < n) {
                if (format.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < n && format.at(i + 1) == QLatin1Char('\'')) {
                        lit += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                lit += format.at(i++);
            }
            appendLiteral(&tokens, lit);
        } else if (isAsciiLetter(c)) {
            qsizetype j = i;
            // "AP"/"ap" is one field in Qt's syntax.
            if ((c == QLatin1Char('A') || c == QLatin1Char('a')) && i + 1 < n &&
                (format.at(i + 1) == QLatin1Char('P') || format.at(i + 1) == QLatin1Char('p'))) {
                j = i + 2;
            } else {
                while (j < n && format.at(j) == c)
                    ++j;
            }
            tokens.append({true, format.mid(i, j - i)});
            i = j;
        } else {
            appendLiteral(&tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

QString untokenize(const FormatTokens &tokens)
{
    QString format;
    for (const FormatToken &t : tokens) {
        if (t.field) {
            format += t.text;
            continue;
        }
        bool needsQuotes = false;
        for (const QChar c : t.text)
            needsQuotes = needsQuotes || isAsciiLetter(c) || c == QLatin1Char('\'');
        if (needsQuotes) {
            QString q = t.text;
            q.replace(QLatin1Char('\''), QStringLiteral("''"));
            format += QLatin1Char('\'') + q + QLatin1Char('\'');
        } else {
            format += t.text;
        }
    }
    return format;
}

// Literal text of locale data may hold characters the Western code page lacks (a narrow no-break
// space before AM/PM); a date line shows a plain space instead.
void plainLiterals(FormatTokens *tokens)
{
    for (FormatToken &t : *tokens) {
        if (!t.field)
            t.text = westernPlain(t.text);
    }
}

void trimEnds(FormatTokens *tokens)
{
    while (!tokens->isEmpty() && !tokens->front().field) {
        tokens->front().text = tokens->front().text.trimmed();
        if (!tokens->front().text.isEmpty())
            break;
        tokens->removeFirst();
    }
    while (!tokens->isEmpty() && !tokens->back().field) {
        tokens->back().text = tokens->back().text.trimmed();
        if (!tokens->back().text.isEmpty())
            break;
        tokens->removeLast();
    }
}

QString shortDateOf(const QLocale &locale)
{
    FormatTokens tokens = tokenize(locale.dateFormat(QLocale::ShortFormat));
    // A two-digit year is ambiguous in a date line; users of every locale read four digits.
    for (FormatToken &t : tokens) {
        if (t.field && t.text.front() == QLatin1Char('y'))
            t.text = QStringLiteral("yyyy");
    }
    plainLiterals(&tokens);
    return untokenize(tokens);
}

QString timeWithoutZone(const QString &format)
{
    FormatTokens tokens = tokenize(format);
    FormatTokens kept;
    for (const FormatToken &t : tokens) {
        if (t.field && t.text.front() == QLatin1Char('t'))
            continue;
        if (!t.field)
            appendLiteral(&kept, t.text);
        else
            kept.append(t);
    }
    plainLiterals(&kept);
    trimEnds(&kept);
    return untokenize(kept);
}

// The separator after the first field whose letter is one of `letters`.
QChar separatorAfter(const QString &format, const QString &letters, QChar fallback)
{
    const FormatTokens tokens = tokenize(format);
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!tokens.at(i).field || !letters.contains(tokens.at(i).text.front()))
            continue;
        if (i + 1 < tokens.size() && !tokens.at(i + 1).field) {
            for (const QChar c : tokens.at(i + 1).text) {
                if (!c.isSpace())
                    return c;
            }
        }
        return fallback;
    }
    return fallback;
}

LocaleFacts::DateOrder orderOf(const QString &shortDate)
{
    for (const FormatToken &t : tokenize(shortDate)) {
        if (!t.field)
            continue;
        const QChar c = t.text.front();
        // "ddd"/"dddd" are weekday names, not the day of the month.
        if (c == QLatin1Char('d') && t.text.size() <= 2)
            return LocaleFacts::DateOrder::DayMonthYear;
        if (c == QLatin1Char('M'))
            return LocaleFacts::DateOrder::MonthDayYear;
        if (c == QLatin1Char('y'))
            return LocaleFacts::DateOrder::YearMonthDay;
    }
    return LocaleFacts::DateOrder::MonthDayYear;
}

// A small cursor over text being read as a date or time.
class Scanner {
public:
    explicit Scanner(const QString &text) : mText(text) {}

    void skipBlanks()
    {
        while (mPos < mText.size() &&
               (mText.at(mPos) == QLatin1Char(' ') || mText.at(mPos) == QLatin1Char('\t')))
            ++mPos;
    }
    bool atEnd() const { return mPos >= mText.size(); }

    // Digits 0-9, at most `maxDigits` of them; false when there are none or too many.
    bool number(int maxDigits, int *value, int *digits = nullptr)
    {
        int count = 0;
        int v = 0;
        while (mPos < mText.size() && mText.at(mPos) >= QLatin1Char('0') &&
               mText.at(mPos) <= QLatin1Char('9')) {
            if (++count > maxDigits)
                return false;
            v = v * 10 + (mText.at(mPos).unicode() - '0');
            ++mPos;
        }
        if (count == 0)
            return false;
        *value = v;
        if (digits)
            *digits = count;
        return true;
    }

    bool accept(QChar c)
    {
        if (mPos < mText.size() && mText.at(mPos) == c) {
            ++mPos;
            return true;
        }
        return false;
    }

    // Case-insensitive match of one of `words` (longest first); returns its index or -1.
    int acceptWord(const QStringList &words)
    {
        int best = -1;
        qsizetype bestLength = 0;
        for (int k = 0; k < words.size(); ++k) {
            const QString &w = words.at(k);
            if (w.isEmpty() || w.size() <= bestLength)
                continue;
            if (QStringView(mText).mid(mPos, w.size()).compare(w, Qt::CaseInsensitive) == 0) {
                best = k;
                bestLength = w.size();
            }
        }
        mPos += bestLength;
        return best;
    }

private:
    const QString &mText;
    qsizetype mPos = 0;
};

} // namespace

LocaleFacts LocaleFacts::system()
{
    QTimeZone zone = QTimeZone::systemTimeZone();
    // Qt does not read a TZ that names the zone's file ("/usr/share/zoneinfo/Asia/Kolkata");
    // the C library does, and the clock runs on that zone.
    if (!zone.isValid())
        zone = QTimeZone(computerZone().id);
    return make(QLocale::system(), zone, QDate::currentDate());
}

LocaleFacts::ZoneYear LocaleFacts::zoneYear(const QTimeZone &zone, QDate day)
{
    // Daylight saving as the clock shows it: the first transition of the year that moves the
    // clock forward starts it, the first that moves it back ends it; each is the reading just
    // before the change. Deciding by the direction of the offset change, not by Qt's own
    // standard/daylight labels, keeps zones whose data calls winter time "negative daylight
    // time" (Europe/Dublin) in line with how their users see it.
    ZoneYear result;
    if (!zone.isValid())
        return result;
    const int year = day.year();
    const QDateTime from(QDate(year, 1, 1).addDays(-2), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(year + 1, 1, 1).addDays(2), QTime(0, 0), Qt::UTC);
    int standardOffset = 0;
    bool haveStandard = false;
    QDateTime start, end;
    QDateTime startAt, endAt; // the transitions' instants
    int offsetAfterEnd = 0;
    if (zone.hasTransitions()) {
        for (const QTimeZone::OffsetData &t : zone.transitions(from, to)) {
            const int before = zone.offsetFromUtc(t.atUtc.addSecs(-1));
            const int after = t.offsetFromUtc;
            if (before == after)
                continue;
            const QDateTime utc = t.atUtc.toUTC().addSecs(before);
            const QDateTime local = clockTime(utc.date(), utc.time());
            if (local.date().year() != year)
                continue;
            if (after > before && !start.isValid()) {
                start = local;
                startAt = t.atUtc;
                standardOffset = before;
                haveStandard = true;
            } else if (after < before && !end.isValid()) {
                end = local;
                endAt = t.atUtc;
                offsetAfterEnd = after;
            }
        }
    }
    // A year with a single change of the clock, as when a zone gives up daylight saving:
    // daylight time was already running when the year began, or runs on past its end. The
    // year's daylight period is then bounded by the year's first or last moment, so that the
    // moments on the other side of the change keep standard time and the standard offset is
    // the same whatever day of the year the program starts. A lone change that is not daylight
    // saving at all (a zone moving its standard offset) leaves the year without it.
    if (end.isValid() && !start.isValid() && zone.isDaylightTime(endAt.addSecs(-1))) {
        start = clockTime(year, 1, 1);
        standardOffset = offsetAfterEnd;
        haveStandard = true;
    } else if (start.isValid() && !end.isValid() && zone.isDaylightTime(startAt)) {
        end = clockTime(year, 12, 31, 23, 59, 59);
    } else if (!start.isValid() && !end.isValid() &&
               zone.isDaylightTime(QDateTime(QDate(year, 1, 1), QTime(12, 0), Qt::UTC)) &&
               zone.isDaylightTime(QDateTime(QDate(year, 12, 31), QTime(12, 0), Qt::UTC))) {
        // Daylight time all year without a change (Buenos Aires from 1946 to 1963): every
        // moment of the year is daylight time, not standard time.
        start = clockTime(year - 1, 12, 31, 23, 59, 59);
        end = clockTime(year + 1, 1, 1);
        standardOffset = zone.standardTimeOffset(QDateTime(QDate(year, 7, 1), QTime(12, 0), Qt::UTC));
        haveStandard = true;
    }
    if (start.isValid() && end.isValid()) {
        result.dstStart = start;
        result.dstEnd = end;
    } else {
        haveStandard = false;
    }
    if (!haveStandard) {
        // The standard offset, not the clock's: on a day of daylight time the two differ.
        standardOffset = zone.standardTimeOffset(QDateTime(day, QTime(12, 0), Qt::UTC));
    }
    result.standardOffset = standardOffset;
    return result;
}

LocaleFacts LocaleFacts::make(const QLocale &locale, const QTimeZone &zone, QDate today)
{
    LocaleFacts f;
    // With no locale set at all, users expect what the system's formats were written for.
    f.mLocale = locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
    f.mZone = zone;

    f.mShortDate = shortDateOf(f.mLocale);
    FormatTokens longDate = tokenize(f.mLocale.dateFormat(QLocale::LongFormat));
    plainLiterals(&longDate);
    f.mLongDate = untokenize(longDate);
    f.mShortTime = timeWithoutZone(f.mLocale.timeFormat(QLocale::ShortFormat));
    f.mLongTime = timeWithoutZone(f.mLocale.timeFormat(QLocale::LongFormat));
    f.mOrder = orderOf(f.mShortDate);
    f.mDateSeparator = separatorAfter(f.mShortDate, QStringLiteral("dMy"), QLatin1Char('/'));
    f.mTimeSeparator = separatorAfter(f.mShortTime, QStringLiteral("hH"), QLatin1Char(':'));

    if (!zone.isValid())
        return f;

    const ZoneYear year = zoneYear(zone, today.isValid() ? today : QDate::currentDate());
    f.mDstStart = year.dstStart;
    f.mDstEnd = year.dstEnd;
    // Minutes west of Greenwich, then whole hours truncated toward zero (C++ division does).
    const int biasMinutes = -year.standardOffset / 60;
    f.mZoneHours = biasMinutes / 60;
    return f;
}

QString LocaleFacts::formatShortDate(QDate date) const
{
    return westernPlain(mLocale.toString(date, mShortDate));
}

QString LocaleFacts::formatLongDate(QDate date) const
{
    return westernPlain(mLocale.toString(date, mLongDate));
}

QString LocaleFacts::formatShortTime(QTime time) const
{
    return westernPlain(mLocale.toString(time, mShortTime));
}

QString LocaleFacts::formatLongTime(QTime time) const
{
    return westernPlain(mLocale.toString(time, mLongTime));
}

QString LocaleFacts::formatPattern(const QString &pattern, const QDateTime &moment) const
{
    QString out;
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const QStringView rest = QStringView(pattern).mid(i);
        if (rest.startsWith(QLatin1String("dddddd"), Qt::CaseInsensitive)) {
            out += formatLongDate(moment.date());
            i += 6;
        } else if (rest.startsWith(QLatin1String("ddddd"), Qt::CaseInsensitive)) {
            out += formatShortDate(moment.date());
            i += 5;
        } else if (rest.startsWith(QLatin1String("tt"), Qt::CaseInsensitive)) {
            out += formatLongTime(moment.time());
            i += 2;
        } else if (rest.startsWith(QLatin1String("t"), Qt::CaseInsensitive)) {
            out += formatShortTime(moment.time());
            i += 1;
        } else if (pattern.at(i) == QLatin1Char('"') || pattern.at(i) == QLatin1Char('\'')) {
            const QChar quote = pattern.at(i);
            qsizetype close = pattern.indexOf(quote, i + 1);
            if (close < 0)
                close = n;
            out += pattern.mid(i + 1, close - i - 1);
            i = close + 1;
        } else {
            out += pattern.at(i);
            ++i;
        }
    }
    return out;
}

QString LocaleFacts::euroDateSwitch() const
{
    return dayFirst() ? QStringLiteral("-Yd") : QString();
}

namespace {

QStringList designators(const QLocale &locale, bool pm)
{
    QStringList words;
    // The locale's own designator, as it stands and as a Western text file would hold it.
    const QString own = (pm ? locale.pmText() : locale.amText()).trimmed();
    const QString plain = westernPlain(own).trimmed();
    words << own;
    if (plain != own)
        words << plain;
    words << (pm ? QStringLiteral("PM") : QStringLiteral("AM"));
    return words;
}

// 0 = none, 1 = AM, 2 = PM
int readDesignator(Scanner &s, const QLocale &locale)
{
    const QStringList am = designators(locale, false);
    const QStringList pm = designators(locale, true);
    const QStringList all = am + pm;
    const int k = s.acceptWord(all);
    if (k < 0)
        return 0;
    return k < am.size() ? 1 : 2;
}

bool readTime(Scanner &s, const QLocale &locale, QChar separator, QTime *out)
{
    s.skipBlanks();
    int half = readDesignator(s, locale);
    s.skipBlanks();
    int h = 0, m = 0, sec = 0;
    if (!s.number(2, &h))
        return false;
    s.skipBlanks();
    if (!s.accept(separator) && !s.accept(QLatin1Char(':')))
        return false;
    s.skipBlanks();
    if (!s.number(2, &m))
        return false;
    s.skipBlanks();
    if (s.accept(separator) || s.accept(QLatin1Char(':'))) {
        s.skipBlanks();
        if (!s.number(2, &sec))
            return false;
        s.skipBlanks();
    }
    if (half == 0) {
        half = readDesignator(s, locale);
        s.skipBlanks();
    }
    if (!s.atEnd())
        return false;
    if (half != 0) {
        if (h > 12)
            return false;
        // 12am is midnight and 12pm noon.
        if (half == 1 && h == 12)
            h = 0;
        else if (half == 2 && h < 12)
            h += 12;
    }
    if (h > 23 || m > 59 || sec > 59)
        return false;
    *out = QTime(h, m, sec);
    return out->isValid();
}

} // namespace

namespace {

bool readDate(Scanner &s, LocaleFacts::DateOrder order, QChar separator, bool trailingSeparator, QDate *out)
{
    int v[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    s.skipBlanks();
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            s.skipBlanks();
            if (!s.accept(separator))
                return false;
            s.skipBlanks();
        }
        if (!s.number(4, &v[k], &digits[k]))
            return false;
    }
    if (trailingSeparator) {
        s.skipBlanks();
        s.accept(separator);
    }
    int y = 0, m = 0, d = 0, yearDigits = 0;
    switch (order) {
    case LocaleFacts::DateOrder::MonthDayYear:
        m = v[0], d = v[1], y = v[2], yearDigits = digits[2];
        if (digits[0] > 2 || digits[1] > 2)
            return false;
        break;
    case LocaleFacts::DateOrder::DayMonthYear:
        d = v[0], m = v[1], y = v[2], yearDigits = digits[2];
        if (digits[0] > 2 || digits[1] > 2)
            return false;
        break;
    case LocaleFacts::DateOrder::YearMonthDay:
        y = v[0], m = v[1], d = v[2], yearDigits = digits[0];
        if (digits[1] > 2 || digits[2] > 2)
            return false;
        break;
    }
    if (yearDigits <= 2)
        y += y < 50 ? 2000 : 1900;
    const QDate date(y, m, d);
    if (!date.isValid())
        return false;
    *out = date;
    return true;
}

} // namespace

std::optional<QDate> LocaleFacts::parseShortDate(const QString &text) const
{
    Scanner s(text);
    QDate date;
    if (!readDate(s, mOrder, mDateSeparator, mShortDate.trimmed().endsWith(mDateSeparator), &date))
        return std::nullopt;
    s.skipBlanks();
    if (!s.atEnd())
        return std::nullopt;
    return date;
}

std::optional<QTime> LocaleFacts::parseTime(const QString &text) const
{
    Scanner s(text);
    QTime time;
    if (!readTime(s, mLocale, mTimeSeparator, &time))
        return std::nullopt;
    return time;
}

std::optional<QDateTime> LocaleFacts::parseDateTime(const QString &text) const
{
    Scanner s(text);
    QDate date;
    if (!readDate(s, mOrder, mDateSeparator, mShortDate.trimmed().endsWith(mDateSeparator), &date))
        return std::nullopt;
    s.skipBlanks();
    if (s.atEnd())
        return clockTime(date);
    QTime time;
    if (!readTime(s, mLocale, mTimeSeparator, &time))
        return std::nullopt;
    return clockTime(date, time);
}

QString zoneHoursWestText(int secondsEast)
{
    const int minutesWest = -secondsEast / 60;
    const int hours = std::abs(minutesWest) / 60;
    const int minutes = std::abs(minutesWest) % 60;
    QString text = minutesWest < 0 ? QStringLiteral("-") : QString();
    text += QString::number(hours);
    if (minutes != 0)
        text += QLatin1Char(':') + QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0'));
    return text;
}

} // namespace orlam
