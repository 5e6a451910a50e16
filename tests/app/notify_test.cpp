// Notices to the desktop's notification service, on a private session bus (the test runs under
// dbus-run-session) where a small service of the test's own records what it is sent, and where no
// tray exists: the alarm's notice and the tray commands' balloons reach the service, and when the
// service is gone the window says so another way.

#include "apptestsupport.h"
#include "common/clocktime.h"
#include "desktopnotifier.h"

#include <QAction>
#include <QDBusConnection>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

using namespace orlam;
using namespace orlam::test;

namespace {

const QString Dash = QString(QChar(0x2013));

// The notification service: a Python program on the session bus that prints each notice.
class NotificationService {
public:
    bool start()
    {
        mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mProcess.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(ORLAM_TEST_DATA "/app/notification-server.py")});
        if (!mProcess.waitForStarted(5000))
            return false;
        while (mProcess.waitForReadyRead(10000)) {
            if (mProcess.canReadLine())
                return mProcess.readLine().trimmed() == "ready";
        }
        return false;
    }
    void stop()
    {
        mProcess.closeWriteChannel(); // the service ends when its input closes
        if (!mProcess.waitForFinished(5000))
            mProcess.kill();
        mProcess.waitForFinished(5000);
    }
    ~NotificationService() { stop(); }

    // The notices received so far, waiting up to `ms` for at least `count` of them.
    QList<QJsonObject> notices(int count, int ms = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (mNotices.size() < count && timer.elapsed() < ms) {
            QCoreApplication::processEvents();
            mProcess.waitForReadyRead(50);
            while (mProcess.canReadLine())
                mNotices << QJsonDocument::fromJson(mProcess.readLine()).object();
        }
        return mNotices;
    }

private:
    QProcess mProcess;
    QList<QJsonObject> mNotices;
};

QByteArray everyHourKeys()
{
    QByteArray keys = "Time=2\r\nLongitude=93W21\r\nLatitude=45N05\r\nNotify=1\r\nUpdate Caption=0\r\n";
    for (const char *hour : {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"})
        keys += "Hour " + QByteArray(hour) + "=1\r\n";
    return keys;
}

} // namespace

class NotifyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void alarmNoticeReachesTheServiceWithoutATray();
    void trayCommandBalloonGoesToTheService();
    void withoutAServiceNothingIsLost();
};

void NotifyTest::initTestCase()
{
    // A private bus of this test's own, as dbus-run-session gives it; no tray on it.
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "run under dbus-run-session");
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    QVERIFY(!DesktopNotifier::serviceAvailable());
}

// A simulated morning on the real engine: the clock comes to the start of an hour, the alarm
// fires, and the notice says which hour and until when, in the user's time format.
void NotifyTest::alarmNoticeReachesTheServiceWithoutATray()
{
    NotificationService service;
    QVERIFY2(service.start(), "the notification service (python3-dbus, python3-gi) did not start");
    QVERIFY(DesktopNotifier::serviceAvailable());

    const QTimeZone zone("America/Chicago");
    const LocaleFacts locale = LocaleFacts::make(QLocale(QStringLiteral("en_US")), zone, QDate(2026, 6, 15));
    WindowRig rig;
    writeAll(rig.settingsPath(), "[orlam]\r\nAstrolog=" ORLAM_BIN_DIR "/orlam-ephem\r\n" + everyHourKeys());
    QDateTime now(QDate(2026, 6, 15), QTime(8, 0, 10), zone);
    TOrm window(rig.settingsPath(), rig.folder(), locale);
    window.setMessageHandler([&rig](const QString &text) { rig.messages << text; });
    window.setEndProgram([](int) {});
    window.findChild<QTimer *>(QStringLiteral("Timer1"))->stop(); // the test ticks by hand
    window.setClock([&now] { return now; });
    window.SetNow();
    window.FormShow();
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(QLatin1Char('\n'))));
    window.Timer1Timer();

    // The next two hours of the list: the first one's alarm is due at its minute, and with every
    // planet's hour chosen, the second one's start is the first one's end.
    QList<EventEntry> hours;
    for (const EventEntry &entry : window.eventList().entries)
        if (entry.word == QLatin1String("Hour") && entry.moment > clockFromLocal(now))
            hours << entry;
    QVERIFY(hours.size() >= 2);
    const EventEntry &due = hours.at(0);
    now = QDateTime(due.moment.date(), due.moment.time().addSecs(20), zone);
    window.Timer1Timer();

    const QList<QJsonObject> notices = service.notices(1);
    QCOMPARE(notices.size(), 1);
    const QJsonObject notice = notices.first();
    qInfo("notice: %s", QJsonDocument(notice).toJson(QJsonDocument::Compact).constData());
    QCOMPARE(notice.value(QLatin1String("summary")).toString(), QStringLiteral("Hour of ") + due.body);
    // A morning hour: "8:51 – 9:58 AM", the shared AM written once.
    const QString start = locale.formatShortTime(due.moment.time());
    const QString end = locale.formatShortTime(hours.at(1).moment.time());
    QVERIFY2(start.endsWith(QLatin1String(" AM")) && end.endsWith(QLatin1String(" AM")),
             qPrintable(start + end));
    QCOMPARE(notice.value(QLatin1String("body")).toString(),
             start.chopped(3) + QLatin1Char(' ') + Dash + QLatin1Char(' ') + end);
    QCOMPARE(notice.value(QLatin1String("app_name")).toString(), QStringLiteral("Orlam"));
    QCOMPARE(notice.value(QLatin1String("app_icon")).toString(), QStringLiteral("orlam"));
    const QJsonObject hints = notice.value(QLatin1String("hints")).toObject();
    QCOMPARE(hints.value(QLatin1String("desktop-entry")).toString(), QStringLiteral("orlam"));
    QCOMPARE(notice.value(QLatin1String("timeout")).toInt(), 10000);

    // The same minute again fires nothing a second time.
    now = now.addSecs(20);
    window.Timer1Timer();
    QCOMPARE(service.notices(2, 500).size(), 1);
}

// The tray menu's "Date" shows the present date as a balloon: without a tray, it goes to the
// notification service and replaces the notice of this window still showing.
void NotifyTest::trayCommandBalloonGoesToTheService()
{
    NotificationService service;
    QVERIFY2(service.start(), "the notification service did not start");
    WindowRig rig;
    std::unique_ptr<TOrm> window = rig.makeWindow();
    window->findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
    QAction *date = window->findChild<QAction *>(QStringLiteral("Date1"));
    QVERIFY(date);
    date->trigger();
    date->trigger();
    const QList<QJsonObject> notices = service.notices(2);
    QCOMPARE(notices.size(), 2);
    QCOMPARE(notices.at(0).value(QLatin1String("summary")).toString(), QStringLiteral("Thelemic Date"));
    QVERIFY(notices.at(0).value(QLatin1String("body")).toString().contains(QLatin1String(" e.v. ")));
    QCOMPARE(notices.at(0).value(QLatin1String("replaces_id")).toInt(), 0);
    QCOMPARE(notices.at(1).value(QLatin1String("replaces_id")).toInt(),
             notices.at(0).value(QLatin1String("id")).toInt());
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(QLatin1Char('\n'))));
}

// Once the service has gone, a notice is not taken (the caller falls back to the tray's own
// balloon or a message box), and a service that comes back is used again.
void NotifyTest::withoutAServiceNothingIsLost()
{
    DesktopNotifier notifier;
    {
        NotificationService service;
        QVERIFY(service.start());
        QVERIFY(notifier.notify(QStringLiteral("first"), QString(), BalloonIcon::Information, 10));
        QCOMPARE(service.notices(1).size(), 1);
    }
    QTRY_VERIFY(!DesktopNotifier::serviceAvailable());
    QVERIFY(!notifier.notify(QStringLiteral("lost"), QString(), BalloonIcon::Information, 10));
    QVERIFY(!TrayIcon::balloonsSeen());

    NotificationService again;
    QVERIFY(again.start());
    QVERIFY(TrayIcon::balloonsSeen());
    QVERIFY(notifier.notify(QStringLiteral("again"), QString(), BalloonIcon::Error, 10));
    const QList<QJsonObject> notices = again.notices(1);
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices.first().value(QLatin1String("summary")).toString(), QStringLiteral("again"));
    QCOMPARE(notices.first().value(QLatin1String("hints")).toObject().value(QLatin1String("urgency")).toInt(),
             2);
}

QTEST_MAIN(NotifyTest)
#include "notify_test.moc"
