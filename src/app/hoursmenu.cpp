#include "hoursmenu.h"

#include "desktopshell.h"

#include "calendarexportdialog.h"
#include "shellmessages.h"

#include "astrocalls/runner.h"
#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/messagetext.h"
#include "common/westerntext.h"
#include "hours/hoursspan.h"
#include "reports/calendarexport.h"
#include "reports/hourreports.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

namespace orlam {

namespace {

// The engine runs block the window for a moment; the cursor says so.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

HoursMenu::HoursMenu(QWidget *window, CalcHost &host, const TSettings &settings, const DerivedValues &derived,
                     const LocaleFacts &locale)
    : QObject(window), mWindow(window), mHost(host), mSettings(settings), mDerived(derived), mLocale(locale),
      mNow(&QDateTime::currentDateTimeUtc)
{
    mChooser = [this](CalendarSelection *selection, QString *path) { return chooseExport(selection, path); };
    mOpener = [](const QString &path) { return openFileInDesktopProgram(path); };
    mAskOpen = [this](const QString &question) {
        return !isHeadless() &&
               QMessageBox::question(mWindow, QStringLiteral("Orlam"), question) == QMessageBox::Yes;
    };
}

void HoursMenu::addTo(QMenu *reports)
{
    QMenu *next = reports->addMenu(tr("&Next hour of"));
    next->setObjectName(QStringLiteral("NextHourOf1"));
    next->menuAction()->setObjectName(QStringLiteral("NextHourOf1Item"));
    for (int i = 0; i < HourPlanetCount; ++i) {
        const QString planet = BodyKeys[static_cast<std::size_t>(i)];
        QAction *action = next->addAction(bodyDisplayName(i));
        action->setObjectName(QStringLiteral("NextHour") + planet);
        connect(action, &QAction::triggered, this, [this, planet] { NextHourClick(planet); });
    }
    QAction *week = reports->addAction(tr("Planetary hours for the &week"));
    week->setObjectName(QStringLiteral("WeekHours1"));
    connect(week, &QAction::triggered, this, &HoursMenu::WeekHoursClick);
    QAction *exportCalendar = reports->addAction(tr("&Export to calendar..."));
    exportCalendar->setObjectName(QStringLiteral("ExportCalendar1"));
    connect(exportCalendar, &QAction::triggered, this, &HoursMenu::ExportCalendarClick);
}

QString HoursMenu::engineProgram() const
{
    return AstrologRunner::resolveProgram(mSettings.Astrolog);
}

HoursPlace HoursMenu::place() const
{
    return settingsPlace(mSettings, mLocale.zone());
}

void HoursMenu::NextHourClick(const QString &planet)
{
    const QDateTime now = mNow();
    NextHours answer;
    Status status;
    {
        BusyCursor busy;
        ScratchJobs jobs(mSettings, mDerived, engineProgram());
        jobs.setComputerZone(mLocale.zone());
        status = jobs.ready() ? searchNextHours(jobs, place(), planet, now, &answer) : jobs.ready();
    }
    if (!status) {
        mHost.showMessage(status.message);
        return;
    }
    mHost.setViewText(nextHoursReport(answer, mLocale, mSettings).join(QLatin1Char('\n')));
}

void HoursMenu::WeekHoursClick()
{
    const QDate first = mHost.datePickerValue().date();
    HoursSpan span;
    Status status;
    {
        BusyCursor busy;
        ScratchJobs jobs(mSettings, mDerived, engineProgram());
        jobs.setComputerZone(mLocale.zone());
        status = jobs.ready() ? fetchHoursSpan(jobs, place(), first, first.addDays(6), &span) : jobs.ready();
    }
    if (!status) {
        mHost.showMessage(status.message);
        return;
    }
    mHost.setViewText(weekHoursReport(span, first, mNow(), mLocale).join(QLatin1Char('\n')));
}

Status HoursMenu::exportCalendar(const CalendarSelection &selection, const QString &path, int *eventCount)
{
    BusyCursor busy;
    ScratchJobs jobs(mSettings, mDerived, engineProgram());
    jobs.setComputerZone(mLocale.zone());
    if (Status status = jobs.ready(); !status)
        return status;
    CalendarCounts counts;
    const Status status =
        writeCalendar(jobs, place(), selection, QDateTime::currentDateTimeUtc(), path, &counts);
    if (status)
        *eventCount = counts.total();
    return status;
}

bool HoursMenu::chooseExport(CalendarSelection *selection, QString *path)
{
    CalendarExportDialog dialog(*selection, mLocale.shortDatePattern(), mWindow);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *selection = dialog.selection();
    if (mLastFolder.isEmpty()) {
        mLastFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (mLastFolder.isEmpty() || !QFileInfo(mLastFolder).isDir())
            mLastFolder = QDir::homePath();
    }
    const QString proposed =
        QDir(mLastFolder)
            .filePath(QStringLiteral("orlam-%1.ics").arg(selection->first.toString(Qt::ISODate)));
    QString chosen = QFileDialog::getSaveFileName(mWindow, tr("Export to Calendar"), proposed,
                                                  tr("iCalendar files (*.ics);;All files (*)"));
    if (chosen.isEmpty())
        return false;
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".ics");
    mLastFolder = QFileInfo(chosen).absolutePath();
    *path = chosen;
    return true;
}

void HoursMenu::ExportCalendarClick()
{
    CalendarSelection selection;
    selection.first = mHost.datePickerValue().date();
    QString path;
    if (!mChooser(&selection, &path))
        return;
    int events = 0;
    if (const Status status = exportCalendar(selection, path, &events); !status) {
        mHost.showMessage(status.message);
        return;
    }
    // The file is offered to the desktop's calendar program, which imports it; a user who keeps
    // the file for a phone or a web calendar says no.
    const QString question = tr("%1 of %2 were saved in %3.\n\nOpen the file in your calendar program now?")
                                 .arg(countText(events, QT_TRANSLATE_NOOP("Messages", "event"),
                                                QT_TRANSLATE_NOOP("Messages", "events")),
                                      countText(selection.dayCount, QT_TRANSLATE_NOOP("Messages", "day"),
                                                QT_TRANSLATE_NOOP("Messages", "days")),
                                      QDir::toNativeSeparators(path));
    if (!mAskOpen(question))
        return;
    if (!mOpener(path))
        mHost.showMessage(tr("No program is set to open calendar files (.ics) on this computer. "
                             "Import the file from your calendar program:\n%1")
                              .arg(QDir::toNativeSeparators(path)));
}

} // namespace orlam
