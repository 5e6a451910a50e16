#include "settings/citylist.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace orlam;

namespace {

// Name filled to 25 characters, latitude filled to 7, three blanks, longitude.
QString cityLine(const QString &name, const QString &latitude, const QString &longitude)
{
    return name.leftJustified(25) + latitude.leftJustified(7) + QStringLiteral("   ") + longitude;
}

std::string str(const QString &s)
{
    return s.toStdString();
}

} // namespace

TEST(CityList, FieldsOfALine)
{
    const struct {
        const char *name;
        QString line;
        CityLine expected;
    } rows[] = {
        {"full line", cityLine("Minneapolis", "45N05", "93W21"), {"Minneapolis", "45N05", "93W21"}},
        {"name of 25 characters",
         cityLine("Llanfairpwllgwyngyll, GBR", "53N13", "4W12"),
         {"Llanfairpwllgwyngyll, GBR", "53N13", "4W12"}},
        {"the zone after column 43",
         cityLine("Oslo", "59N55", "10E45").leftJustified(43) + "Europe/Oslo",
         {"Oslo", "59N55", "10E45", "Europe/Oslo"}},
        {"a zone after a longitude of seven characters",
         cityLine("Auckland", "36S51", "174E46").leftJustified(43) + "Pacific/Auckland\r",
         {"Auckland", "36S51", "174E46", "Pacific/Auckland"}},
        {"tabs and control characters at the ends of a field",
         QString("\tRome").leftJustified(25) +
             "\x01"
             "41N54 " +
             "   " + "12E29\x7f",
         {"Rome", "41N54", "12E29"}},
        {"name only", "Paris", {"Paris", "", ""}},
        {"no longitude", QString("Lima").leftJustified(25) + "12S03", {"Lima", "12S03", ""}},
        {"blank inside a field is kept", cityLine("Quito", "0 S13", "78W30"), {"Quito", "0 S13", "78W30"}},
        {"empty line", "", {"", "", "", ""}},
    };
    for (const auto &row : rows) {
        const CityLine got = parseCityLine(row.line);
        EXPECT_EQ(str(got.name), str(row.expected.name)) << row.name;
        EXPECT_EQ(str(got.latitude), str(row.expected.latitude)) << row.name;
        EXPECT_EQ(str(got.longitude), str(row.expected.longitude)) << row.name;
        EXPECT_EQ(str(got.zone), str(row.expected.zone)) << row.name;
    }
}

TEST(CityList, QuestionAndChecksOfAChosenLine)
{
    const QString good = cityLine("Minneapolis", "45N05", "93W21");
    EXPECT_EQ(str(cityQuestion(parseCityLine(good))),
              "Set Longitude and Latitude to Minneapolis (93W21, 45N05)");
    EXPECT_TRUE(checkCityLine(good, parseCityLine(good)).ok);

    for (const QString &bad : {QString("Paris"), QString("Lima").leftJustified(25) + "12S03",
                               cityLine("Quito", "0 S13", "78W30"), cityLine("Quito", "0S13", "78 W30")}) {
        const Status status = checkCityLine(bad, parseCityLine(bad));
        EXPECT_FALSE(status.ok) << str(bad);
        EXPECT_TRUE(status.message.contains(bad.trimmed())) << str(status.message);
    }
}

TEST(CityList, LocationTextsThatCanBeSaved)
{
    const struct {
        const char *text;
        bool ok;
    } rows[] = {{"93W21", true},   {"-5.5", true},     {"", false},         {" 93W21", false},
                {"93 W21", false}, {"93W21\t", false}, {"93W21\x1b", false}};
    for (const auto &row : rows) {
        const Status status = checkLocationText(QStringLiteral("Longitude"), QString::fromLatin1(row.text));
        EXPECT_EQ(status.ok, row.ok) << row.text;
        if (!status.ok) {
            EXPECT_TRUE(status.message.startsWith(QStringLiteral("Longitude"))) << str(status.message);
        }
    }
}

TEST(CityList, TimeZoneOffTheEarthsClocksIsNotSaved)
{
    // Hours west of Greenwich: from 14 east (-14) to 12 west (12), in the three forms.
    const struct {
        const char *zone;
        const char *message; // nullptr: saved
    } rows[] = {
        {"6", nullptr},
        {"-14", nullptr},
        {"12", nullptr},
        {"+3", nullptr},
        {"-5:30", nullptr},
        {"-5.75", nullptr},
        {"12:30",
         "The time zone \"12:30\" is outside -14 to +12 hours west of Greenwich. Nothing was saved."},
        {"-14.5",
         "The time zone \"-14.5\" is outside -14 to +12 hours west of Greenwich. Nothing was saved."},
        {"25", "The time zone \"25\" is outside -14 to +12 hours west of Greenwich. Nothing was saved."},
        {"6:75",
         "The time zone \"6:75\" is not hours west of Greenwich like 6, -5.5 or -5:30. Nothing was saved."},
        {"six",
         "The time zone \"six\" is not hours west of Greenwich like 6, -5.5 or -5:30. Nothing was saved."},
    };
    for (const auto &row : rows) {
        const Status status = checkLocationText(QStringLiteral("Time Zone"), QString::fromLatin1(row.zone));
        EXPECT_EQ(status.ok, row.message == nullptr) << row.zone;
        if (row.message) {
            EXPECT_EQ(str(status.message), row.message);
        }
    }
}

TEST(CityList, EncodingsKeepTheColumns)
{
    const QString line = cityLine(QStringLiteral("Z\u00fcrich, Switzerland"), "47N23", "8E33");
    const struct {
        const char *name;
        QByteArray bytes;
    } rows[] = {
        {"UTF-8", line.toUtf8() + "\r\n"},
        {"UTF-8 with byte order mark", "\xEF\xBB\xBF" + line.toUtf8() + "\n"},
        {"Western code page", line.toLatin1() + "\r\n"},
    };
    for (const auto &row : rows) {
        const QStringList lines = decodeCityText(row.bytes).split(QStringLiteral("\n")).first().split('\r');
        const CityLine city = parseCityLine(lines.first());
        EXPECT_EQ(str(city.name), "Z\u00fcrich, Switzerland") << row.name;
        EXPECT_EQ(str(city.latitude), "47N23") << row.name;
        EXPECT_EQ(str(city.longitude), "8E33") << row.name;
    }
    // A curly apostrophe is a Western byte (0x92), not a broken UTF-8 sequence.
    EXPECT_EQ(str(decodeCityText("St. John\x92s")), "St. John\u2019s");
}

TEST(CityList, ReadsLinesUnchangedInFileOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(CityListFileName);
    QStringList lines;
    const Status missing = readCityList(path, &lines);
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.message.contains(path));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Zeta   \r\nalpha\nMid\r");
    file.close();
    ASSERT_TRUE(readCityList(path, &lines).ok);
    EXPECT_EQ(lines, QStringList({"Zeta   ", "alpha", "Mid"}));
}

TEST(CityList, FilterMatchesAnywhereIgnoringCase)
{
    const QString line = cityLine(QStringLiteral("Z\u00fcrich, Switzerland"), "47N23", "8E33");
    for (const char *typed : {"", "z\u00fcr", "SWITZ", "47n", "8E33", "rich, S"})
        EXPECT_TRUE(cityLineMatches(line, QString::fromUtf8(typed))) << typed;
    for (const char *typed : {"Zurich", "Bern", "47N24"})
        EXPECT_FALSE(cityLineMatches(line, QString::fromUtf8(typed))) << typed;
}

// The list shipped with the program: every line a place that can be chosen, in name order.
TEST(CityList, ShippedListIsUsable)
{
    QStringList lines;
    ASSERT_TRUE(readCityList(QStringLiteral(ORLAM_SOURCE_DIR "/data/city.tab"), &lines).ok);
    EXPECT_GT(lines.size(), 2000);
    EXPECT_LT(lines.size(), 10000);
    const QRegularExpression latitude(QStringLiteral("^([0-8]?[0-9]|90)[NS][0-5][0-9]$"));
    const QRegularExpression longitude(QStringLiteral("^(1[0-7][0-9]|[0-9]?[0-9]|180)[EW][0-5][0-9]$"));
    QString previous;
    bool zurich = false;
    int withoutZone = 0;
    for (const QString &line : lines) {
        // The zone's name after the specified columns, one the time-zone database knows.
        ASSERT_TRUE(line.size() <= 42 || line.at(42) == QLatin1Char(' ')) << str(line);
        // A blank parts every name from its latitude.
        EXPECT_EQ(line.at(24), QLatin1Char(' ')) << str(line);
        const CityLine city = parseCityLine(line);
        EXPECT_FALSE(city.name.isEmpty()) << str(line);
        EXPECT_TRUE(latitude.match(city.latitude).hasMatch()) << str(line);
        EXPECT_TRUE(longitude.match(city.longitude).hasMatch()) << str(line);
        EXPECT_TRUE(checkCityLine(line, city).ok) << str(line);
        if (city.zone.isEmpty())
            ++withoutZone;
        else
            EXPECT_TRUE(QTimeZone(city.zone.toLatin1()).isValid()) << str(line);
        EXPECT_LE(QString::localeAwareCompare(previous.toLower(), city.name.toLower()), 0) << str(line);
        previous = city.name;
        zurich = zurich || (city.name.startsWith(QStringLiteral("Z\u00fcrich")) && city.latitude == "47N23");
    }
    EXPECT_TRUE(zurich);
    EXPECT_LT(withoutZone, 10);
}
