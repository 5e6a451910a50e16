#include "firstframe.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace orlam {

namespace {

// Watches the window's platform window for its first exposure. The frame is drawn while the
// exposure is handled, after this filter has seen it: the work is queued to follow it.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget *window, std::function<void()> work)
        : QObject(window), mWindow(window), mWork(std::move(work))
    {
        window->windowHandle()->installEventFilter(this);
        QTimer::singleShot(FirstFrameWaitMs, this, [this] { release(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
            QTimer::singleShot(0, this, [this] { release(); });
        return false;
    }

private:
    void release()
    {
        if (!mWork)
            return;
        if (QWindow *handle = mWindow->windowHandle())
            handle->removeEventFilter(this);
        const std::function<void()> work = std::exchange(mWork, {});
        deleteLater();
        work();
    }

    QWidget *mWindow;
    std::function<void()> mWork;
};

} // namespace

void afterFirstFrame(QWidget *window, std::function<void()> work)
{
    const QWindow *handle = window->windowHandle();
    if (!handle || handle->isExposed() || !window->isVisible() || window->isMinimized() ||
        window->testAttribute(Qt::WA_DontShowOnScreen)) {
        QTimer::singleShot(0, window, std::move(work));
        return;
    }
    new FrameWatch(window, std::move(work));
}

} // namespace orlam
