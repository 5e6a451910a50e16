#include "windowplacement.h"

#include "shared/astronames.h"
#include "thelemic/chartreading.h"
#include "thelemic/composition.h"

#include <QEvent>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace orlam {

namespace {

// How long after the window is first framed a configure still on its way may move it.
constexpr int FrameSettleMs = 3000;

// Watches the window from its first expose; see holdFrameCorner().
class FrameCornerKeeper : public QObject {
public:
    FrameCornerKeeper(QWidget *window, QPoint corner) : QObject(window), mWindow(window), mCorner(corner)
    {
        window->installEventFilter(this);
        watchHandle();
    }

    void setCorner(QPoint corner) { mCorner = corner; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == mWindow && event->type() == QEvent::Show)
            watchHandle(); // the native window exists from here on
        else if ((watched == mHandle && event->type() == QEvent::Expose && mHandle->isExposed()) ||
                 (watched == mWindow && event->type() == QEvent::Move && mExposed))
            QTimer::singleShot(0, this, [this] { settle(); });
        return false;
    }

private:
    void watchHandle()
    {
        QWindow *handle = mWindow->windowHandle();
        if (!handle || handle == mHandle)
            return;
        if (mHandle)
            mHandle->removeEventFilter(this);
        mHandle = handle;
        handle->installEventFilter(this);
    }

    void settle()
    {
        mExposed = true;
        // Asking for the frame reads the window manager's frame afresh.
        const QRect frame = mWindow->frameGeometry();
        if (frame == mWindow->geometry())
            return; // not framed yet
        // The fault's mark: the client's corner where the frame's should be. A window the user
        // has moved elsewhere is left alone.
        if (frame.topLeft() != mCorner && mWindow->geometry().topLeft() == mCorner)
            mWindow->move(mCorner);
        if (!mEnding) {
            mEnding = true;
            QTimer::singleShot(FrameSettleMs, this, &QObject::deleteLater);
        }
    }

    QWidget *mWindow;
    QPoint mCorner;
    QPointer<QWindow> mHandle;
    bool mExposed = false;
    bool mEnding = false;
};

// Replaces the whole words among `names` by the longest of them.
void widenNames(QString &line, const QStringList &names)
{
    QString longest;
    for (const QString &name : names) {
        if (name.size() > longest.size())
            longest = name;
    }
    for (const QString &name : names) {
        if (name.isEmpty() || name == longest)
            continue;
        qsizetype at = 0;
        while ((at = line.indexOf(name, at)) >= 0) {
            const qsizetype end = at + name.size();
            const bool wordStart = at == 0 || !line.at(at - 1).isLetter();
            const bool wordEnd = end >= line.size() || !line.at(end).isLetter();
            if (wordStart && wordEnd) {
                line.replace(at, name.size(), longest);
                at += longest.size();
            } else {
                at = end;
            }
        }
    }
}

qint64 area(const QRect &rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

} // namespace

QStringList widestDateLines(const QStringList &lines, const QLocale &locale)
{
    QStringList signs, months, days, latinDays;
    for (const names::Sign &sign : names::Signs)
        signs << QString::fromLatin1(sign.name.data(), sign.name.size());
    for (int m = 1; m <= 12; ++m) {
        months << locale.monthName(m, QLocale::LongFormat) << locale.monthName(m, QLocale::ShortFormat);
    }
    for (int d = 1; d <= 7; ++d) {
        days << locale.dayName(d, QLocale::LongFormat);
        latinDays << latinDayName(d);
    }
    QStringList widened;
    for (QString line : lines) {
        widenNames(line, signs);
        widenNames(line, days);
        widenNames(line, latinDays);
        widenNames(line, months);
        widened << line;
    }
    return widened;
}

QRect keepOnScreen(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return frame;
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), TitleBarHeight));
    const QRect *best = &screens.front();
    qint64 bestOverlap = 0;
    for (const QRect &screen : screens) {
        // The whole height of the title bar, and a grip's width of it, on one screen.
        const QRect grip = titleBar.intersected(screen);
        if (grip.width() >= std::min(TitleGripWidth, frame.width()) && grip.height() == titleBar.height())
            return frame;
        if (const qint64 overlap = area(frame.intersected(screen)); overlap > bestOverlap) {
            bestOverlap = overlap;
            best = &screen;
        }
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(best->size()));
    placed.moveLeft(std::clamp(placed.left(), best->left(), best->right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), best->top(), best->bottom() - placed.height() + 1));
    return placed;
}

void holdFrameCorner(QWidget *window, QPoint corner)
{
    for (QObject *child : window->children()) {
        if (auto *keeper = dynamic_cast<FrameCornerKeeper *>(child)) {
            keeper->setCorner(corner);
            return;
        }
    }
    new FrameCornerKeeper(window, corner);
}

} // namespace orlam
