#include "calendarexportdialog.h"

#include "shellmessages.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orlam {

CalendarExportDialog::CalendarExportDialog(const CalendarSelection &preset, const QString &datePattern,
                                           QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CalendarExportDialog"));
    setWindowTitle(tr("Export to Calendar"));

    mFirst = new QDateEdit(preset.first, this);
    mFirst->setObjectName(QStringLiteral("FirstDay"));
    mFirst->setCalendarPopup(true);
    if (!datePattern.isEmpty())
        mFirst->setDisplayFormat(datePattern);
    mDays = new QSpinBox(this);
    mDays->setObjectName(QStringLiteral("DayCount"));
    mDays->setRange(1, MaxCalendarDays);
    // "1 day", "2 days", the same range as the command line's --ics.
    const auto daysSuffix = [this](int days) { mDays->setSuffix(days == 1 ? tr(" day") : tr(" days")); };
    connect(mDays, &QSpinBox::valueChanged, this, daysSuffix);
    mDays->setValue(preset.dayCount);
    daysSuffix(mDays->value());
    auto *range = new QFormLayout;
    range->addRow(tr("&From:"), mFirst);
    range->addRow(tr("&Length:"), mDays);

    auto *include = new QGroupBox(tr("Include"), this);
    auto *includeLayout = new QVBoxLayout(include);
    mHours = new QCheckBox(tr("&Planetary hours of"), include);
    mHours->setObjectName(QStringLiteral("Hours"));
    mHours->setChecked(preset.hours);
    includeLayout->addWidget(mHours);
    auto *planets = new QGridLayout;
    planets->setContentsMargins(20, 0, 0, 0);
    for (int i = 0; i < HourPlanetCount; ++i) {
        auto *box = new QCheckBox(bodyDisplayName(i), include);
        box->setObjectName(QStringLiteral("Hour") + BodyKeys[static_cast<std::size_t>(i)]);
        box->setChecked(preset.hourPlanets[static_cast<std::size_t>(i)]);
        planets->addWidget(box, i / 4, i % 4);
        mPlanets[static_cast<std::size_t>(i)] = box;
    }
    includeLayout->addLayout(planets);
    mSunMoon = new QCheckBox(tr("&Sun and Moon: rise, set and culminations"), include);
    mSunMoon->setObjectName(QStringLiteral("SunMoon"));
    mSunMoon->setChecked(preset.sunMoon);
    includeLayout->addWidget(mSunMoon);
    mTransits = new QCheckBox(tr("&New and Full Moons, sign ingresses"), include);
    mTransits->setObjectName(QStringLiteral("Transits"));
    mTransits->setChecked(preset.transits);
    includeLayout->addWidget(mTransits);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Export..."));
    connect(buttons, &QDialogButtonBox::accepted, this, &CalendarExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CalendarExportDialog::reject);
    connect(mHours, &QCheckBox::toggled, this, &CalendarExportDialog::updateEnabled);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(include);
    layout->addWidget(buttons);
    updateEnabled();
}

CalendarSelection CalendarExportDialog::selection() const
{
    CalendarSelection chosen;
    chosen.first = mFirst->date();
    chosen.dayCount = mDays->value();
    chosen.hours = mHours->isChecked();
    for (int i = 0; i < HourPlanetCount; ++i)
        chosen.hourPlanets[static_cast<std::size_t>(i)] = mPlanets[static_cast<std::size_t>(i)]->isChecked();
    chosen.sunMoon = mSunMoon->isChecked();
    chosen.transits = mTransits->isChecked();
    return chosen;
}

void CalendarExportDialog::accept()
{
    // Say what is missing while the choices are still on screen.
    if (const Status status = selection().check(); !status) {
        showUserMessage(this, status.message);
        return;
    }
    QDialog::accept();
}

void CalendarExportDialog::updateEnabled()
{
    for (QCheckBox *box : mPlanets)
        box->setEnabled(mHours->isChecked());
}

} // namespace orlam
