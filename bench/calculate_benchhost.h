#pragma once

// A window-less host for the Calculate and batch benchmarks.

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"

#include <QLocale>
#include <QTimeZone>

#include <QFile>
#include <QStringList>
#include <cstdio>

namespace orlam::bench {

class BenchHost final : public CalcHost {
public:
    QDateTime datePickerValue() const override { return mDate; }
    QTime timePickerValue() const override { return mTime; }
    void setPickers(const QDateTime &date, QTime time) override
    {
        mDate = date;
        mTime = time;
    }
    void setMonthCalendarDate(QDate) override {}
    void setViewText(const QString &text) override { mView = text; }
    void repaintNow() override {}
    void setCaptions(const QString &, const QString &) override {}
    void copyViewToClipboard() override {}
    void showMessage(const QString &text) override
    {
        ++messages;
        if (messages <= 3)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    const QString &view() const { return mView; }
    int messages = 0;

private:
    QDateTime mDate;
    QTime mTime;
    QString mView;
};

// The whole Calculate road for one engine program: default settings, US English in Chicago,
// the pickers on Monday 15 June 2026, 14:30.
struct BenchRig {
    explicit BenchRig(const QString &engine) : runner(host, engine)
    {
        host.setPickers(clockTime(2026, 6, 15, 14, 30), QTime(14, 30));
    }

    TSettings settings;
    DerivedValues derived;
    const LocaleFacts locale = LocaleFacts::make(QLocale(QLocale::English, QLocale::UnitedStates),
                                                 QTimeZone("America/Chicago"), QDate(2026, 6, 15));
    BenchHost host;
    AstrologRunner runner;
    Astrocalls astro{settings, derived, runner};
    Calculator calc{settings, locale, astro, host};
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
