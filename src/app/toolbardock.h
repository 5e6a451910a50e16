#pragma once

#include <QObject>
#include <QPoint>
#include <functional>
#include <optional>

class QMainWindow;
class QToolBar;
class QWidget;

namespace orlam {

// Docks the toolbar at the bottom or the top of the window where a drag by its handle ends.
// Qt docks a dragged toolbar only when it is let go within a few pixels of an empty area's edge,
// and puts it back otherwise; the toolbar's bottom home would be all but out of reach.
class ToolbarDock : public QObject {
public:
    // `firstItem` is the toolbar's first widget: the handle is the part before it. `wanted` tells
    // whether the toolbar is to be shown after it moves.
    ToolbarDock(QMainWindow *window, QToolBar *toolbar, QWidget *firstItem, std::function<bool()> wanted);

    // A point in the lower half of the window docks the toolbar at the bottom, one in the upper
    // half at the top.
    void dockNear(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMainWindow *mWindow;
    QToolBar *mToolbar;
    QWidget *mFirstItem;
    std::function<bool()> mWanted;
    std::optional<QPoint> mPress; // where a drag of the handle began (global)
};

} // namespace orlam
