#include "tfoptions.h"

#include "accessiblenames.h"
#include "appicons.h"
#include "autostart.h"
#include "settings/citylist.h"
#include "settings/inifile.h"
#include "shellmessages.h"
#include "taborder.h"
#include "weblinks.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimeZone>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace orlam {

namespace {

constexpr QSize SmallestSize(455, 297);
constexpr int LineColumns = 42; // a typed city line reaches its longitude beyond column 35
constexpr int LongitudeColumn = 36;

namespace K = SettingsKeys;

void checkOnly(QButtonGroup *group, int index)
{
    const QList<QAbstractButton *> buttons = group->buttons();
    if (buttons.isEmpty())
        return;
    if (index < 0) {
        // No selection: an exclusive group cannot uncheck its last checked button.
        group->setExclusive(false);
        for (QAbstractButton *button : buttons)
            button->setChecked(false);
        group->setExclusive(true);
        return;
    }
    group->button(qMin(index, static_cast<int>(buttons.size()) - 1))->setChecked(true);
}

} // namespace

TfOptions::TfOptions(SettingsStore &store, TSettings &settings, Hooks hooks, const QString &cityListPath,
                     QWidget *parent)
    : QDialog(parent), mStore(store), mSettings(settings), mHooks(std::move(hooks))
{
    setObjectName(QStringLiteral("fOptions"));
    setWindowTitle(tr(OptionsText::Caption));
    if (!mHooks.message)
        mHooks.message = [this](const QString &text) { showUserMessage(this, text); };
    if (!mHooks.askYesNo)
        mHooks.askYesNo = [this](const QString &text) {
            return QMessageBox::question(this, tr("Confirm"), text, QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::Yes) == QMessageBox::Yes;
        };
    if (!mHooks.closeWithoutSaving)
        mHooks.closeWithoutSaving = [this](const QString &text) {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Orlam"), text, QMessageBox::NoButton, this);
            box.setInformativeText(tr("The options were not saved."));
            QPushButton *leave = box.addButton(tr("Close without saving"), QMessageBox::DestructiveRole);
            QPushButton *stay = box.addButton(tr("Stay in Options"), QMessageBox::RejectRole);
            box.setDefaultButton(stay);
            box.exec();
            return box.clickedButton() == leave;
        };
    if (!mHooks.openAddress)
        mHooks.openAddress = [](const QString &address) { QDesktopServices::openUrl(QUrl(address)); };

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(buildFormatting(), tr("Formatting"));
    PageControl1->addTab(buildAstrological(), tr("Astrological"));
    PageControl1->addTab(buildAdditional(), tr("Additional"));
    PageControl1->addTab(buildAlarm(), tr("Alarm"));
    PageControl1->setCurrentIndex(static_cast<int>(Tab::Astrological));

    const auto button = [this](const char *name, const QString &caption, const QString &hint) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    TryButton = button("TryButton", tr("&Try"), tr("Try these values"));
    CloseButton = button("CloseButton", tr("Done"), tr("Close dialog"));
    ResetButton = button("ResetButton", tr("&Defaults"), tr("Reset all options to default values"));
    CloseButton->setDefault(true);
    connect(TryButton, &QPushButton::clicked, this, &TfOptions::TryButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(ResetButton, &QPushButton::clicked, this, &TfOptions::ResetButtonClick);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(TryButton);
    buttons->addWidget(CloseButton);
    buttons->addWidget(ResetButton);
    buttons->addStretch(1);
    auto *outer = new QHBoxLayout(this);
    outer->addWidget(PageControl1, 1);
    outer->addLayout(buttons);

    nameStandardParts(this);
    // Tab goes through each page as it is laid out, and into a group of radio buttons at the
    // checked one.
    for (int page = 0; page < PageControl1->count(); ++page)
        orderTabsByLayout(PageControl1->widget(page));
    for (QButtonGroup *group : findChildren<QButtonGroup *>())
        tabToCheckedRadio(group);
    loadControls();
    loadCityList(cityListPath);
    // Never smaller than the controls need with the desktop's font, nor than the classic size.
    setMinimumSize(minimumSizeHint().expandedTo(SmallestSize));
    resize(sizeHint().expandedTo(minimumSize()));
}

// --- Building ---------------------------------------------------------------------------------

QGroupBox *TfOptions::radioGroup(QWidget *parent, const char *name, const QString &caption,
                                 const QStringList &items, const QString &hint, int columns,
                                 QButtonGroup **group)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        box->setToolTip(hint);
    *group = new QButtonGroup(box);
    (*group)->setObjectName(QString::fromLatin1(name));
    auto *grid = new QGridLayout(box);
    grid->setVerticalSpacing(2);
    // Items run down the first column, then down the next.
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto *radio = new QRadioButton(items[i], box);
        radio->setObjectName(QString::fromLatin1(name) + QString::number(i));
        (*group)->addButton(radio, i);
        grid->addWidget(radio, i % rows, i / rows);
    }
    grid->setRowStretch(rows, 1);
    return box;
}

QCheckBox *TfOptions::checkBox(QWidget *parent, const char *name, const QString &caption, const QString &hint)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        box->setToolTip(hint);
    return box;
}

QWidget *TfOptions::buildFormatting()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Formatting"));
    const QStringList formats{tr("Short Format"), tr("Long Format"), tr("None")};
    auto *grid = new QGridLayout(page);
    grid->addWidget(
        radioGroup(page, "ODateFormat", tr("Date Format"), formats, tr("Date format"), 1, &ODateFormat), 0,
        0);
    grid->addWidget(radioGroup(page, "OLines", tr("Lines"),
                               {tr("One Line"), tr("Two Lines"), tr("Three Lines")},
                               tr("Total lines to format"), 1, &OLines),
                    1, 0);
    grid->addWidget(radioGroup(page, "OAspect", tr("Aspect"), {tr("Simple"), tr("Degrees")},
                               tr("Include minutes"), 1, &OAspect),
                    1, 2);
    grid->addWidget(
        radioGroup(page, "OTimeFormat", tr("Time Format"), formats, tr("Time format"), 1, &OTimeFormat), 0,
        1);
    grid->addWidget(radioGroup(page, "OBasic", tr("Basic"),
                               {QStringLiteral("An"), QStringLiteral("Anno"), tr("None")},
                               tr("Include \"Anno\" in 93 date"), 1, &OBasic),
                    1, 1);
    grid->addWidget(radioGroup(page, "OFormat", tr("Year Format"),
                               {QStringLiteral("IVv"), QStringLiteral("iv5"), QStringLiteral("ivV"),
                                QStringLiteral("4v"), QStringLiteral("4V")},
                               tr("Year format"), 2, &OFormat),
                    0, 2);

    auto *dayLabel = new QLabel(tr("Day begins"), page);
    DayBegins = new QComboBox(page);
    DayBegins->setObjectName(QStringLiteral("DayBegins"));
    DayBegins->setToolTip(tr("Day begins"));
    // Only the three items: a typed text would be no day beginning at all.
    DayBegins->setEditable(false);
    DayBegins->addItems({tr("12:00 (Common Time)"), tr("Sun Rise"), tr("Sun Set")});
    dayLabel->setBuddy(DayBegins);
    Greetings = checkBox(page, "Greetings", tr("Insert Thelemic Greetings"));
    Quoted = checkBox(page, "Quoted", tr("Quoted"));
    auto *bottom = new QGridLayout;
    bottom->addWidget(dayLabel, 0, 0);
    bottom->addWidget(DayBegins, 0, 1);
    bottom->addWidget(Greetings, 1, 0, 1, 2);
    bottom->addWidget(Quoted, 1, 2);
    bottom->setColumnStretch(3, 1);
    grid->addLayout(bottom, 2, 0, 1, 3);
    grid->setRowStretch(3, 1);

    const auto followsField = [this](const QString &key) {
        return [this, key](Change change) { fieldFollows(key, change); };
    };
    bindRadio(K::DateFormat, ODateFormat, followsField(K::DateFormat));
    bindRadio(K::Lines, OLines, followsField(K::Lines));
    bindRadio(K::Aspect, OAspect, followsField(K::Aspect));
    bindRadio(K::TimeFormat, OTimeFormat, followsField(K::TimeFormat));
    bindRadio(K::Basic, OBasic, followsField(K::Basic));
    bindRadio(K::Format, OFormat, followsField(K::Format));
    bindCheck(K::Greetings, Greetings, [this](Change change) {
        Quoted->setEnabled(Greetings->isChecked());
        fieldFollows(K::Greetings, change);
    });
    bindCheck(K::Quoted, Quoted, followsField(K::Quoted));

    Binding day;
    day.get = [this] {
        // A value the box cannot show goes back to the file as it came.
        const int index = DayBegins->currentIndex();
        return SettingValue::integer(index >= 0 ? index : mDayBeginsShown);
    };
    day.set = [this](const SettingValue &value) {
        mDayBeginsShown = value.number;
        DayBegins->setCurrentIndex(value.number >= 0 && value.number < DayBegins->count() ? value.number
                                                                                          : -1);
    };
    day.rule = [this](Change change) { DayBeginsChange(change); };
    mBindings.insert(K::DayBegins, day);
    connect(DayBegins, &QComboBox::activated, this, [this] { DayBeginsChange(Change::User); });
    return page;
}

QWidget *TfOptions::buildAstrological()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Astrological"));
    QStringList houses;
    for (const QString &name : HouseSystemNames)
        houses << name;
    auto *grid = new QGridLayout(page);
    grid->addWidget(
        radioGroup(page, "OHouseSystem", tr("House System"), houses, tr("House system"), 2, &OHouseSystem), 0,
        0, 2, 1);
    grid->addWidget(radioGroup(page, "OZodiac", tr("Zodiac"), {tr("Tropical"), tr("Siderial")}, tr("Zodiac"),
                               1, &OZodiac),
                    0, 1);
    QGroupBox *time = radioGroup(page, "OTime", tr("Time"),
                                 {tr("Standard Time"), tr("Daylight Time"), tr("System Locale Settings")},
                                 tr("Daylight time adjustment"), 1, &OTime);
    grid->addWidget(time, 1, 1);
    auto *zoneRow = new QHBoxLayout;
    // A gap between the label and its field, as beside the other fields of the dialog.
    zoneRow->setSpacing(6);
    auto *zoneLabel = new QLabel(tr("Time Zone"), page);
    Zone = new QLineEdit(page);
    Zone->setObjectName(QStringLiteral("Zone"));
    Zone->setToolTip(tr("Time zone"));
    Zone->setMaximumWidth(Zone->fontMetrics().horizontalAdvance(QStringLiteral("-10.50")) + 16);
    zoneLabel->setBuddy(Zone);
    zoneRow->addWidget(zoneLabel);
    zoneRow->addWidget(Zone);
    zoneRow->addStretch(1);
    static_cast<QGridLayout *>(time->layout())->addLayout(zoneRow, 3, 0);

    auto *where = new QGroupBox(tr("Location on Earth"), page);
    where->setObjectName(QStringLiteral("LocationOnEarth"));
    const auto edit = [where](const char *name, const QString &hint) {
        auto *e = new QLineEdit(where);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(hint);
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("180W59")) * 2);
        return e;
    };
    Long = edit("Long", tr("Longitude"));
    Lat = edit("Lat", tr("Latitude"));
    auto *longLabel = new QLabel(tr("Longitude"), where);
    longLabel->setBuddy(Long);
    auto *latLabel = new QLabel(tr("Latitude"), where);
    latLabel->setBuddy(Lat);

    ComboBox1 = new QComboBox(where);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setAccessibleName(tr(OptionsText::CityListText));
    ComboBox1->lineEdit()->setAccessibleName(tr(OptionsText::CityListText));
    ComboBox1->setAccessibleDescription(
        tr("Type part of a city's name and choose its line to take its place"));
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMaxVisibleItems(15);
    // The lines' columns line up only in a fixed-pitch font.
    QFont fixed(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPointSizeF(font().pointSizeF());
    ComboBox1->setFont(fixed);
    ComboBox1->view()->setFont(fixed);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setMinimumContentsLength(LineColumns / 2);
    auto *completer = new QCompleter(ComboBox1->model(), ComboBox1);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setMaxVisibleItems(15);
    completer->popup()->setFont(fixed);
    ComboBox1->setCompleter(completer);
    ComboBox1->lineEdit()->installEventFilter(this);
    ComboBox1->installEventFilter(this);
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int index) { ComboBox1Choose(ComboBox1->itemText(index)); });

    SpeedButton1 = new QToolButton(where);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(toolIcon(QStringLiteral("globe")));
    SpeedButton1->setToolTip(tr("Try this to find your Longitude and Latitude on World Wide Web"));
    SpeedButton1->setAccessibleName(tr("Look up coordinates"));
    SpeedButton1->setAccessibleDescription(SpeedButton1->toolTip());
    SpeedButton1->setAutoRaise(true);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfOptions::SpeedButton1Click);

    Button3 = new QPushButton(tr("Save long/lat"), where);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setToolTip(tr("Save this latitude and logitude as default"));
    Button3->setAutoDefault(false);
    connect(Button3, &QPushButton::clicked, this, &TfOptions::Button3Click);

    // The place's own time zone: the hours and every time shown follow it.
    ZoneName = new QLineEdit(where);
    ZoneName->setObjectName(QStringLiteral("ZoneName"));
    ZoneName->setToolTip(
        QStringLiteral("The place's time zone, such as Europe/Berlin (saved with the place)"));
    ZoneName->setPlaceholderText(QStringLiteral("the computer's"));
    QStringList zones;
    for (const QByteArray &id : QTimeZone::availableTimeZoneIds())
        zones << QString::fromLatin1(id);
    auto *zoneCompleter = new QCompleter(zones, ZoneName);
    zoneCompleter->setFilterMode(Qt::MatchContains);
    zoneCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    ZoneName->setCompleter(zoneCompleter);
    auto *zoneNameLabel = new QLabel(QStringLiteral("Zone"), where);
    zoneNameLabel->setBuddy(ZoneName);

    auto *whereGrid = new QGridLayout(where);
    whereGrid->addWidget(longLabel, 0, 0);
    whereGrid->addWidget(Long, 0, 1);
    whereGrid->addWidget(latLabel, 0, 2);
    whereGrid->addWidget(Lat, 0, 3);
    whereGrid->addWidget(Button3, 0, 5);
    whereGrid->setColumnStretch(4, 1);
    auto *cityRow = new QHBoxLayout;
    cityRow->addWidget(ComboBox1, 1);
    cityRow->addWidget(SpeedButton1);
    whereGrid->addLayout(cityRow, 1, 0, 1, 6);
    whereGrid->addWidget(zoneNameLabel, 2, 0);
    whereGrid->addWidget(ZoneName, 2, 1, 1, 4);
    grid->addWidget(where, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    const auto followsField = [this](const QString &key) {
        return [this, key](Change change) { fieldFollows(key, change); };
    };
    bindRadio(K::HouseSystem, OHouseSystem, followsField(K::HouseSystem));
    bindRadio(K::Zodiac, OZodiac, followsField(K::Zodiac));
    bindRadio(K::Time, OTime, [this](Change change) { OTimeChange(change); });
    const auto text = [this](const QString &key, QLineEdit *e) {
        Binding b;
        b.get = [e] { return SettingValue::textValue(e->text()); };
        b.set = [e](const SettingValue &value) { e->setText(value.text); };
        mBindings.insert(key, b);
    };
    text(K::Longitude, Long);
    text(K::Latitude, Lat);
    text(K::TimeZone, Zone);
    text(K::ZoneName, ZoneName);
    return page;
}

QWidget *TfOptions::buildAdditional()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Additional"));
    auto *column = new QVBoxLayout(page);
    OAspects =
        checkBox(page, "OAspects", tr("Include Aspect charts"), tr("Generate additional aspect charts"));
    ReplaceClip = checkBox(page, "ReplaceClip", tr("Always Insert in Clipboard"),
                           tr("Replace clipboard on start up and calculation"));
    UpdateCaption = checkBox(page, "UpdateCaption", tr("Update Program Caption"));
    OHints = checkBox(page, "OHints", tr("Show Hints"), tr("Show hints"));
    CheckBox1 = checkBox(page, "CheckBox1", tr("Local File Save"));
    StartWithWindows =
        checkBox(page, "StartWithWindows", tr("Start at login"), tr("Start Orlam when you log in"));
    for (QCheckBox *box : {OAspects, ReplaceClip, UpdateCaption, OHints, CheckBox1, StartWithWindows})
        column->addWidget(box);
    column->addStretch(1);

    // Options kept in the file but not offered here; they are loaded, saved and reset like the rest.
    OClear = checkBox(page, "OClear", tr("Clear Astrolog window with each computation"));
    OWheelChart =
        checkBox(page, "OWheelChart", tr("Include Wheel chart  (Causes additional call to Astrolog)"));
    WheelReverse = checkBox(page, "WheelReverse", tr("Reverse colors "), tr("White background wheel"));
    Monochrome = checkBox(page, "Monochrome", tr("Monochrome"), tr("White background wheel"));
    for (QCheckBox *box : {OClear, OWheelChart, WheelReverse, Monochrome})
        box->hide();
    // Three more that were never stored and do nothing.
    for (const char *caption : {"Show Hours on startup", "Show Tip of the Day", "Show Verse of the Day"})
        checkBox(page, "", QString::fromLatin1(caption))->hide();

    const auto followsField = [this](const QString &key) {
        return [this, key](Change change) { fieldFollows(key, change); };
    };
    bindCheck(K::AspectCharts, OAspects, followsField(K::AspectCharts));
    bindCheck(K::ReplaceClip, ReplaceClip, {});
    bindCheck(K::UpdateCaption, UpdateCaption, {});
    bindCheck(K::Hints, OHints, [this](Change) {
        if (mHooks.setShowHints)
            mHooks.setShowHints(OHints->isChecked());
    });
    bindCheck(K::LocalFileSave, CheckBox1, followsField(K::LocalFileSave));
    bindCheck(K::Clear, OClear, {});
    bindCheck(K::WheelChart, OWheelChart, [this](Change change) {
        WheelReverse->setEnabled(OWheelChart->isChecked());
        Monochrome->setEnabled(OWheelChart->isChecked());
        fieldFollows(K::WheelChart, change);
    });
    bindCheck(K::WheelReverse, WheelReverse, {});
    bindCheck(K::Monochrome, Monochrome, {});

    StartWithWindows->setChecked(autostartEnabled());
    connect(StartWithWindows, &QCheckBox::clicked, this, [this](bool on) {
        const Status status = setAutostart(on);
        if (!status) {
            showMessage(status.message);
            StartWithWindows->setChecked(autostartEnabled());
        }
    });
    return page;
}

QWidget *TfOptions::buildAlarm()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Alarm"));
    const auto group = [page](const char *name, const QString &caption, int count, int rows,
                              std::vector<QCheckBox *> *boxes) {
        auto *box = new QGroupBox(caption, page);
        box->setObjectName(QString::fromLatin1(name));
        auto *grid = new QGridLayout(box);
        grid->setVerticalSpacing(2);
        for (int i = 0; i < count; ++i) {
            auto *check = new QCheckBox(bodyDisplayName(i), box);
            check->setObjectName(QString::fromLatin1(name) + BodyKeys[i]);
            grid->addWidget(check, i % rows, i / rows);
            boxes->push_back(check);
        }
        grid->setRowStretch(rows, 1);
        return box;
    };
    auto *column = new QVBoxLayout(page);
    auto *row = new QHBoxLayout;
    row->addWidget(group("RiseSetAlarms", tr("Rise/Set/Zenith/Nadir Alarms"), BodyCount, 5, &BodyAlarms));
    row->addWidget(group("HourAlarms", tr("Planetary Hours Alarms"), HourPlanetCount, 5, &HourAlarms));
    column->addLayout(row);
    column->addStretch(1);
    for (int i = 0; i < BodyCount; ++i)
        bindCheck(BodyKeys[i], BodyAlarms[i], {});
    for (int i = 0; i < HourPlanetCount; ++i)
        bindCheck(HourKeys[i], HourAlarms[i], {});
    return page;
}

void TfOptions::bindRadio(const QString &key, QButtonGroup *group, std::function<void(Change)> rule)
{
    Binding b;
    b.get = [group] { return SettingValue::integer(group->checkedId()); };
    b.set = [group](const SettingValue &value) { checkOnly(group, value.number); };
    b.rule = rule;
    mBindings.insert(key, b);
    if (rule)
        connect(group, &QButtonGroup::idClicked, this, [rule] { rule(Change::User); });
}

void TfOptions::bindCheck(const QString &key, QCheckBox *box, std::function<void(Change)> rule)
{
    Binding b;
    b.get = [box] { return SettingValue::boolean(box->isChecked()); };
    b.set = [box](const SettingValue &value) { box->setChecked(value.number != 0); };
    b.rule = rule;
    mBindings.insert(key, b);
    if (rule)
        connect(box, &QCheckBox::clicked, this, [rule] { rule(Change::User); });
}

// --- Rules ------------------------------------------------------------------------------------

void TfOptions::fieldFollows(const QString &key, Change)
{
    setField(settingDef(key), &mSettings, mBindings.value(key).get());
}

void TfOptions::OTimeChange(Change change)
{
    constexpr int SystemLocale = 2;
    const bool locale = OTime->checkedId() == SystemLocale;
    Zone->setEnabled(!locale);
    // The record's TimeMode follows only at the close.
    if (locale && change == Change::User)
        showMessage(tr(OptionsText::LocaleTimeMessage));
}

void TfOptions::DayBeginsChange(Change change)
{
    const int index = DayBegins->currentIndex();
    if (change != Change::User) {
        if (index >= 0)
            mDayBeginsShown = index;
        return;
    }
    if (index == mDayBeginsShown)
        return;
    mDayBeginsShown = index;
    if (index == 1)
        showMessage(tr(OptionsText::SunRiseMessage));
    else if (index == 2)
        showMessage(tr(OptionsText::SunSetMessage));
    mSettings.DayBegins = index;
}

// --- Opening ----------------------------------------------------------------------------------

void TfOptions::loadControls()
{
    const IniSection ini = mStore.readSection();
    std::vector<QString> keys = optionsDialogKeys();
    keys.insert(keys.end(), {K::Longitude, K::Latitude, K::TimeZone, K::ZoneName});
    for (const QString &key : keys) {
        const Binding &b = mBindings[key];
        b.set(readSetting(ini, settingDef(key)));
        if (b.rule)
            b.rule(Change::Open);
    }
}

void TfOptions::loadCityList(const QString &path)
{
    QStringList lines;
    if (!path.isEmpty() && readCityList(path, &lines).ok)
        ComboBox1->addItems(lines);
    // "City List" stands in the empty box until the user types: typing filters the list at once,
    // with nothing to delete first.
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    ComboBox1->lineEdit()->setPlaceholderText(tr(OptionsText::CityListText));
}

void TfOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// --- Commands ---------------------------------------------------------------------------------

void TfOptions::showMessage(const QString &text)
{
    mHooks.message(text);
}

void TfOptions::SpeedButton1Click()
{
    mHooks.openAddress(QString::fromLatin1(WebLinks::CoordinatesLookup));
}

void TfOptions::Button3Click()
{
    const struct {
        QString field;
        QLineEdit *edit;
    } texts[] = {{tr("Longitude"), Long}, {tr("Latitude"), Lat}, {tr("Time Zone"), Zone}};
    for (const auto &t : texts) {
        const Status status = checkLocationText(t.field, t.edit->text());
        if (!status) {
            showMessage(status.message);
            return;
        }
    }
    const QString zoneName = ZoneName->text().trimmed();
    if (const Status known = checkZoneName(zoneName); !known) {
        showMessage(known.message);
        return;
    }
    // The record takes the new place when the dialog closes.
    const Status status = mStore.SaveLocation(Long->text(), Lat->text(), Zone->text(), zoneName);
    if (!status)
        showMessage(status.message);
}

void TfOptions::ComboBox1Choose(const QString &line)
{
    if (mAskingCity)
        return;
    const CityLine city = parseCityLine(line);
    const Status usable = checkCityLine(line, city);
    if (!usable) {
        showMessage(usable.message);
        return;
    }
    mAskingCity = true;
    const bool yes = mHooks.askYesNo(cityQuestion(city));
    mAskingCity = false;
    if (!yes)
        return;
    // The city's own zone comes with it, and "Time Zone" takes that zone's standard offset.
    const CityLocation location = cityLocation(city, Zone->text(), QDateTime::currentDateTimeUtc());
    Long->setText(location.longitude);
    Lat->setText(location.latitude);
    Zone->setText(location.timeZone);
    ZoneName->setText(location.zoneName);
    Button3Click();
}

bool TfOptions::eventFilter(QObject *watched, QEvent *event)
{
    // A combo box steps through its lines on the wheel and on the arrow keys, choosing each one on
    // the way; here that would ask about every place passed. The arrows open the list instead.
    if (ComboBox1 && watched == ComboBox1 && event->type() == QEvent::Wheel)
        return true;
    if (ComboBox1 && (watched == ComboBox1 || watched == ComboBox1->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const QCompleter *completer = ComboBox1->completer();
        if ((key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) &&
            !(completer && completer->popup()->isVisible())) {
            ComboBox1->showPopup();
            return true;
        }
    }
    if (ComboBox1 && watched == ComboBox1->lineEdit()) {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            const QCompleter *completer = ComboBox1->completer();
            if (enter && !(completer && completer->popup()->isVisible())) {
                // Enter asks about a line of the list, or about a typed line that reaches its
                // longitude; a few letters typed to filter the list ask nothing.
                const QString text = ComboBox1->currentText();
                const int index = ComboBox1->findText(text, Qt::MatchExactly);
                if (index >= 0)
                    ComboBox1->setCurrentIndex(index);
                if (index >= 0 || text.size() >= LongitudeColumn)
                    ComboBox1Choose(text);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfOptions::TryButtonClick()
{
    if (mHooks.tryOptions)
        mHooks.tryOptions();
    done(QDialog::Accepted);
}

void TfOptions::ResetButtonClick()
{
    for (const QString &key : optionsDialogKeys()) {
        const Binding &b = mBindings[key];
        b.set(settingDef(key).reset);
        if (b.rule)
            b.rule(Change::Reset);
    }
    done(QDialog::Accepted);
}

// --- Closing ----------------------------------------------------------------------------------

bool TfOptions::FormClose()
{
    std::vector<std::pair<QString, QString>> entries;
    for (const QString &key : optionsDialogKeys())
        entries.push_back(settingEntry(key, mBindings[key].get()));
    const Status status = mStore.writeValues(entries);
    mSaved = status.ok;
    if (!status) {
        if (!mHooks.closeWithoutSaving(status.message))
            return false;
        // Leaving without saving: what the controls changed at once goes back to the file's
        // values, the ones ReloadSettings leaves alone included.
        const IniSection ini = mStore.readSection();
        setField(settingDef(K::LocalFileSave), &mSettings, readSetting(ini, settingDef(K::LocalFileSave)));
        if (mHooks.setShowHints)
            mHooks.setShowHints(readSetting(ini, settingDef(K::Hints)).number != 0);
    }
    if (mHooks.reloadSettings)
        mHooks.reloadSettings();
    return true;
}

void TfOptions::done(int result)
{
    // Escape, the close box, Done, Try and Defaults all end here, once.
    if (mClosing)
        return;
    mClosing = true;
    const bool close = FormClose();
    mClosing = false;
    if (close)
        QDialog::done(result);
}

} // namespace orlam
