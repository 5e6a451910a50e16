#pragma once

#include <QListWidget>
#include <functional>

namespace orlam {

class EventList;

// The event view (CheckListBox1): the alarm list, one row with a check box per event, in the
// view's fixed-pitch font. It shares the text view's place and is shown instead of it.
class EventView : public QListWidget {
public:
    explicit EventView(QWidget *parent);

    // Row i shows event i's line with its check mark.
    void showEvents(const EventList &list);
    // Checks the row and makes it the selected row (an event that has fired).
    void markFired(int row);
    // Shows the row as missed: its minute passed while the clock was paused or the computer
    // slept, and nothing rang.
    void markMissed(int row);
    // Told when the user checks or unchecks a row.
    void setCheckHandler(std::function<void(int row, bool checked)> handler);

private:
    void showMissed(QListWidgetItem *item);

    std::function<void(int, bool)> mCheckHandler;
    bool mFilling = false;
};

} // namespace orlam
