#pragma once

#include "trayicon.h"

#include <QString>

namespace orlam {

// Notices through the desktop's notification service (org.freedesktop.Notifications on the
// session bus), which shows them whether or not the desktop has a tray, keeps them in its
// history and holds them back while the user does not want to be disturbed.
class DesktopNotifier {
public:
    // True when the session bus has a notification service, running or started on demand.
    static bool serviceAvailable();

    // Shows `summary` over `body` for about `seconds`; a notice of this notifier that still shows
    // is replaced. False when no service took it: the caller shows it another way.
    bool notify(const QString &summary, const QString &body, BalloonIcon icon, int seconds);

private:
    uint mLastId = 0; // the service's id of the last notice, 0 before the first
};

} // namespace orlam
