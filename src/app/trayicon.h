#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace orlam {

// The tray image of a day without planetary hours.
constexpr int NeutralTrayImage = -1;

enum class BalloonIcon { None, Information, Warning, Error };

class DesktopNotifier;

// The notification-area icon (NotificationIcon1): its planet image, its menu, its tooltip and its
// balloon messages. A balloon goes to the desktop's notification service first (it shows on
// desktops without a tray as well); the icon's own balloon is the fallback when none answers.
// The icon itself is made when it is first shown or needed, off the window's way to the screen;
// until then its image and tooltip are kept.
class TrayIcon : public QObject {
public:
    TrayIcon(QMenu *menu, QObject *parent);
    ~TrayIcon() override;

    // Index 0 Saturn .. 6 Moon; NeutralTrayImage (no hours today: polar day or night) shows the
    // program's own image; any other index out of range shows the Sun.
    void setImage(int index);
    int image() const { return mImage; }
    // Title up to 63 characters, text up to 255; a new message replaces one still showing.
    void showBalloon(const QString &title, const QString &text, BalloonIcon icon, int seconds);
    void setToolTip(const QString &text);
    // Shows the icon the first time it is asked for, when the desktop has a tray at all.
    // False when there is no tray to show it in.
    bool showOnce();
    static bool trayAvailable();
    // True when a balloon can be seen: a notification service runs, or there is a tray.
    static bool balloonsSeen();
    // What a left click on the icon does (nothing by default); a double click counts once.
    void setClickHandler(std::function<void()> handler) { mClick = std::move(handler); }
    // The click as the desktop reports it, for tests.
    void click();

private:
    QSystemTrayIcon *icon();

    QMenu *mMenu = nullptr;
    QSystemTrayIcon *mIcon = nullptr;
    QString mToolTip;
    std::unique_ptr<DesktopNotifier> mNotifier;
    int mImage = 3;
    bool mShown = false;
    std::function<void()> mClick;
};

} // namespace orlam
