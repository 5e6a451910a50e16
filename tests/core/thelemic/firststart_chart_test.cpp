// The settings of a first start chart the true moment: for users in zones east and west, with
// half-hour offsets, in summer and winter of both hemispheres, and without a place, a Calculate
// of the clock's reading gives the engine's Moon for the same instant in Universal Time.

#include "calctestsupport.h"

#include "common/clocktime.h"
#include "settings/firststart.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace orlam {
namespace {

const QString Engine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

QStringList chartLines(const QString &path)
{
    return fromWestern(test::readBytes(path)).split(QRegularExpression(QStringLiteral("\r?\n")));
}

QString lineStarting(const QStringList &lines, const QString &head)
{
    for (const QString &line : lines) {
        if (line.startsWith(head))
            return line;
    }
    return {};
}

// The engine's Moon row for an instant given in Universal Time at a place.
QString moonAtUt(const QDateTime &utc, const QString &longitude, const QString &latitude)
{
    test::ScopedWorkDir work;
    const QTime t = utc.time();
    const QByteArray job = "@0102  ; Astrolog chart info.\r\n" +
                           QStringLiteral("/qb %1 %2 %3 %4:%5%6 ST 0 %7 %8\r\n")
                               .arg(utc.date().month())
                               .arg(utc.date().day())
                               .arg(utc.date().year())
                               .arg(t.hour())
                               .arg(t.minute(), 2, 10, QLatin1Char('0'))
                               .arg(t.hour() < 12 ? "AM" : "PM", longitude, latitude)
                               .toLatin1() +
                           "/os chart.txt\r\n\r\n/c 0\r\n";
    test::writeBytes(work.filePath(QStringLiteral("input.txt")), job);
    QProcess engine;
    engine.setWorkingDirectory(work.path());
    engine.start(Engine, {QStringLiteral("-i"), QStringLiteral("input.txt")});
    if (!engine.waitForFinished(30000) || engine.exitCode() != 0)
        return QStringLiteral("engine failed");
    return lineStarting(chartLines(work.filePath(QStringLiteral("chart.txt"))), QStringLiteral("Moon"));
}

struct ZoneRow {
    const char *name;
    const char *zone;
    const char *place; // the expected longitude and latitude
};

const ZoneRow WholeHourZones[] = {
    {"Berlin", "Europe/Berlin", "13E22 52N30"},
    {"Chicago", "America/Chicago", "87W39 41N51"},
    {"UTC", "UTC", "93W21 45N05"},
    // The C library runs an unknown zone name on Greenwich time.
    {"unknown", "Mars/Olympus", "93W21 45N05"},
};

const ZoneRow HalfHourZones[] = {
    {"Kolkata", "Asia/Kolkata", "88E22 22N32"},
    {"Adelaide", "Australia/Adelaide", "138E35 34S55"},
};

// Instants in both halves of the year, and near midnight so that a wrong offset also moves the
// date.
const QDateTime Instants[] = {
    QDateTime(QDate(2026, 1, 15), QTime(11, 7), Qt::UTC),
    QDateTime(QDate(2026, 7, 15), QTime(23, 41), Qt::UTC),
    QDateTime(QDate(2026, 12, 7), QTime(10, 48), Qt::UTC),
};

template <std::size_t N> void expectTrueMoon(const ZoneRow (&zones)[N])
{
    ASSERT_TRUE(QFileInfo(Engine).isExecutable()) << "orlam-ephem has not been built";
    for (const ZoneRow &row : zones) {
        const QTimeZone tz(QByteArray(row.zone));
        const QTimeZone clockZone = tz.isValid() ? tz : QTimeZone::utc();
        const ComputerZone computer{row.zone, clockZone.standardTimeOffset(Instants[0])};
        const FirstStart plan = planFirstStart(computer, QStringLiteral("/usr/share/zoneinfo"));
        for (const QDateTime &instant : Instants) {
            SCOPED_TRACE(std::string(row.name) + " " + instant.toString(Qt::ISODate).toStdString());
            const QDateTime local = instant.toTimeZone(clockZone);
            test::CalcRig rig(LocaleFacts::make(QLocale(QStringLiteral("de_DE")), tz, local.date()));
            const QString settingsPath = rig.work.filePath(QStringLiteral("Orlam.ini"));
            ASSERT_TRUE(writeFirstStart(settingsPath, plan));
            WindowKeys window;
            ASSERT_TRUE(
                SettingsStore(settingsPath).LoadSettings(rig.locale, &rig.settings, &rig.derived, &window));
            EXPECT_EQ(rig.settings.Longitude + QLatin1Char(' ') + rig.settings.Latitude,
                      QLatin1String(row.place));
            rig.runner.setProgram(Engine);

            // The pickers hold the clock's reading, as after SetNow.
            rig.host.pickerDate = clockTime(local.date(), local.time());
            rig.host.pickerTime = local.time();
            ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));

            const QStringList chart = chartLines(rig.work.filePath(QStringLiteral("chart.txt")));
            EXPECT_TRUE(lineStarting(chart, QStringLiteral("Universal:"))
                            .contains(instant.toString(QStringLiteral("yyyy-MM-dd HH:mm:00 'UT'"))))
                << lineStarting(chart, QStringLiteral("Universal:")).toStdString();
            const QString moon = lineStarting(chart, QStringLiteral("Moon"));
            EXPECT_FALSE(moon.isEmpty());
            EXPECT_EQ(moon.toStdString(),
                      moonAtUt(instant, rig.settings.Longitude, rig.settings.Latitude).toStdString());
            // And the date text shows that Moon.
            const QString degree = moon.mid(6, 2).trimmed();
            EXPECT_TRUE(rig.host.view.contains(QStringLiteral("Luna %1\u00b0").arg(degree, 2)))
                << rig.host.view.toStdString() << " / " << moon.toStdString();
        }
    }
}

TEST(FirstStartChart, MoonOfTheTrueMoment)
{
    expectTrueMoon(WholeHourZones);
}

TEST(FirstStartChart, MoonOfTheTrueMomentInHalfHourZones)
{
    expectTrueMoon(HalfHourZones);
}

} // namespace
} // namespace orlam
