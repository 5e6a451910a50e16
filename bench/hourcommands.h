#pragma once

// What the hour benchmarks share: "orlam --hours", "--next-hour" and "--ics" run as a script
// runs them, in a fresh process with a settings file of the benchmark's own, timed from process
// start to exit together with the processor time of the program and the engines it started. A
// run that does not start, does not end or ends with a failure stops the benchmark with
// "NAME: FAILED: why" on standard error and exit status 1 (fail()): no time is reported for work
// that was not done.

#include "benchsupport.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace orlam::bench {

// Processor time (user and system) of the children waited for so far, in milliseconds.
inline double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

inline double slowest(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// One finished run: wall time and processor time in milliseconds, and what it printed.
struct CommandRun {
    double ms = 0;
    double cpuMs = 0;
    QByteArray output; // standard output
    QByteArray errors; // standard error
};

// The program under measurement with a scratch folder holding its settings file.
class HourCommands {
public:
    // `program` is the orlam to run; `settingsText` the settings file the runs read
    // (ORLAM_SETTINGS), in the scratch folder.
    HourCommands(QString program, const QByteArray &settingsText) : mProgram(std::move(program))
    {
        if (!mFolder.isValid())
            fail(QStringLiteral("cannot make a temporary folder"));
        if (!QFile::exists(mProgram))
            fail(QStringLiteral("%1 is not there (build it first)").arg(mProgram));
        QFile settings(filePath(QStringLiteral("Orlam.ini")));
        if (!settings.open(QIODevice::WriteOnly) || settings.write(settingsText) != settingsText.size())
            fail(QStringLiteral("cannot write %1").arg(settings.fileName()));
        settings.close();
        mEnvironment = QProcessEnvironment::systemEnvironment();
        mEnvironment.insert(QStringLiteral("ORLAM_SETTINGS"), settings.fileName());
        mEnvironment.insert(QStringLiteral("XDG_DATA_HOME"), filePath(QStringLiteral("data")));
        mEnvironment.remove(QStringLiteral("DISPLAY"));
        mEnvironment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }

    const QString &program() const { return mProgram; }
    QString filePath(const QString &name) const { return mFolder.filePath(name); }

    // Runs the program once with `arguments` in the scratch folder; fails unless it ends by
    // itself with status 0 within `timeoutMs`.
    CommandRun run(const QStringList &arguments, int timeoutMs = 300000) const
    {
        const QString what = QStringLiteral("orlam ") + arguments.join(QLatin1Char(' '));
        QProcess process;
        process.setProcessEnvironment(mEnvironment);
        process.setWorkingDirectory(mFolder.path());
        const double cpuBefore = childrenCpuMs();
        QElapsedTimer clock;
        clock.start();
        process.start(mProgram, arguments);
        if (!process.waitForStarted(timeoutMs))
            fail(QStringLiteral("%1 did not start: %2").arg(what, process.errorString()));
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            fail(QStringLiteral("%1 did not end within %2 s").arg(what).arg(timeoutMs / 1000));
        }
        CommandRun result;
        result.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        result.cpuMs = childrenCpuMs() - cpuBefore;
        result.output = process.readAllStandardOutput();
        result.errors = process.readAllStandardError();
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            fail(QStringLiteral("%1 ended with status %2: %3")
                     .arg(what)
                     .arg(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1)
                     .arg(QString::fromLocal8Bit(result.errors.trimmed())));
        return result;
    }

    // Checks that `file` is an iCalendar file written by the last run and gives its number of
    // events; removes it, so that the next run has to write it again.
    int takeCalendar(const QString &file) const
    {
        QFile calendar(file);
        if (!calendar.open(QIODevice::ReadOnly))
            fail(QStringLiteral("the calendar %1 was not written").arg(file));
        const QByteArray text = calendar.readAll();
        calendar.close();
        if (!text.startsWith("BEGIN:VCALENDAR\r\n") || !text.endsWith("END:VCALENDAR\r\n"))
            fail(QStringLiteral("%1 is not a whole iCalendar file").arg(file));
        QFile::remove(file);
        return static_cast<int>(text.count("BEGIN:VEVENT\r\n"));
    }

private:
    QString mProgram;
    QTemporaryDir mFolder;
    QProcessEnvironment mEnvironment;
};

// The orlam beside the benchmark, or the one named on its command line.
inline QString programArgument(const QStringList &arguments, int index, const QString &besideApp)
{
    return arguments.size() > index ? arguments.at(index) : QDir(besideApp).filePath(QStringLiteral("orlam"));
}

} // namespace orlam::bench
