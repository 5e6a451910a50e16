#pragma once

#include <QListWidget>

namespace orlam {

// The event view (CheckListBox1): the alarm list, one row with a check box per event, in the
// view's fixed-pitch font. It shares the text view's place and is shown instead of it.
class EventView : public QListWidget {
public:
    explicit EventView(QWidget *parent);
};

} // namespace orlam
