#pragma once

// The Calculate road without a window: a host that keeps what it is given, and the settings,
// runner, job writer and calculator wired together on one engine program and one work folder.
// Shared by the tests and the benchmarks; needs no test framework.

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <QTimeZone>

#include <functional>
#include <utility>

namespace orlam::test {

// The facts of `language` in `territory`, on the clock of Chicago, on 15 June 2026.
inline LocaleFacts localeFor(QLocale::Language language, QLocale::Territory territory)
{
    return LocaleFacts::make(QLocale(language, territory), QTimeZone("America/Chicago"), QDate(2026, 6, 15));
}

// The host as the program would be, without a window: it keeps what it is given.
class FakeHost final : public CalcHost {
public:
    QDateTime datePickerValue() const override { return pickerDate; }
    QTime timePickerValue() const override { return pickerTime; }
    void setPickers(const QDateTime &date, QTime time) override
    {
        pickerDate = date;
        pickerTime = time;
        ++pickerSets;
        if (onSetPickers)
            onSetPickers();
    }
    void setMonthCalendarDate(QDate date) override { monthCalendar = date; }
    void setViewText(const QString &text) override
    {
        view = text;
        viewHistory << text;
    }
    void repaintNow() override { ++repaints; }
    void setCaptions(const QString &applicationTitle, const QString &windowCaption) override
    {
        appTitle = applicationTitle;
        caption = windowCaption;
    }
    void copyViewToClipboard() override { clipboard = view; }
    void showMessage(const QString &text) override { messages << text; }

    QDateTime pickerDate = QDateTime(QDate(2026, 6, 15), QTime(14, 30), Qt::UTC);
    QTime pickerTime = QTime(14, 30);
    int pickerSets = 0;
    std::function<void()> onSetPickers; // called after each setPickers
    QDate monthCalendar;
    QString view;
    QStringList viewHistory;
    int repaints = 0;
    QString appTitle, caption, clipboard;
    QStringList messages;
};

// Default settings, the locale's date switch, and the runner on `engine` in `folder`.
struct CalcWiring {
    CalcWiring(LocaleFacts facts, const QString &engine, const QString &folder)
        : locale(std::move(facts)), runner(host, engine, folder), astro(settings, derived, runner),
          calc(settings, locale, astro, host)
    {
        derived.EuroDateSwitch = locale.euroDateSwitch();
    }
    CalcWiring(const CalcWiring &) = delete;
    CalcWiring &operator=(const CalcWiring &) = delete;

    TSettings settings;
    DerivedValues derived;
    LocaleFacts locale;
    FakeHost host;
    AstrologRunner runner;
    Astrocalls astro;
    Calculator calc;
};

} // namespace orlam::test
