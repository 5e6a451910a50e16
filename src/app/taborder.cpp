#include "taborder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLayout>
#include <QWidget>
#include <algorithm>

namespace orlam {

namespace {

bool takesTab(const QWidget *widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

void collect(QLayout *layout, QList<QWidget *> *out)
{
    struct Placed {
        int row, column, index;
    };
    QList<Placed> order;
    auto *grid = qobject_cast<QGridLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        int row = 0, column = i, rowSpan = 0, columnSpan = 0;
        if (grid)
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        order.append({row, column, i});
    }
    std::stable_sort(order.begin(), order.end(), [](const Placed &a, const Placed &b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    for (const Placed &placed : order) {
        QLayoutItem *item = layout->itemAt(placed.index);
        if (QWidget *widget = item->widget()) {
            if (takesTab(widget))
                out->append(widget);
            else if (widget->layout())
                collect(widget->layout(), out);
        } else if (QLayout *inner = item->layout()) {
            collect(inner, out);
        }
    }
}

} // namespace

QList<QWidget *> layoutOrder(QWidget *container)
{
    QList<QWidget *> widgets;
    if (container->layout())
        collect(container->layout(), &widgets);
    return widgets;
}

void orderTabsByLayout(QWidget *container)
{
    QWidget *previous = container;
    for (QWidget *widget : layoutOrder(container)) {
        QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void tabToCheckedRadio(QButtonGroup *group)
{
    const auto update = [group] {
        const bool anyChecked = group->checkedButton() != nullptr;
        for (QAbstractButton *button : group->buttons())
            button->setFocusPolicy(!anyChecked || button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, update);
    update();
}

} // namespace orlam
