#include "toolbardock.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>

namespace orlam {

ToolbarDock::ToolbarDock(QMainWindow *window, QToolBar *toolbar, QWidget *firstItem,
                         std::function<bool()> wanted)
    : QObject(window), mWindow(window), mToolbar(toolbar), mFirstItem(firstItem), mWanted(std::move(wanted))
{
    mToolbar->installEventFilter(this);
}

bool ToolbarDock::eventFilter(QObject *watched, QEvent *event)
{
    // The events go on to the toolbar, which makes its own drag as well.
    if (watched == mToolbar &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QPoint global = mouse->globalPosition().toPoint();
            if (event->type() == QEvent::MouseButtonPress) {
                const bool onHandle = mouse->position().x() < mFirstItem->geometry().left();
                mPress = onHandle ? std::optional<QPoint>(global) : std::nullopt;
            } else if (mPress) {
                const bool dragged =
                    (global - *mPress).manhattanLength() >= QApplication::startDragDistance();
                mPress.reset();
                if (dragged)
                    // After the toolbar has finished its own drag.
                    QTimer::singleShot(0, this, [this, global] { dockNear(global); });
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void ToolbarDock::dockNear(const QPoint &globalPos)
{
    const Qt::ToolBarArea area = mWindow->mapFromGlobal(globalPos).y() >= mWindow->height() / 2
                                     ? Qt::BottomToolBarArea
                                     : Qt::TopToolBarArea;
    if (mWindow->toolBarArea(mToolbar) != area) {
        mWindow->addToolBar(area, mToolbar);
        mToolbar->setVisible(mWanted());
    }
}

} // namespace orlam
