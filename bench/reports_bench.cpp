// The report commands through the real window and the real engine, repeated; prints the
// median, the 90th percentile and the fastest run of each:
//  - a year's transit calendar: the engine's run, the report read and shown in the view, drawn;
//  - the astrological data viewer with all seven reports present, shown and drawn;
//  - the word-processor export of a 43-line report, up to the point where the desktop would
//    be asked to open the document (the document built, zipped and written).
//
//   reports_bench [RUNS]
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise; RUNS defaults to 50. Exit status: 0
// within every target, 2 outside one, 1 when a measurement did not happen (a report missing, a
// message, a document not written).

#include "benchsupport.h"

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "reportcommands.h"
#include "torm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace orlam;

namespace {

using bench::fail;

bool withinTargets = true;

// targetMs 0: shown, no target.
void report(const QString &what, std::vector<double> ms, double targetMs)
{
    const bench::Spread s = bench::spread(std::move(ms));
    std::printf("%-46s median %7.2f ms   p90 %7.2f ms   min %7.2f ms", qPrintable(what), s.median, s.p90,
                s.min);
    if (targetMs > 0) {
        std::printf("   (target <= %.0f ms, ratio %.2f)", targetMs, s.median / targetMs);
        withinTargets = withinTargets && s.median <= targetMs;
    }
    std::printf("\n");
}

std::vector<double> timeRuns(int runs, const std::function<void()> &setup,
                             const std::function<void()> &command)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer timer;
        timer.start();
        command();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return ms;
}

bool copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const QString engine =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("orlam-ephem"));
    if (!QFile::exists(engine))
        fail(QStringLiteral("orlam-ephem is not beside this program"));

    QTemporaryDir work;
    if (!work.isValid())
        fail(QStringLiteral("cannot make a work folder: %1").arg(work.errorString()));
    const QString ini = QDir(work.path()).filePath(QStringLiteral("Orlam.ini"));
    {
        QFile file(ini);
        if (!file.open(QIODevice::WriteOnly))
            fail(QStringLiteral("cannot write %1").arg(ini));
        // The wheel and the aspects as well, so that the viewer has every report to show.
        file.write("[orlam]\r\nAstrolog=" + engine.toUtf8() + "\r\nWheel Chart=1\r\nAspect Charts=1\r\n");
    }
    const LocaleFacts locale = LocaleFacts::make(QLocale(QLocale::English, QLocale::UnitedStates),
                                                 QTimeZone("America/Chicago"), QDate(2026, 6, 15));
    TOrm window(ini, work.path(), locale);
    if (!window.createStatus())
        fail(window.createStatus().message);
    QStringList messages;
    window.setMessageHandler([&messages](const QString &text) { messages << text; });
    window.show();
    QCoreApplication::processEvents();
    auto *view = window.findChild<QTextEdit *>(QStringLiteral("TDate"));
    const auto drawn = [&] {
        view->viewport()->repaint();
        QCoreApplication::processEvents();
    };

    const auto year = timeRuns(
        runs, [] {},
        [&] {
            window.Fortheyear1Click();
            drawn();
        });
    const QStringList yearLines = view->toPlainText().split(QLatin1Char('\n'));
    if (yearLines.size() < 43 || !messages.isEmpty())
        fail(QStringLiteral("the year's calendar showed %1 lines (messages: %2)")
                 .arg(yearLines.size())
                 .arg(messages.join(QLatin1String(" | "))));
    // The engine's part of it: the job written and run, nothing shown.
    DerivedValues derived = {};
    derived.EuroDateSwitch = locale.euroDateSwitch();
    AstrologRunner runner(window, engine, work.path());
    Astrocalls astro(window.settings(), derived, runner);
    const auto engineOnly = timeRuns(
        runs, [] {},
        [&] {
            const Status status = astro.YearCalendarJob(
                window.settings().TimeZone, window.settings().Longitude, window.settings().Latitude,
                window.datePickerValue(), window.timePickerValue());
            if (!status)
                fail(status.message);
        });
    if (runner.failedRuns() != 0)
        fail(runner.lastFailure());
    report(QStringLiteral("year calendar, run and display (%1 lines)").arg(yearLines.size()), year, 100);
    report(QStringLiteral("  of which the engine's run alone"), engineOnly, 0);

    // Every report of a Calculate with the wheel and the aspects, the rise and set reports, a
    // year's calendar, and a planets report.
    window.CalcButtonClick();
    window.calculator().updateRiseSet();
    window.Fortheyear1Click();
    copyFile(QDir(work.path()).filePath(QStringLiteral("chart.txt")),
             QDir(work.path()).filePath(QStringLiteral("planets.txt")));
    int present = 0;
    for (const char *name : {"chart.txt", "wheel.txt", "riseset.txt", "risesetn.txt", "planets.txt",
                             "aspects.txt", "calasp.txt"})
        present += QFile::exists(work.filePath(QString::fromLatin1(name))) ? 1 : 0;
    const auto viewer = timeRuns(
        runs, [] {},
        [&] {
            window.AstroButtonClick();
            drawn();
        });
    if (present != 7 || !messages.isEmpty())
        fail(QStringLiteral("the viewer had %1 of 7 reports (messages: %2)")
                 .arg(present)
                 .arg(messages.join(QLatin1String(" | "))));
    report(
        QStringLiteral("viewer, %1 of 7 reports (%2 lines)").arg(present).arg(view->document()->blockCount()),
        viewer, 20);

    // A 43-line report in the view: the first lines of the year's calendar as it was shown.
    const QStringList lines = yearLines.mid(0, 43);
    QTemporaryDir documents;
    ReportCommands::Outside &outside = window.reports().outside();
    outside.documentsFolder = [&documents] { return documents.path(); };
    outside.openDocument = [](const QString &) { return true; };
    const auto exported = timeRuns(
        runs, [&] { view->setPlainText(lines.join(QLatin1Char('\n'))); },
        [&] { window.InsertintoWord971Click(); });
    const qsizetype written = QDir(documents.path()).entryList(QDir::Files).size();
    if (written < 1 || !messages.isEmpty() || window.reports().lastDocument().isEmpty())
        fail(QStringLiteral("the export wrote %1 documents (messages: %2)")
                 .arg(written)
                 .arg(messages.join(QLatin1String(" | "))));
    report(QStringLiteral("export of a %1-line report, before opening").arg(lines.size()), exported, 200);
    return bench::verdict(withinTargets);
}
