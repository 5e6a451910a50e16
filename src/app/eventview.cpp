#include "eventview.h"

#include "appfonts.h"

namespace orlam {

EventView::EventView(QWidget *parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("CheckListBox1"));
    setFont(viewFont());
    setUniformItemSizes(true);
    setStyleSheet(QStringLiteral("QListWidget::item { height: 16px; }"));
    hide();
}

} // namespace orlam
