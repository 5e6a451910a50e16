#pragma once

#include "reports/calendarexport.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QDateEdit;
class QSpinBox;

namespace orlam {

// "Export to calendar...": the days to export and what to include.
class CalendarExportDialog : public QDialog {
    Q_OBJECT
public:
    // `datePattern` is the date picker's display format (the locale's short date).
    CalendarExportDialog(const CalendarSelection &preset, const QString &datePattern = {},
                         QWidget *parent = nullptr);

    CalendarSelection selection() const;

    // The widgets, for tests.
    QSpinBox *dayCount() const { return mDays; }
    QCheckBox *hours() const { return mHours; }
    QCheckBox *planet(int index) const { return mPlanets[static_cast<std::size_t>(index)]; }
    QCheckBox *sunMoon() const { return mSunMoon; }
    QCheckBox *transits() const { return mTransits; }

    void accept() override;

private:
    void updateEnabled();

    QDateEdit *mFirst = nullptr;
    QSpinBox *mDays = nullptr;
    QCheckBox *mHours = nullptr;
    std::array<QCheckBox *, HourPlanetCount> mPlanets{};
    QCheckBox *mSunMoon = nullptr;
    QCheckBox *mTransits = nullptr;
};

} // namespace orlam
