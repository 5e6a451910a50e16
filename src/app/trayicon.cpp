#include "trayicon.h"

#include "appicons.h"
#include "desktopnotifier.h"
#include "reports/verses.h"

#include <QSystemTrayIcon>

namespace orlam {

TrayIcon::TrayIcon(QMenu *menu, QObject *parent)
    : QObject(parent), mMenu(menu), mToolTip(QStringLiteral("Orlam")),
      mNotifier(std::make_unique<DesktopNotifier>())
{
}

QSystemTrayIcon *TrayIcon::icon()
{
    if (mIcon)
        return mIcon;
    mIcon = new QSystemTrayIcon(this);
    mIcon->setObjectName(QStringLiteral("NotificationIcon1"));
    mIcon->setContextMenu(mMenu);
    setImage(mImage);
    mIcon->setToolTip(mToolTip);
    connect(mIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            click();
    });
    return mIcon;
}

void TrayIcon::click()
{
    if (mClick)
        mClick();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setImage(int index)
{
    if (index == NeutralTrayImage)
        mImage = NeutralTrayImage;
    else
        mImage = (index >= 0 && index < PlanetImageCount) ? index : static_cast<int>(PlanetImage::Sun);
    if (mIcon)
        mIcon->setIcon(mImage == NeutralTrayImage ? programIcon() : planetIcon(mImage));
}

void TrayIcon::showBalloon(const QString &title, const QString &text, BalloonIcon icon, int seconds)
{
    if (mNotifier->notify(title.left(63), text.left(255), icon, seconds))
        return;
    static const QSystemTrayIcon::MessageIcon kinds[] = {QSystemTrayIcon::NoIcon,
                                                         QSystemTrayIcon::Information,
                                                         QSystemTrayIcon::Warning, QSystemTrayIcon::Critical};
    this->icon()->showMessage(balloonTitle(title), balloonText(text), kinds[static_cast<int>(icon)],
                              qMax(0, seconds) * 1000);
}

void TrayIcon::setToolTip(const QString &text)
{
    mToolTip = text;
    if (mIcon)
        mIcon->setToolTip(text);
}

bool TrayIcon::showOnce()
{
    QSystemTrayIcon *shown = icon();
    if (!trayAvailable())
        return false;
    if (!mShown) {
        shown->show();
        mShown = true;
    }
    return true;
}

bool TrayIcon::trayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayIcon::balloonsSeen()
{
    return DesktopNotifier::serviceAvailable() || trayAvailable();
}

} // namespace orlam
