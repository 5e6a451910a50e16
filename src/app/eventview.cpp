#include "eventview.h"

#include "appfonts.h"
#include "hours/eventlist.h"

#include <QCoreApplication>

namespace orlam {

namespace {
constexpr auto MissedMark = QT_TRANSLATE_NOOP("Messages", "  (missed)");
} // namespace

EventView::EventView(QWidget *parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("CheckListBox1"));
    setFont(viewFont());
    setUniformItemSizes(true);
    setStyleSheet(QStringLiteral("QListWidget::item { height: 16px; }"));
    hide();
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!mFilling && mCheckHandler)
            mCheckHandler(row(item), item->checkState() == Qt::Checked);
    });
}

void EventView::showEvents(const EventList &list)
{
    mFilling = true;
    clear();
    for (const EventEntry &entry : list.entries) {
        auto *item = new QListWidgetItem(entry.line, this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
        if (entry.missed)
            showMissed(item);
    }
    mFilling = false;
}

void EventView::markMissed(int row)
{
    if (QListWidgetItem *missed = item(row)) {
        mFilling = true;
        showMissed(missed);
        mFilling = false;
    }
}

void EventView::showMissed(QListWidgetItem *item)
{
    const QString mark = QCoreApplication::translate("Messages", MissedMark);
    if (!item->text().endsWith(mark))
        item->setText(item->text() + mark);
    item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
    item->setToolTip(QCoreApplication::translate(
        "Messages", "Missed: its minute passed while the clock was paused or the computer "
                    "was asleep."));
}

void EventView::markFired(int row)
{
    QListWidgetItem *fired = item(row);
    if (!fired)
        return;
    mFilling = true;
    fired->setCheckState(Qt::Checked);
    mFilling = false;
    setCurrentRow(row);
}

void EventView::setCheckHandler(std::function<void(int, bool)> handler)
{
    mCheckHandler = std::move(handler);
}

} // namespace orlam
