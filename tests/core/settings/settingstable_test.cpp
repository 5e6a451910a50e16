#include "settings/settingstable.h"

#include "settings/inifile.h"

#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orlam;

TEST(SettingTable, EveryKeyOnceAndEveryDialogKeyKnown)
{
    QSet<QString> seen;
    for (const SettingDef &def : settingTable()) {
        // The file compares keys without regard to case, so two rows must differ in more.
        EXPECT_FALSE(seen.contains(def.key.toCaseFolded())) << def.key.toStdString();
        seen.insert(def.key.toCaseFolded());
        EXPECT_FALSE(def.field && def.windowField) << def.key.toStdString();
    }
    QSet<QString> dialog;
    for (const QString &key : optionsDialogKeys()) {
        EXPECT_TRUE(seen.contains(key.toCaseFolded())) << key.toStdString();
        EXPECT_FALSE(dialog.contains(key)) << key.toStdString();
        dialog.insert(key);
    }
    // Every option the user edits is written by the dialog; the location, the layout and the
    // keys set by hand are not.
    for (const SettingDef &def : settingTable()) {
        const bool handOrLocation = def.key == SettingsKeys::Longitude || def.key == SettingsKeys::Latitude ||
                                    def.key == SettingsKeys::TimeZone || def.key == SettingsKeys::ZoneName ||
                                    def.key == SettingsKeys::ForceExe || def.key == SettingsKeys::Astrolog ||
                                    def.key == SettingsKeys::Notify;
        EXPECT_EQ(dialog.contains(def.key), !def.windowField && !handOrLocation) << def.key.toStdString();
    }
}

// The values "&Defaults" gives every option of the dialog.
TEST(SettingTable, DefaultsButtonValues)
{
    const struct {
        const char *key;
        int value;
    } rows[] = {
        {"Day Begins", 0},    {"DateFormat", 1},
        {"TimeFormat", 0},    {"Lines", 1},
        {"Format", 0},        {"Time", 0},
        {"Aspect", 1},        {"Basic", 1},
        {"Zodiac", 0},        {"House System", 0},
        {"Clear", 1},         {"Aspect Charts", 0},
        {"Wheel Chart", 0},   {"Local File Save", 0},
        {"Wheel Reverse", 1}, {"Monochrome", 1},
        {"Hints", 1},         {"Update Caption", 0},
        {"Greetings", 0},     {"Quoted", 0},
        {"Replace Clip", 0},  {"Sun", 1},
        {"Moon", 0},          {"Mercury", 0},
        {"Venus", 0},         {"Mars", 0},
        {"Jupiter", 0},       {"Saturn", 0},
        {"Uranus", 0},        {"Neptune", 0},
        {"Pluto", 0},         {"Hour Sun", 0},
        {"Hour Moon", 0},     {"Hour Mercury", 0},
        {"Hour Venus", 0},    {"Hour Mars", 0},
        {"Hour Jupiter", 0},  {"Hour Saturn", 0},
    };
    for (const auto &row : rows) {
        const SettingDef &def = settingDef(QString::fromLatin1(row.key));
        EXPECT_EQ(def.reset.number, row.value) << row.key;
    }
    // Only the year notation, the word before the year and the Sun hour alarm differ from what a
    // reader takes for a missing key.
    QStringList differing;
    for (const SettingDef &def : settingTable())
        if (!(def.reset == def.def))
            differing << def.key;
    EXPECT_EQ(differing, QStringList({"Basic", "Format", "Hour Sun"}));
}

TEST(SettingTable, ValuesWrittenReadBackUnchanged)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("Orlam.ini")));
    std::vector<std::pair<QString, QString>> entries;
    std::vector<SettingValue> written;
    int n = 0;
    for (const SettingDef &def : settingTable()) {
        SettingValue v;
        if (def.kind == SettingKind::Text)
            v = SettingValue::textValue(QStringLiteral("12E3%1 x").arg(n));
        else if (def.kind == SettingKind::Boolean)
            v = SettingValue::boolean(def.def.number == 0);
        else
            v = SettingValue::integer(def.def.number == -7 ? 3 : -7 + n);
        written.push_back(v);
        entries.push_back(settingEntry(def.key, v));
        ++n;
    }
    ASSERT_TRUE(ini.write(SettingsSection, entries).ok);
    const IniSection section = ini.readSection(SettingsSection);
    for (size_t i = 0; i < settingTable().size(); ++i)
        EXPECT_EQ(readSetting(section, settingTable()[i]), written[i]) << settingTable()[i].key.toStdString();
}
