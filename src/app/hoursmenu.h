#pragma once

#include "common/status.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace orlam {

class CalcHost;
struct HoursPlace;
class LocaleFacts;
struct CalendarSelection;
struct DerivedValues;
struct TSettings;

// The hour reports of the "&Reports" menu beyond the day: "Next hour of" with the seven
// planets, "Planetary hours for the week" and "Export to calendar...". Their engine jobs run in
// a temporary folder, so the window's own job file and reports stay as the last command left
// them.
class HoursMenu : public QObject {
    Q_OBJECT
public:
    HoursMenu(QWidget *window, CalcHost &host, const TSettings &settings, const DerivedValues &derived,
              const LocaleFacts &locale);

    // Adds the entries to `reports`.
    void addTo(QMenu *reports);

    // The handlers. The view shows the answer; failures go to the host's message box.
    void NextHourClick(const QString &planet);
    void WeekHoursClick();
    void ExportCalendarClick();

    // Seams for tests: the present instant (UTC; the system clock by default), the choice of the
    // export (the dialog, then a save-file dialog; false when cancelled), and the opening of
    // the saved file in the calendar program (false when nothing could open it).
    void setNow(std::function<QDateTime()> now) { mNow = std::move(now); }
    void setExportChooser(std::function<bool(CalendarSelection *, QString *)> chooser)
    {
        mChooser = std::move(chooser);
    }
    void setFileOpener(std::function<bool(const QString &)> opener) { mOpener = std::move(opener); }
    // Asks whether to open the saved file (a question box; no without a display).
    void setOpenQuestion(std::function<bool(const QString &)> ask) { mAskOpen = std::move(ask); }

    // Saves the calendar of `selection` into `path`; the message to show on failure.
    Status exportCalendar(const CalendarSelection &selection, const QString &path, int *eventCount);

private:
    bool chooseExport(CalendarSelection *selection, QString *path);
    QString engineProgram() const;
    HoursPlace place() const;

    QWidget *mWindow;
    CalcHost &mHost;
    const TSettings &mSettings;
    const DerivedValues &mDerived;
    const LocaleFacts &mLocale;
    std::function<QDateTime()> mNow;
    std::function<bool(CalendarSelection *, QString *)> mChooser;
    std::function<bool(const QString &)> mOpener;
    std::function<bool(const QString &)> mAskOpen;
    QString mLastFolder;
};

} // namespace orlam
