#pragma once

// What every benchmark shares: the failure line, the verdict against a target, the median, and
// the generated batch input. Qt Core only.

#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <malloc.h>

namespace orlam::bench {

// The measurement did not happen: "NAME: FAILED: why" on standard error, exit status 1.
[[noreturn]] inline void fail(const QString &why)
{
    const QString name =
        QCoreApplication::instance() ? QCoreApplication::applicationName() : QStringLiteral("benchmark");
    std::fprintf(stderr, "%s: FAILED: %s\n", qPrintable(name), qPrintable(why));
    std::fflush(stdout);
    std::exit(1);
}

// The last line and the exit status of a benchmark with a target: 0 within it, 2 outside.
inline int verdict(bool within)
{
    std::printf("%s\n", within ? "within target" : "OUTSIDE TARGET");
    return within ? 0 : 2;
}

// A field of /proc/PID/status in KiB ("VmRSS:", "VmHWM:"); -1 when it cannot be read.
inline long processStatusKiB(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    return -1;
}

// What this process's heap holds, in KiB: the blocks the allocator has handed out and not had
// back (mallinfo2), without the freed pages it keeps for later. Resident memory can grow while
// this stays flat: the allocator's keeping, not a growth of what the program holds.
inline long heapInUseKiB()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

// This process's anonymous resident memory (its heap and stacks, not the pages of the files and
// libraries it maps) once the allocator has given the free pages it keeps back to the system
// (malloc_trim), in KiB.
inline long trimmedAnonymousKiB()
{
    malloc_trim(0);
    return processStatusKiB(QCoreApplication::applicationPid(), "RssAnon:");
}

// The files a process has open.
inline int openFileCount(qint64 pid)
{
    return static_cast<int>(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                                .size());
}

// The processes whose parent is `pid`.
inline int childProcessCount(qint64 pid)
{
    int children = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == pid)
            ++children;
    }
    return children;
}

struct Spread {
    double median = 0, p90 = 0, min = 0;
};

// Median, 90th percentile and least of a non-empty series.
inline Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 9 / 10], values.front()};
}

inline double median(std::vector<double> values)
{
    return spread(std::move(values)).median;
}

// `lines` batch lines, CR LF ended: "idN,"Place N",M/D/YYYY,H:MM,6,93W21,45N05", one day apart
// over ten years from 1 January 2026, the hour and minute following N.
inline QByteArray batchInput(int lines)
{
    QByteArray input;
    for (int i = 0; i < lines; ++i) {
        const QDate d = QDate(2026, 1, 1).addDays(i % 3650);
        input += QStringLiteral("id%1,\"Place %1\",%2/%3/%4,%5:%6,6,93W21,45N05\r\n")
                     .arg(i)
                     .arg(d.month())
                     .arg(d.day())
                     .arg(d.year())
                     .arg(i % 24)
                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                     .toLatin1();
    }
    return input;
}

} // namespace orlam::bench
