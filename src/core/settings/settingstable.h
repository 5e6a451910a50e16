#pragma once

#include "settings/settings.h"

#include <QString>
#include <functional>
#include <variant>
#include <vector>

namespace orlam {

class IniSection;

enum class SettingKind { Integer, Boolean, Text };

// A key's value as the settings file holds it: integers and booleans in `number` (a boolean is
// 0 or 1 once read), texts in `text`.
struct SettingValue {
    int number = 0;
    QString text;

    static SettingValue integer(int n) { return {n, {}}; }
    static SettingValue boolean(bool b) { return {b ? 1 : 0, {}}; }
    static SettingValue textValue(const QString &t) { return {0, t}; }
    friend bool operator==(const SettingValue &a, const SettingValue &b)
    {
        return a.number == b.number && a.text == b.text;
    }
};

// Where a key's value lives in memory; monostate for a key that is no field there.
using FieldRef = std::variant<std::monostate, int *, bool *, QString *>;

// One key of the section [orlam]. Every reader, the options dialog's close and its "&Defaults"
// take keys, kinds and defaults from here.
struct SettingDef {
    QString key;
    SettingKind kind = SettingKind::Integer;
    // What every reader takes for a missing or unreadable value: the member initialisers of
    // TSettings and WindowKeys for their fields, the table's own value for the dialog's keys.
    SettingValue def;
    // What the options dialog's "&Defaults" sets; the same as `def` except for three options.
    SettingValue reset;
    std::function<FieldRef(TSettings &)> field;        // empty: not a record field
    std::function<FieldRef(WindowKeys &)> windowField; // empty: not a layout key
    bool reloaded = false;                             // re-read by ReloadSettings
};

// Every key of the section, each once: the record's fields in record order, "ForceExe" and
// "Astrolog", the dialog's own keys "Hints" and "Clear", then the seven layout keys.
const std::vector<SettingDef> &settingTable();

// The row of `key` (compared as written). A key that is not in the table is a programming error.
const SettingDef &settingDef(const QString &key);

// Reads one key by the settings file's rules, with the row's default.
SettingValue readSetting(const IniSection &ini, const SettingDef &def);

// The value as the file stores it: decimal for integers, "1"/"0" for booleans, texts as they are.
QString settingText(const SettingDef &def, const SettingValue &value);

// The record field's value, and setting it (booleans are true when non-zero). No-ops for a row
// without a record field.
SettingValue fieldValue(const SettingDef &def, const TSettings &settings);
void setField(const SettingDef &def, TSettings *settings, const SettingValue &value);

// The options the options dialog writes when it closes, in the order it writes them. The
// location keys are not among them: only "Save long/lat" writes those.
const std::vector<QString> &optionsDialogKeys();

// A pair of key and value ready for IniFile::write.
std::pair<QString, QString> settingEntry(const QString &key, const SettingValue &value);

} // namespace orlam
