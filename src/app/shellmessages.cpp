#include "shellmessages.h"

#include "programstart.h"
#include "thelemic/calculate.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

namespace orlam {

namespace {

// A message box that places itself over its owner when it is shown, after it has taken its
// size and before the window system maps it.
class PlacedMessageBox : public QMessageBox {
public:
    PlacedMessageBox(Icon icon, const QString &title, const QString &text, StandardButtons buttons,
                     QWidget *owner)
        : QMessageBox(icon, title, text, buttons, owner), mOwner(owner)
    {
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        const QScreen *screen = mOwner ? mOwner->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect area = screen->availableGeometry();
        const QRect over = mOwner ? mOwner->frameGeometry() : area;
        // The frame adds the window system's decoration around the box's own geometry.
        const QSize frameExtra = frameGeometry().size() - geometry().size();
        const QRect placed = placeOver(over, size() + frameExtra, area);
        move(placed.topLeft());
    }

private:
    QWidget *mOwner;
};

int showBox(QMessageBox::Icon icon, const QString &title, const QString &text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton, QWidget *parent)
{
    PlacedMessageBox box(icon, title, text, buttons, messageOwner(parent));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

QWidget *messageOwner(QWidget *parent)
{
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        return modal;
    if (parent && parent->window()->isVisible() && !parent->window()->isMinimized())
        return parent->window();
    return nullptr;
}

QRect placeOver(const QRect &owner, QSize size, const QRect &screen)
{
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(owner.center());
    // Right and bottom edges first, so that a box larger than the screen keeps its top-left
    // corner (and title bar) on it.
    if (placed.right() > screen.right())
        placed.moveRight(screen.right());
    if (placed.bottom() > screen.bottom())
        placed.moveBottom(screen.bottom());
    if (placed.left() < screen.left())
        placed.moveLeft(screen.left());
    if (placed.top() < screen.top())
        placed.moveTop(screen.top());
    return placed;
}

void showUserMessage(QWidget *parent, const QString &text)
{
    if (isHeadless()) {
        printUserMessage(text);
        return;
    }
    showBox(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text, QMessageBox::Ok,
            QMessageBox::NoButton, parent);
}

bool askUser(QWidget *parent, const QString &text)
{
    if (isHeadless()) {
        showUserMessage(parent, text);
        return true;
    }
    return showBox(QMessageBox::Question, QString::fromLatin1(ApplicationTitle), text,
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No, parent) == QMessageBox::Yes;
}

void showNotice(QWidget *parent, const QString &title, const QString &text)
{
    showBox(QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::NoButton, parent);
}

} // namespace orlam
