// The first start as a new user meets it: "orlam x" without a settings file, in several zones,
// charts the present moment where the computer is; the next start and a user's own file are
// left alone.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Program = QStringLiteral(ORLAM_BIN_DIR "/orlam");
const QString Engine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray lineStarting(const QByteArray &text, const QByteArray &head)
{
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(head))
            return line.trimmed();
    }
    return {};
}

QDateTime utcMinute()
{
    QDateTime now = QDateTime::currentDateTimeUtc();
    now.setTime(QTime(now.time().hour(), now.time().minute()));
    return now;
}

// A user with an empty home: configuration, data and runtime folders of the test's own, and the
// settings file named but not there yet.
class NewUser {
public:
    NewUser()
    {
        for (const char *folder : {"config", "data", "run", "work"})
            QDir(mDir.path()).mkpath(QLatin1String(folder));
        // As a session's runtime folder is; Qt complains on standard error otherwise.
        QFile::setPermissions(path(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path(const QString &name) const { return mDir.filePath(name); }
    QString settings() const { return path(QStringLiteral("config/Orlam/Orlam.ini")); }

    struct Run {
        int exitCode = -1;
        QByteArray out, err;
    };
    Run run(const QByteArray &tz, const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TZ"), QString::fromLatin1(tz));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        // Beside the built program the settings file would land in the build tree.
        environment.insert(QStringLiteral("ORLAM_SETTINGS"), settings());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(path(QStringLiteral("work")));
        process.start(Program, arguments);
        Run result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // The engine's Moon row for an instant in Universal Time at a place, run directly.
    QByteArray moonAtUt(const QDateTime &utc, const QByteArray &longitude, const QByteArray &latitude) const
    {
        const QString dir = path(QStringLiteral("direct"));
        QDir().mkpath(dir);
        const QTime t = utc.time();
        const QByteArray job = "@0102  ; Astrolog chart info.\r\n" +
                               QStringLiteral("/qb %1 %2 %3 %4:%5%6 ST 0 ")
                                   .arg(utc.date().month())
                                   .arg(utc.date().day())
                                   .arg(utc.date().year())
                                   .arg(t.hour())
                                   .arg(t.minute(), 2, 10, QLatin1Char('0'))
                                   .arg(t.hour() < 12 ? "AM" : "PM")
                                   .toLatin1() +
                               longitude + ' ' + latitude + "\r\n/os chart.txt\r\n\r\n/c 0\r\n";
        if (!writeAll(dir + QStringLiteral("/input.txt"), job))
            return "no job";
        QProcess engine;
        engine.setWorkingDirectory(dir);
        engine.start(Engine, {QStringLiteral("-i"), QStringLiteral("input.txt")});
        if (!engine.waitForFinished(30000) || engine.exitCode() != 0)
            return "engine failed";
        return lineStarting(readAll(dir + QStringLiteral("/chart.txt")), "Moon");
    }

private:
    QTemporaryDir mDir;
};

} // namespace

class FirstStartTest : public QObject {
    Q_OBJECT
private slots:
    void presentMoment_data();
    void presentMoment();
    void ownFileStaysAsItIs();
};

void FirstStartTest::presentMoment_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<QByteArray>("keys"); // the location keys the new file holds
    QTest::addColumn<QByteArray>("place");

    QTest::newRow("Berlin")
        << QByteArray("Europe/Berlin")
        << QByteArray(
               "Longitude=13E22\r\nLatitude=52N30\r\nZone Name=Europe/Berlin\r\nTime Zone=-1\r\nTime=2\r\n")
        << QByteArray("13E22 52N30");
    QTest::newRow("Chicago")
        << QByteArray("America/Chicago")
        << QByteArray(
               "Longitude=87W39\r\nLatitude=41N51\r\nZone Name=America/Chicago\r\nTime Zone=6\r\nTime=2\r\n")
        << QByteArray("87W39 41N51");
    QTest::newRow("Kolkata")
        << QByteArray("Asia/Kolkata")
        << QByteArray(
               "Longitude=88E22\r\nLatitude=22N32\r\nZone Name=Asia/Kolkata\r\nTime Zone=-5:30\r\nTime=2\r\n")
        << QByteArray("88E22 22N32");
    QTest::newRow("Adelaide") << QByteArray("Australia/Adelaide")
                              << QByteArray("Longitude=138E35\r\nLatitude=34S55\r\nZone "
                                            "Name=Australia/Adelaide\r\nTime Zone=-9:30\r\nTime=2\r\n")
                              << QByteArray("138E35 34S55");
    QTest::newRow("UTC") << QByteArray("UTC") << QByteArray("Time Zone=0\r\nTime=2\r\n")
                         << QByteArray("93W21 45N05");
    QTest::newRow("unknown") << QByteArray("Mars/Olympus") << QByteArray("Time Zone=0\r\nTime=2\r\n")
                             << QByteArray("93W21 45N05");
}

void FirstStartTest::presentMoment()
{
    QFETCH(QByteArray, tz);
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, place);
    QVERIFY2(QFile::exists(Engine), "orlam-ephem has not been built");

    NewUser user;
    const QDateTime before = utcMinute();
    const NewUser::Run first = user.run(tz, {QStringLiteral("x")});
    const QDateTime after = utcMinute();
    QCOMPARE(first.exitCode, 0);

    // Standard output holds the date alone; one line on standard error says what was chosen.
    const QList<QByteArray> lines = first.out.split('\n');
    QCOMPARE(lines.size(), 3);
    const QList<QByteArray> notes = first.err.trimmed().split('\n');
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.at(0).startsWith("orlam: first start: ") && notes.at(0).contains(tz), first.err);

    const QByteArray settings = readAll(user.settings());
    QVERIFY2(settings.startsWith("[orlam]\r\n" + keys), settings);

    // The chart is of the present moment: the engine's Moon for the true Universal Time, at the
    // place chosen.
    const QByteArray job = readAll(user.path(QStringLiteral("data/Orlam/input.txt")));
    QVERIFY2(lineStarting(job, "/qb ").endsWith(" " + place), job);
    const QByteArray moon = lineStarting(readAll(user.path(QStringLiteral("data/Orlam/chart.txt"))), "Moon");
    QVERIFY(!moon.isEmpty());
    const QList<QByteArray> at = place.split(' ');
    QByteArrayList trueMoons;
    for (QDateTime minute = before; minute <= after; minute = minute.addSecs(60))
        trueMoons << user.moonAtUt(minute, at.at(0), at.at(1));
    QVERIFY2(trueMoons.contains(moon), moon + " / " + trueMoons.join(" or "));
    // The date text shows that Moon's degree.
    const QByteArray degree = moon.mid(6, 2).trimmed(); // " 0" for a Moon under 10 degrees
    QVERIFY2(lines.at(0).contains("Luna " + degree + "\xc2\xb0"), lines.at(0) + " / " + moon);

    // The second start finds the file and changes nothing.
    const NewUser::Run second = user.run(tz, {QStringLiteral("x")});
    QCOMPARE(second.exitCode, 0);
    QVERIFY2(!second.err.contains("first start"), second.err);
    QCOMPARE(readAll(user.settings()), settings);
}

void FirstStartTest::ownFileStaysAsItIs()
{
    NewUser user;
    QVERIFY(QDir().mkpath(user.path(QStringLiteral("config/Orlam"))));
    QVERIFY(writeAll(user.settings(), "[orlam]\r\nLines=2\r\n"));
    const NewUser::Run run = user.run("Europe/Berlin", {QStringLiteral("x")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.err.contains("first start"), run.err);
    const QByteArray settings = readAll(user.settings());
    // Only the window's own keys are added when it closes.
    QVERIFY2(settings.startsWith("[orlam]\r\nLines=2\r\nTool Bar=1\r\n"), settings);
    for (const char *key : {"Longitude=", "Latitude=", "Time Zone=", "\nTime="})
        QVERIFY2(!settings.contains(key), key);
    // Three lines of date text; the place is the default's, in its standard time.
    QCOMPARE(run.out.split('\n').size(), 4);
    QVERIFY(lineStarting(readAll(user.path(QStringLiteral("data/Orlam/input.txt"))), "/qb ")
                .endsWith(" ST 6 93W21 45N05"));
}

QTEST_GUILESS_MAIN(FirstStartTest)
#include "firststart_test.moc"
