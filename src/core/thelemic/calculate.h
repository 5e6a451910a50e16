#pragma once

#include "common/messagesink.h"
#include "common/status.h"
#include "hours/risesettable.h"
#include "settings/settings.h"
#include "thelemic/chartreading.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <memory>

namespace orlam {

class Astrocalls;
class LocaleFacts;

constexpr auto PleaseWaitText = QT_TRANSLATE_NOOP("Messages", "- Please wait -");
constexpr auto ClickCalculateText = QT_TRANSLATE_NOOP("Messages", "- Click Calculate Button to Compute -");
constexpr auto ApplicationTitle = "Orlam";
constexpr auto DateFileName = "td.txt";

// The texts every Calculate leaves behind (process-wide in the program).
struct DateTexts {
    QString EraYear;        // "v12"
    QString SunSign;        // "Gemini"; empty when the chart had no Sun row
    QString SunPosition;    // "24° Gemini" or "Gemini"; kept when the chart has no Sun row
    QString MoonPosition;   // " 5° Leo"
    QString DayName;        // "Lunæ"
    QString DatePattern;    // 'dddddd "e.v. "'
    QString TimePattern;    // "t"
    QString CommonDateText; // "Monday, June 15, 2026 e.v. 2:30 PM"
};

// What the program provides to the Calculate road: the pickers, the view, the caption, the
// clipboard and the message boxes. Tests implement it without a window.
class CalcHost : public MessageSink {
public:
    // The date picker's value (its date part is the charted day) and the time picker's time.
    virtual QDateTime datePickerValue() const = 0;
    virtual QTime timePickerValue() const = 0;
    // Set by batch conversion and Now; must not count as a change by the user.
    virtual void setPickers(const QDateTime &date, QTime time) = 0;
    virtual void setMonthCalendarDate(QDate date) = 0;
    // Replaces the whole text of the view TDate (placeholder or composed lines).
    virtual void setViewText(const QString &text) = 0;
    // Repaints the window at once, so the view stays visible while the engine runs.
    virtual void repaintNow() = 0;
    // Application title (the taskbar entry) and window caption.
    virtual void setCaptions(const QString &applicationTitle, const QString &windowCaption) = 0;
    // ClipButtonClick: the whole text of TDate to the clipboard as plain text.
    virtual void copyViewToClipboard() = 0;
};

// The Calculate command and the pieces around it (rise/set table), as one object per process.
class Calculator {
public:
    // Whether a command writes into the view. Show: the placeholder while the engine runs, then
    // the result (and the clipboard under "Replace Clip"). Silent: all the work, files and
    // caption included, but the view and the clipboard are left as they are (the clock's minute
    // work, the hours behind the start-up).
    enum class Output { Show, Silent };

    Calculator(TSettings &settings, const LocaleFacts &locale, Astrocalls &astrocalls, CalcHost &host);
    ~Calculator();
    Calculator(const Calculator &) = delete;
    Calculator &operator=(const Calculator &) = delete;

    // CalcButtonClick: steps 1 to 14 of the road. A failure that stops the run (job file or
    // td.txt not writable) comes back as a failed Status with the message to show; the view
    // keeps what it showed. A Calculate started by startCalculate() is finished first.
    Status calculate(Output output);

    // The same Calculate without waiting for the engine: what comes before the first job is done
    // here, then each job is started and the road goes on from the event loop when it ends (the
    // runner's startAstrolog). Files, texts, host calls and messages are those of calculate();
    // `done` gets what calculate() would have returned, at the end. A Calculate of this kind
    // still going is dropped first (see dropCalculate()).
    void startCalculate(Output output, std::function<void(const Status &)> done);
    // Whether a Calculate started by startCalculate() has not ended yet.
    bool calculating() const;
    // Waits here for that Calculate to end, its `done` called before this returns; so a command
    // that uses the work folder finds it as the synchronous road leaves it. Nothing to do when
    // none is going, or when called from within that Calculate (a message box of its own).
    void finishCalculate();
    // Drops that Calculate: its engine is ended (its process group killed), and neither its
    // later results nor its `done` come.
    void dropCalculate();
    // Nanoseconds that the last startCalculate() spent in this process after its start, from
    // the event loop: its later jobs' starts, the reading and the composition (not the waiting).
    qint64 lastRoadResumedNs() const;

    // UpdateRiseSet: four rise/set jobs for the date picker's day -1..+2, then RiseSetTable.
    void updateRiseSet();
    // The same, for callers that stop on a job that could not be run (unsafe location text,
    // job file not writable): that failure comes back, and no report is read. A report line
    // that does not read is not a failure here (its message has gone to the host).
    Status runUpdateRiseSet();
    // The same four jobs for any base day (`base`'s date; `time` as the time picker's), read into
    // `table` (fields not found keep their values): the hours of another day than the picker's.
    // The reports in the working folder are then those of that day.
    Status riseSetTableFor(const QDateTime &base, QTime time, TRiseSetTable *table);

    DateTexts texts;
    TRiseSetTable RiseSetTable;
    // The lines of the last composition (date lines then greetings).
    QStringList lastLines;
    // What the last run read from the chart listing.
    ChartReading lastChart;

    TSettings &settings() { return mSettings; }
    const LocaleFacts &locale() const { return mLocale; }
    CalcHost &host() { return mHost; }
    Astrocalls &astrocalls() { return mAstro; }

private:
    struct Road;
    std::shared_ptr<Road> beginRoad(Output output);
    void advance(const std::shared_ptr<Road> &road);
    void endRoad(const std::shared_ptr<Road> &road, const Status &status);

    TSettings &mSettings;
    const LocaleFacts &mLocale;
    Astrocalls &mAstro;
    CalcHost &mHost;
    std::shared_ptr<Road> mRoad;     // the Calculate started without waiting, while it goes
    std::shared_ptr<Road> mLastRoad; // the last one started, for its times
};

// Reports that Calculate deletes before its jobs, so that a missing report is never mistaken
// for an old one ("input.txt", "risesety.txt" and "risesetn2.txt" are left alone).
inline const QStringList StaleReportNames{QStringLiteral("chart.txt"),    QStringLiteral("riseset.txt"),
                                          QStringLiteral("risesetn.txt"), QStringLiteral("planets.txt"),
                                          QStringLiteral("wheel.txt"),    QStringLiteral("aspects.txt"),
                                          QStringLiteral("calasp.txt"),   QStringLiteral("chart.wmf")};

// The weekday (1 Sunday .. 7 Saturday) that the day name takes for a charted `moment` (local
// clock value) when the day begins at midnight (`dayBegins` 0), at sunrise (1: before
// table.SunRise it is still the day before) or at sunset (2: from table.SunSet on it is the
// next day). A sunrise or sunset that no run has ever found (zero) moves nothing.
int dayBeginsWeekday(const QDateTime &moment, int dayBegins, const TRiseSetTable &table);

} // namespace orlam
