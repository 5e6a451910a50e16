#pragma once

#include "common/status.h"
#include "settings/settings.h"
#include "settings/settingstable.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace orlam {

// The options dialog: every option of the record, the location and the city list. It reads its
// controls from the settings file when it opens and writes them back however it closes (Done,
// Try, Defaults, Escape, the close box). Some controls change their record field at once, so
// that Try calculates with them; the close makes the record equal to the file again.
class TfOptions : public QDialog {
    Q_OBJECT
public:
    // What the dialog needs from the program. Empty members fall back to message boxes, the
    // browser and doing nothing.
    struct Hooks {
        std::function<void(bool)> setShowHints; // the program's pop-up hints on or off
        std::function<void()> tryOptions;       // SetNow, then Calculate into the view
        std::function<void()> reloadSettings;   // ReloadSettings, then BuildEventList
        std::function<void(const QString &)> message;
        std::function<bool(const QString &)> askYesNo;
        // The settings file could not be written at the close: true to close without saving.
        std::function<bool(const QString &)> closeWithoutSaving;
        std::function<void(const QString &)> openAddress;
    };

    enum class Tab { Formatting, Astrological, Additional, Alarm };

    // FormCreate: the controls from the file at `store`, the city list from `cityListPath`
    // (no list when empty or missing).
    TfOptions(SettingsStore &store, TSettings &settings, Hooks hooks, const QString &cityListPath,
              QWidget *parent = nullptr);

    // Handlers of the buttons and the city box.
    void TryButtonClick();
    void ResetButtonClick();
    void Button3Click();
    void SpeedButton1Click();
    // A line of the city list chosen (from the list, the filtered matches, or Enter on a line).
    void ComboBox1Choose(const QString &line);

    // Tests answer the dialog's questions through these.
    Hooks &hooks() { return mHooks; }

    // Whether the last close attempt wrote the file (false after "close without saving").
    bool saved() const { return mSaved; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Change { Open, User, Reset };
    struct Binding {
        std::function<SettingValue()> get;
        std::function<void(const SettingValue &)> set;
        std::function<void(Change)> rule; // what a change of the control does beyond showing it
    };

    QWidget *buildFormatting();
    QWidget *buildAstrological();
    QWidget *buildAdditional();
    QWidget *buildAlarm();
    QGroupBox *radioGroup(QWidget *parent, const char *name, const QString &caption, const QStringList &items,
                          const QString &hint, int columns, QButtonGroup **group);
    QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, const QString &hint = {});
    void bindRadio(const QString &key, QButtonGroup *group, std::function<void(Change)> rule);
    void bindCheck(const QString &key, QCheckBox *box, std::function<void(Change)> rule);
    void fieldFollows(const QString &key, Change change);
    void loadControls();
    void loadCityList(const QString &path);
    // FormClose: false when the dialog must stay open.
    bool FormClose();
    void showMessage(const QString &text);
    void OTimeChange(Change change);
    void DayBeginsChange(Change change);

    SettingsStore &mStore;
    TSettings &mSettings;
    Hooks mHooks;
    QHash<QString, Binding> mBindings;
    bool mClosing = false;
    bool mSaved = false;
    bool mAskingCity = false;
    int mDayBeginsShown = 0;

public:
    // The controls keep their form names; tests reach them by object name too.
    QTabWidget *PageControl1 = nullptr;
    QPushButton *TryButton = nullptr;
    QPushButton *CloseButton = nullptr;
    QPushButton *ResetButton = nullptr;
    QButtonGroup *ODateFormat = nullptr;
    QButtonGroup *OLines = nullptr;
    QButtonGroup *OAspect = nullptr;
    QButtonGroup *OTimeFormat = nullptr;
    QButtonGroup *OBasic = nullptr;
    QButtonGroup *OFormat = nullptr;
    QComboBox *DayBegins = nullptr;
    QCheckBox *Greetings = nullptr;
    QCheckBox *Quoted = nullptr;
    QButtonGroup *OHouseSystem = nullptr;
    QButtonGroup *OZodiac = nullptr;
    QLineEdit *Long = nullptr;
    QLineEdit *Lat = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QPushButton *Button3 = nullptr;
    QButtonGroup *OTime = nullptr;
    QLineEdit *Zone = nullptr;
    QLineEdit *ZoneName = nullptr; // our own: the place's time zone by name
    QCheckBox *OAspects = nullptr;
    QCheckBox *ReplaceClip = nullptr;
    QCheckBox *UpdateCaption = nullptr;
    QCheckBox *OHints = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *StartWithWindows = nullptr;
    QCheckBox *OClear = nullptr;
    QCheckBox *OWheelChart = nullptr;
    QCheckBox *WheelReverse = nullptr;
    QCheckBox *Monochrome = nullptr;
    std::vector<QCheckBox *> BodyAlarms; // Sun .. Pluto in record order
    std::vector<QCheckBox *> HourAlarms; // Sun .. Saturn
};

// Texts the dialog shows (source texts; the dialog shows them translated), for its tests.
namespace OptionsText {
constexpr auto Caption = QT_TRANSLATE_NOOP("orlam::TfOptions", "Options");
constexpr auto CityListText = QT_TRANSLATE_NOOP("orlam::TfOptions", "City List");
constexpr auto SunRiseMessage = QT_TRANSLATE_NOOP(
    "orlam::TfOptions", "Times before Sunrise will now be adjusted back to prior day of week.  "
                        "Causes two additional calls to Astrolog.");
constexpr auto SunSetMessage = QT_TRANSLATE_NOOP(
    "orlam::TfOptions", "Times after Sunset will now be adjusted forward to next day of week.  "
                        "Causes two additional calls to Astrolog.");
constexpr auto LocaleTimeMessage = QT_TRANSLATE_NOOP(
    "orlam::TfOptions",
    "The \"System Locale Settings\" option uses the Timezone and Daylight Savings Time settings of your "
    "computer. It probably will not give correct results if you try dates outside the current gregorian "
    "calendar year at this time. It is useful if you typically use this program for current date/time, as it "
    "will automatically adjust these settings.");
} // namespace OptionsText

} // namespace orlam
