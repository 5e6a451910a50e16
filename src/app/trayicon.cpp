#include "trayicon.h"

#include "appicons.h"

#include <QSystemTrayIcon>

namespace orlam {

TrayIcon::TrayIcon(QMenu *menu, QObject *parent) : QObject(parent)
{
    mIcon = new QSystemTrayIcon(this);
    mIcon->setObjectName(QStringLiteral("NotificationIcon1"));
    mIcon->setContextMenu(menu);
    setImage(mImage);
    // A click on the icon itself does nothing; the menu is the way back.
}

void TrayIcon::setImage(int index)
{
    if (index == NeutralTrayImage) {
        mImage = NeutralTrayImage;
        mIcon->setIcon(programIcon());
        return;
    }
    mImage = (index >= 0 && index < PlanetImageCount) ? index : static_cast<int>(PlanetImage::Sun);
    mIcon->setIcon(planetIcon(mImage));
}

void TrayIcon::showBalloon(const QString &title, const QString &text, BalloonIcon icon, int seconds)
{
    static const QSystemTrayIcon::MessageIcon kinds[] = {QSystemTrayIcon::NoIcon,
                                                         QSystemTrayIcon::Information,
                                                         QSystemTrayIcon::Warning, QSystemTrayIcon::Critical};
    mIcon->showMessage(title.left(63), text.left(255), kinds[static_cast<int>(icon)],
                       qMax(0, seconds) * 1000);
}

bool TrayIcon::showOnce()
{
    if (!trayAvailable())
        return false;
    if (!mShown) {
        mIcon->show();
        mShown = true;
    }
    return true;
}

bool TrayIcon::trayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace orlam
