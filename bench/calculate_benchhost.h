#pragma once

// The Calculate road without a window, for the Calculate and batch benchmarks.

#include "benchsupport.h"
#include "calcwiring.h"

#include "common/clocktime.h"

#include <QFile>

namespace orlam::bench {

// Default settings, US English in Chicago, the pickers on Monday 15 June 2026, 14:30; the
// engine `engine` runs in `folder`.
struct BenchRig : test::CalcWiring {
    BenchRig(const QString &engine, const QString &folder)
        : CalcWiring(test::localeFor(QLocale::English, QLocale::UnitedStates), engine, folder)
    {
        host.setPickers(clockTime(2026, 6, 15, 14, 30), QTime(14, 30));
    }
};

// Peak resident memory of this process in KiB (VmHWM), or -1 where the kernel does not say.
inline long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace orlam::bench
