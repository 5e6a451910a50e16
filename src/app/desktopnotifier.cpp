#include "desktopnotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace orlam {

namespace {

constexpr auto Service = "org.freedesktop.Notifications";
constexpr auto Path = "/org/freedesktop/Notifications";
constexpr auto Interface = "org.freedesktop.Notifications";
// A service that has not answered by then is taken as absent; the user still gets the notice
// another way, a little late.
constexpr int CallTimeoutMs = 2000;

enum Urgency : uchar { Low = 0, Normal = 1, Critical = 2 };

} // namespace

bool DesktopNotifier::serviceAvailable()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusConnectionInterface *daemon = bus.interface();
    const QString service = QLatin1String(Service);
    if (daemon->isServiceRegistered(service))
        return true;
    const QDBusReply<QStringList> activatable =
        bus.call(QDBusMessage::createMethodCall(
                     QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                     QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames")),
                 QDBus::Block, CallTimeoutMs);
    return activatable.isValid() && activatable.value().contains(service);
}

bool DesktopNotifier::notify(const QString &summary, const QString &body, BalloonIcon icon, int seconds)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QString iconName = QStringLiteral("orlam");
    uchar urgency = Normal;
    if (icon == BalloonIcon::Warning) {
        iconName = QStringLiteral("dialog-warning");
    } else if (icon == BalloonIcon::Error) {
        iconName = QStringLiteral("dialog-error");
        urgency = Critical;
    }
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("orlam")},
                            {QStringLiteral("urgency"), QVariant::fromValue(urgency)}};
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                                       QLatin1String(Interface), QStringLiteral("Notify"));
    call << QStringLiteral("Orlam") << mLastId << iconName << summary << body << QStringList() << hints
         << qMax(0, seconds) * 1000;
    const QDBusReply<uint> reply = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (!reply.isValid())
        return false;
    mLastId = reply.value();
    return true;
}

} // namespace orlam
