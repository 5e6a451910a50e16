// The hour commands of the command line as a script runs them: beside a running window, with
// and without a display, with wrong arguments.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

namespace {

const QString Program = QStringLiteral(ORLAM_BIN_DIR "/orlam");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The settings file, the window's work folder and the lock's runtime folder of one test.
class Rig {
public:
    Rig()
    {
        QDir(mDir.path()).mkpath(QStringLiteral("run"));
        QDir(mDir.path()).mkpath(QStringLiteral("data/Orlam"));
        QDir(mDir.path()).mkpath(QStringLiteral("start"));
        QFile file(settings());
        if (file.open(QIODevice::WriteOnly))
            file.write("[orlam]\r\nTime=0\r\nTime Zone=6\r\nLongitude=93W21\r\nLatitude=45N05\r\n");
    }
    QString settings() const { return mDir.filePath(QStringLiteral("Orlam.ini")); }
    // The window's work folder: $XDG_DATA_HOME/Orlam.
    QString work(const QString &name = {}) const
    {
        return mDir.filePath(QStringLiteral("data/Orlam/") + name);
    }

    void prepare(QProcess &process, const QStringList &arguments, bool display = true) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), mDir.filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("ORLAM_SETTINGS"), settings());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), mDir.filePath(QStringLiteral("data")));
        if (display) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                environment.remove(QString::fromLatin1(name));
        }
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(mDir.filePath(QStringLiteral("start")));
        process.setProgram(Program);
        process.setArguments(arguments);
    }

    struct Run {
        int exitCode = -1;
        QStringList out;
        QString err;
    };
    Run run(const QStringList &arguments, bool display = true) const
    {
        QProcess process;
        prepare(process, arguments, display);
        process.start();
        Run result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out =
            QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // Every file of the work folder with its bytes.
    QMap<QString, QByteArray> workFiles() const
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(work(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(QDir(work()).relativeFilePath(path), readAll(path));
        }
        return files;
    }

private:
    QTemporaryDir mDir;
};

const QRegularExpression HourLine(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d-\\d\\d:\\d\\d "
                                                 "(Sun|Moon|Mercury|Venus|Mars|Jupiter|Saturn)( now)?$"));

} // namespace

class HoursCommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void runBesideAWindow();
    void runWithoutDisplay();
    void withoutSettingsFileNoneIsWritten();
    void wrongArgumentsSayWhy();
    void helpDescribesThem();
};

void HoursCommandLineTest::runBesideAWindow()
{
    Rig rig;
    QProcess window;
    rig.prepare(window, {});
    window.start();
    QVERIFY(window.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(rig.work(QStringLiteral("input.txt"))), 10000);
    // Let the window's start-up jobs end before its folder is compared, and keep clear of the
    // turn of a minute, when the window's clock runs its jobs again.
    QTest::qWait(1500);
    if (QTime::currentTime().second() >= 45) {
        QTRY_VERIFY_WITH_TIMEOUT(QTime::currentTime().second() < 45, 20000);
        QTest::qWait(2500);
    }
    const QByteArray settingsBefore = readAll(rig.settings());
    const QMap<QString, QByteArray> before = rig.workFiles();

    const Rig::Run hours = rig.run({QStringLiteral("--hours"), QStringLiteral("2026-06-15")});
    QCOMPARE(hours.exitCode, 0);
    QVERIFY2(hours.err.isEmpty(), qPrintable(hours.err));
    QCOMPARE(hours.out.size(), 24);
    // 15 June 2026 is a Monday: the Moon rules its first hour, and the night goes on the cycle.
    QVERIFY2(hours.out.first().startsWith(QLatin1String("2026-06-15 04:")), qPrintable(hours.out.first()));
    QVERIFY(hours.out.first().endsWith(QLatin1String(" Moon")));
    QVERIFY(hours.out.at(12).endsWith(QLatin1String(" Venus")));
    QVERIFY(hours.out.last().startsWith(QLatin1String("2026-06-16 ")));
    for (const QString &line : hours.out)
        QVERIFY2(HourLine.match(line).hasMatch(), qPrintable(line));

    const Rig::Run next = rig.run({QStringLiteral("--next-hour"), QStringLiteral("venus")});
    QCOMPARE(next.exitCode, 0);
    QCOMPARE(next.out.size(), 3);
    for (const QString &line : next.out)
        QVERIFY2(HourLine.match(line).hasMatch() && line.contains(QLatin1String(" Venus")), qPrintable(line));

    const QString file = rig.work(QStringLiteral("../two-days.ics"));
    const Rig::Run ics =
        rig.run({QStringLiteral("--ics"), QStringLiteral("2026-06-15"), QStringLiteral("2026-06-16"), file});
    QCOMPARE(ics.exitCode, 0);
    QVERIFY2(ics.out.value(0).contains(QLatin1String("48 planetary hours")), qPrintable(ics.out.value(0)));
    QCOMPARE(readAll(file).count("BEGIN:VEVENT"), ics.out.value(0).section(QLatin1Char(' '), 1, 1).toInt());
    // Every count with its noun in the right number ("1 transit", "2 transits").
    const QRegularExpression counted(QStringLiteral("(\\d+) (event|planetary hour|transit)(s?)\\b"));
    int counts = 0;
    for (auto it = counted.globalMatch(ics.out.value(0)); it.hasNext(); ++counts) {
        const QRegularExpressionMatch match = it.next();
        QCOMPARE(match.captured(3).isEmpty(), match.captured(1).toInt() == 1);
    }
    QCOMPARE(counts, 3);

    // The window went on, its job file and reports are as it left them, and the settings file
    // was only read.
    QCOMPARE(window.state(), QProcess::Running);
    QCOMPARE(rig.workFiles(), before);
    QCOMPARE(readAll(rig.settings()), settingsBefore);
    window.kill();
    window.waitForFinished();
}

void HoursCommandLineTest::runWithoutDisplay()
{
    Rig rig;
    const Rig::Run hours = rig.run({QStringLiteral("--hours"), QStringLiteral("6/15/2026")}, false);
    QCOMPARE(hours.exitCode, 0);
    QCOMPARE(hours.out.size(), 24);
    QVERIFY2(hours.err.isEmpty(), qPrintable(hours.err));
    QVERIFY(QDir(rig.work()).isEmpty());
}

void HoursCommandLineTest::withoutSettingsFileNoneIsWritten()
{
    Rig rig;
    QVERIFY(QFile::remove(rig.settings()));
    const Rig::Run hours = rig.run({QStringLiteral("--hours"), QStringLiteral("2026-06-15")}, false);
    QCOMPARE(hours.exitCode, 0);
    QCOMPARE(hours.out.size(), 24);
    QVERIFY(!QFileInfo::exists(rig.settings()));
    QVERIFY(QDir(rig.work()).isEmpty());
}

void HoursCommandLineTest::wrongArgumentsSayWhy()
{
    Rig rig;
    struct Row {
        QStringList arguments;
        const char *message;
    };
    const Row rows[] = {
        {{QStringLiteral("--next-hour")}, "one planet"},
        {{QStringLiteral("--next-hour"), QStringLiteral("Pluto")}, "\"Pluto\" is not a planet of the hours"},
        {{QStringLiteral("--hours"), QStringLiteral("2026-02-30")}, "'2026-02-30' is not a valid date"},
        {{QStringLiteral("--hours"), QStringLiteral("a"), QStringLiteral("b")}, "at most one date"},
        {{QStringLiteral("--ics"), QStringLiteral("2026-06-15"), QStringLiteral("2026-06-01"),
          QStringLiteral("f.ics")},
         "comes before"},
        {{QStringLiteral("--ics"), QStringLiteral("2026-01-01"), QStringLiteral("2027-06-01"),
          QStringLiteral("f.ics")},
         "1 to 366 days"},
        {{QStringLiteral("--ics"), QStringLiteral("2026-06-15")}, "FROM TO FILE"},
    };
    for (const Row &row : rows) {
        const Rig::Run run = rig.run(row.arguments, false);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(QLatin1String(row.message)), qPrintable(run.err));
    }
    // A file that cannot be written is a failure of its own, and the folder keeps nothing.
    const Rig::Run unwritable = rig.run({QStringLiteral("--ics"), QStringLiteral("2026-06-15"),
                                         QStringLiteral("2026-06-15"), QStringLiteral("no/such/dir/f.ics")},
                                        false);
    QCOMPARE(unwritable.exitCode, 1);
    QVERIFY2(unwritable.err.contains(QLatin1String("Cannot create file")), qPrintable(unwritable.err));
    QVERIFY(QDir(rig.work()).isEmpty());
}

void HoursCommandLineTest::helpDescribesThem()
{
    Rig rig;
    const Rig::Run help = rig.run({QStringLiteral("--help")}, false);
    QCOMPARE(help.exitCode, 0);
    const QString text = help.out.join(QLatin1Char('\n'));
    for (const char *option : {"--next-hour PLANET", "--hours [DATE]", "--ics FROM TO FILE"})
        QVERIFY2(text.contains(QLatin1String(option)), option);
}

QTEST_GUILESS_MAIN(HoursCommandLineTest)
#include "hourscli_test.moc"
