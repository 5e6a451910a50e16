#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"
#include "thelemic/chartreading.h"
#include "thelemic/composition.h"

#include <QLocale>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace orlam {
namespace {

const QString Deg = QStringLiteral(u"\u00B0");
const QString Lunae = QStringLiteral(u"Lun\u00E6");

// A listing row: the name in column 1, the degree in columns 7-8, the sign in columns 9-11.
QString row(const QString &head, const QString &degree, const QString &sign)
{
    return head.leftJustified(6, QLatin1Char(' ')) + degree + sign + QStringLiteral(" 12'34   + 0:12'");
}

LocaleFacts usEnglish()
{
    return LocaleFacts::make(QLocale(QLocale::English, QLocale::UnitedStates), QTimeZone("America/Chicago"),
                             QDate(2026, 6, 15));
}

// ---- Chart reading ----

// Every abbreviation the engine writes reads back as its sign, exactly and case-sensitively.
TEST(ChartReading, SignTableMatchesExactlyAndCaseSensitively)
{
    QStringList seen;
    for (const names::Sign &sign : names::Signs) {
        const QString name = QString::fromLatin1(sign.name.data(), sign.name.size());
        EXPECT_EQ(
            SignFromAbbreviation(QString::fromLatin1(sign.abbreviation.data(), sign.abbreviation.size())),
            name);
        seen << name;
    }
    EXPECT_EQ(seen.removeDuplicates(), 0);
    EXPECT_EQ(SignFromAbbreviation(QStringLiteral("Ari")), QStringLiteral("Aries"));
    EXPECT_EQ(SignFromAbbreviation(QStringLiteral("Lib")), QStringLiteral("Libra"));
    EXPECT_EQ(SignFromAbbreviation(QStringLiteral("Sag")), QStringLiteral("Sagittarius"));
    EXPECT_EQ(SignFromAbbreviation(QStringLiteral("gem")), QString());
    EXPECT_EQ(SignFromAbbreviation(QStringLiteral("Ge")), QString());
    EXPECT_EQ(SignFromAbbreviation(QString()), QString());
}

TEST(ChartReading, SimpleAndDegreesModes)
{
    const QStringList chart{QStringLiteral("Astrolog chart"),
                            row(QStringLiteral("Sun"), QStringLiteral("24"), QStringLiteral("Gem")),
                            row(QStringLiteral("Moon"), QStringLiteral(" 5"), QStringLiteral("Leo"))};
    DateTexts simple;
    const ChartReading s = readChartLines(chart, 0, simple);
    EXPECT_EQ(s.phrase, QStringLiteral(" Sol in Gemini, Luna in Leo"));
    EXPECT_EQ(s.SunSign, QStringLiteral("Gemini"));
    EXPECT_EQ(simple.SunPosition, QStringLiteral("Gemini"));
    EXPECT_EQ(simple.MoonPosition, QStringLiteral("Leo"));

    DateTexts degrees;
    const ChartReading d = readChartLines(chart, 1, degrees);
    EXPECT_EQ(d.phrase, QStringLiteral(" Sol 24") + Deg + QStringLiteral(" Gemini, Luna  5") + Deg +
                            QStringLiteral(" Leo"));
    EXPECT_EQ(degrees.SunPosition, QStringLiteral("24") + Deg + QStringLiteral(" Gemini"));
    EXPECT_EQ(degrees.MoonPosition, QStringLiteral(" 5") + Deg + QStringLiteral(" Leo"));
    EXPECT_EQ(degrees.SunSign, QStringLiteral("Gemini"));
}

TEST(ChartReading, RowRecognition)
{
    struct Case {
        const char *name;
        QString head;
        bool counts;
    };
    const Case cases[] = {
        {"suffix s", QStringLiteral("Suns"), true},
        {"colon", QStringLiteral("Sun:"), true},
        {"leading blank", QStringLiteral(" Sun"), false},
        {"lower case", QStringLiteral("sun"), false},
    };
    for (const Case &c : cases) {
        DateTexts texts;
        const ChartReading r =
            readChartLines({row(c.head, QStringLiteral("10"), QStringLiteral("Tau"))}, 0, texts);
        EXPECT_EQ(r.SunSign == QStringLiteral("Taurus"), c.counts) << c.name;
    }
}

TEST(ChartReading, EdgeCases)
{
    DateTexts texts;
    texts.SunPosition = QStringLiteral("old sun");
    texts.MoonPosition = QStringLiteral("old moon");

    // No listing: nothing appended, positions kept.
    ChartReading r = readChartLines({}, 1, texts);
    EXPECT_TRUE(r.phrase.isEmpty());
    EXPECT_TRUE(r.SunSign.isEmpty());
    EXPECT_EQ(texts.SunPosition, QStringLiteral("old sun"));

    // Two Sun rows append two Sun parts in file order; no Moon row leaves the Moon's text.
    r = readChartLines({row(QStringLiteral("Sun"), QStringLiteral(" 1"), QStringLiteral("Ari")),
                        row(QStringLiteral("Sun"), QStringLiteral("29"), QStringLiteral("Pis"))},
                       0, texts);
    EXPECT_EQ(r.phrase, QStringLiteral(" Sol in Aries Sol in Pisces"));
    EXPECT_EQ(r.SunSign, QStringLiteral("Pisces"));
    EXPECT_EQ(texts.MoonPosition, QStringLiteral("old moon"));

    // Unknown abbreviation: the words stand with nothing after them.
    r = readChartLines({row(QStringLiteral("Sun"), QStringLiteral("24"), QStringLiteral("Xyz"))}, 1, texts);
    EXPECT_EQ(r.phrase, QStringLiteral(" Sol 24") + Deg + QStringLiteral(" "));
    EXPECT_TRUE(r.SunSign.isEmpty());

    // Short rows give short pieces, never padded ones.
    r = readChartLines({QStringLiteral("Sun   2")}, 1, texts);
    EXPECT_EQ(r.phrase, QStringLiteral(" Sol 2") + Deg + QStringLiteral(" "));

    // Another mode appends nothing and keeps the positions, but the sign is still read.
    texts.SunPosition = QStringLiteral("kept");
    r = readChartLines({row(QStringLiteral("Sun"), QStringLiteral("24"), QStringLiteral("Ari"))}, 2, texts);
    EXPECT_TRUE(r.phrase.isEmpty());
    EXPECT_EQ(r.SunSign, QStringLiteral("Aries"));
    EXPECT_EQ(texts.SunPosition, QStringLiteral("kept"));
}

// ---- Era count and numerals ----

TEST(EraCount, TurnsOverInMarchWithTheSunInAries)
{
    struct Case {
        const char *name;
        QDate date;
        const char *sunSign;
        int count;
    };
    const Case cases[] = {
        {"midsummer", QDate(2026, 6, 15), "Gemini", 122},
        {"new year's eve", QDate(2025, 12, 31), "Capricorn", 121},
        {"new year's day", QDate(2026, 1, 1), "Capricorn", 121},
        {"february", QDate(2026, 2, 28), "Pisces", 121},
        {"march, sun in pisces", QDate(2026, 3, 10), "Pisces", 121},
        {"march, sun in aries", QDate(2026, 3, 21), "Aries", 122},
        {"march, no chart", QDate(2026, 3, 25), "", 121},
        {"march, lower case aries", QDate(2026, 3, 25), "aries", 121},
        {"first of april whatever the chart", QDate(2026, 4, 1), "Pisces", 122},
        {"era start", QDate(1904, 3, 21), "Aries", 0},
        {"before the era", QDate(1904, 3, 1), "Pisces", -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(eraCount(c.date, QString::fromUtf8(c.sunSign)), c.count) << c.name;
}

TEST(RomanNumeral, Table)
{
    const std::pair<int, const char *> cases[] = {
        {0, ""},     {1, "I"},     {4, "IV"},  {5, "V"},     {9, "IX"},         {12, "XII"}, {14, "XIV"},
        {19, "XIX"}, {21, "XXI"},  {40, "XL"}, {44, "XLIV"}, {49, "XLIX"},      {50, "L"},   {89, "LXXXIX"},
        {90, "XC"},  {99, "XCIX"}, {100, "C"}, {400, "CD"},  {1994, "MCMXCIV"}, {-5, "-V"},  {-1, "-I"},
    };
    for (const auto &[number, text] : cases)
        EXPECT_EQ(RomanNumeral(number), QString::fromLatin1(text)) << number;
}

TEST(RomanNumeral, EveryCycleNumberBelowNinetyFollowsTheFiveSteps)
{
    // The numeral built step by step as the date's notation describes it, for every number a
    // cycle takes before the year 3884.
    auto stepwise = [](int n) {
        QString text;
        if (n >= 50) {
            text += QLatin1Char('L');
            n -= 50;
        }
        QString tens(n / 10, QLatin1Char('X'));
        text += tens == QStringLiteral("XXXX") ? QStringLiteral("XL") : tens;
        n %= 10;
        if (n == 9)
            return text + QStringLiteral("IX");
        if (n >= 5) {
            text += QLatin1Char('V');
            n -= 5;
        }
        const QString units(n, QLatin1Char('I'));
        return text + (units == QStringLiteral("IIII") ? QStringLiteral("IV") : units);
    };
    for (int n = 0; n < 90; ++n)
        EXPECT_EQ(RomanNumeral(n), stepwise(n)) << n;
}

TEST(EraYearText, FiveFormsForSeveralCounts)
{
    struct Case {
        const char *name;
        int count;
        const char *forms[5];
    };
    const Case cases[] = {
        {"cycle 0 year 7", 7, {"vii", "7", "VII", "0vii", "0VII"}},
        {"cycle 0 year 21", 21, {"xxi", "21", "XXI", "0xxi", "0XXI"}},
        {"cycle 1 year 0", 22, {"I", "i0", "i", "1", "1"}},
        {"cycle 1 year 4", 26, {"Iiv", "i4", "iIV", "1iv", "1IV"}},
        {"cycle 5 year 12", 122, {"Vxii", "v12", "vXII", "5xii", "5XII"}},
        {"count 110", 110, {"V", "v0", "v", "5", "5"}},
        {"before the era", -1, {"-Ixxi", "-i21", "-iXXI", "-1xxi", "-1XXI"}},
    };
    for (const Case &c : cases) {
        for (int form = 0; form < 5; ++form)
            EXPECT_EQ(eraYearText(c.count, form), QString::fromLatin1(c.forms[form]))
                << c.name << " form " << form;
        EXPECT_EQ(eraYearText(c.count, 5), QString()) << c.name;
        EXPECT_EQ(eraYearText(c.count, -1), QString()) << c.name;
    }
}

// ---- Texts ----

TEST(Texts, TitleWordsDayNamesAndPatterns)
{
    EXPECT_EQ(titleWord(0), QStringLiteral("An "));
    EXPECT_EQ(titleWord(1), QStringLiteral("Anno "));
    EXPECT_EQ(titleWord(2), QString());
    EXPECT_EQ(titleWord(7), QString());

    const char *names[] = {"Solis", "Lun\xc3\xa6", "Martis", "Mercurii", "Jovis", "Veneris", "Saturnii"};
    for (int day = 1; day <= 7; ++day) {
        EXPECT_EQ(latinDayName(day), QString::fromUtf8(names[day - 1]));
        EXPECT_EQ(dayText(day), QStringLiteral("Dies ") + QString::fromUtf8(names[day - 1]));
    }
    EXPECT_EQ(latinDayName(2).at(3).unicode(), 0xE6);
    // 15 June 2026 is a Monday, 21 June a Sunday, 20 June a Saturday.
    EXPECT_EQ(weekdayNumber(QDate(2026, 6, 15)), 2);
    EXPECT_EQ(weekdayNumber(QDate(2026, 6, 21)), 1);
    EXPECT_EQ(weekdayNumber(QDate(2026, 6, 20)), 7);

    EXPECT_EQ(datePatternFor(0), QStringLiteral("ddddd \"e.v. \""));
    EXPECT_EQ(datePatternFor(1), QStringLiteral("dddddd \"e.v. \""));
    EXPECT_EQ(datePatternFor(2), QStringLiteral(" "));
    EXPECT_EQ(timePatternFor(0), QStringLiteral("t"));
    EXPECT_EQ(timePatternFor(1), QStringLiteral("tt"));
    EXPECT_EQ(timePatternFor(9), QStringLiteral(" "));
}

TEST(Texts, CleanSpacesIsOnePass)
{
    const std::pair<const char *, const char *> cases[] = {
        {"Luna  5", "Luna 5"}, {"  ", " "}, {"   ", "  "}, {"    ", "  "}, {"a b", "a b"}, {"", ""},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(cleanSpaces(QString::fromLatin1(in)), QString::fromLatin1(out)) << '"' << in << '"';
}

TEST(Texts, Greetings)
{
    EXPECT_EQ(greetingLines(false),
              QStringList({QStringLiteral("Do what thou wilt shall be the whole of the Law."),
                           QStringLiteral("Love is the law, love under will.")}));
    EXPECT_EQ(greetingLines(true),
              QStringList({QStringLiteral("\"Do what thou wilt shall be the whole of the Law.\" - AL I,40"),
                           QStringLiteral("\"Love is the law, love under will.\" - AL I, 57")}));
}

// ---- Whole composition ----

class Composition : public ::testing::Test {
protected:
    QStringList compose(const TSettings &settings, int weekday = 2)
    {
        const QStringList chart{row(QStringLiteral("Sun"), QStringLiteral("24"), QStringLiteral("Gem")),
                                row(QStringLiteral("Moon"), QStringLiteral(" 5"), QStringLiteral("Leo"))};
        const ChartReading reading = readChartLines(chart, settings.AspectMode, texts);
        const QString main = composeMainText(moment.date(), reading, settings, texts);
        return composeLines(main, moment, weekday, settings, locale, texts);
    }

    LocaleFacts locale = usEnglish();
    QDateTime moment = QDateTime(QDate(2026, 6, 15), QTime(14, 30), Qt::UTC);
    DateTexts texts;
};

TEST_F(Composition, WorkedExampleWithDefaults)
{
    const TSettings settings;
    EXPECT_EQ(compose(settings),
              QStringList({QStringLiteral("An v12 Sol 24") + Deg + QStringLiteral(" Gemini, Luna 5") + Deg +
                               QStringLiteral(" Leo Dies ") + Lunae,
                           QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM")}));
    EXPECT_EQ(texts.EraYear, QStringLiteral("v12"));
    EXPECT_EQ(texts.DayName, Lunae);
    EXPECT_EQ(texts.SunPosition, QStringLiteral("24") + Deg + QStringLiteral(" Gemini"));
    EXPECT_EQ(texts.MoonPosition, QStringLiteral(" 5") + Deg + QStringLiteral(" Leo"));
    EXPECT_EQ(texts.DatePattern, QStringLiteral("dddddd \"e.v. \""));
    EXPECT_EQ(texts.TimePattern, QStringLiteral("t"));
    EXPECT_EQ(texts.CommonDateText, QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM"));
}

TEST_F(Composition, WorkedExampleVariants)
{
    TSettings simple;
    simple.AspectMode = 0;
    EXPECT_EQ(compose(simple).first(), QStringLiteral("An v12 Sol in Gemini, Luna in Leo Dies ") + Lunae);

    TSettings anno;
    anno.YearFormat = 0;
    anno.Basic = 1;
    EXPECT_TRUE(compose(anno).first().startsWith(QStringLiteral("Anno Vxii Sol")))
        << compose(anno).first().toStdString();

    TSettings shortForms;
    shortForms.DateFormat = 0;
    shortForms.TimeFormat = 1;
    EXPECT_EQ(compose(shortForms).last(), QStringLiteral("6/15/2026 e.v. 2:30:00 PM"));
}

TEST_F(Composition, LineLayoutsWithGreetings)
{
    const QString first = QStringLiteral("An v12 Sol 24") + Deg + QStringLiteral(" Gemini, Luna 5") + Deg +
                          QStringLiteral(" Leo");
    const QString day = QStringLiteral("Dies ") + Lunae;
    const QString common = QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM");
    const QStringList plain = greetingLines(false);
    const QStringList quoted = greetingLines(true);

    struct Case {
        const char *name;
        int lines;
        bool greetings, quoted;
        QStringList expected;
    };
    const Case cases[] = {
        {"one line", 0, false, false, {first + QLatin1Char(' ') + day + QLatin1Char(' ') + common}},
        {"one line, greetings",
         0,
         true,
         false,
         {first + QLatin1Char(' ') + day + QLatin1Char(' ') + common, plain[0], plain[1]}},
        {"two lines, quoted greetings",
         1,
         true,
         true,
         {first + QLatin1Char(' ') + day, common, quoted[0], quoted[1]}},
        {"three lines, greetings", 2, true, false, {first, day, common, plain[0], plain[1]}},
        {"no date line, greetings", 3, true, true, {quoted[0], quoted[1]}},
        {"no date line", 3, false, false, {}},
    };
    for (const Case &c : cases) {
        TSettings settings;
        settings.Lines = c.lines;
        settings.Greetings = c.greetings;
        settings.Quoted = c.quoted;
        EXPECT_EQ(compose(settings), c.expected) << c.name;
    }
}

TEST_F(Composition, NoDatePatternKeepsTheTimesOwnSpace)
{
    TSettings settings;
    settings.DateFormat = 2;
    settings.Lines = 0;
    const QStringList lines = compose(settings);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral("Dies ") + Lunae + QStringLiteral("  2:30 PM")))
        << lines.first().toStdString();
    EXPECT_EQ(texts.CommonDateText, QStringLiteral(" 2:30 PM"));

    settings.TimeFormat = 2;
    settings.Lines = 2;
    EXPECT_EQ(compose(settings).last(), QStringLiteral(" "));
}

TEST_F(Composition, MarchTurnoverFollowsTheChart)
{
    moment = QDateTime(QDate(2026, 3, 20), QTime(12, 0), Qt::UTC);
    TSettings settings;
    DateTexts t;
    composeMainText(moment.date(), ChartReading{QString(), QStringLiteral("Aries")}, settings, t);
    EXPECT_EQ(t.EraYear, QStringLiteral("v12"));
    composeMainText(moment.date(), ChartReading{QString(), QStringLiteral("Pisces")}, settings, t);
    EXPECT_EQ(t.EraYear, QStringLiteral("v11"));
    // No chart at all: the title and the year stand alone.
    EXPECT_EQ(composeMainText(moment.date(), ChartReading{}, settings, t), QStringLiteral("An v11"));
}

} // namespace
} // namespace orlam
