#include "settings/settingstable.h"

#include "settings/inifile.h"

#include <QHash>

#include <array>

namespace orlam {

namespace {

SettingValue valueOf(const FieldRef &ref)
{
    if (const auto *i = std::get_if<int *>(&ref))
        return SettingValue::integer(**i);
    if (const auto *b = std::get_if<bool *>(&ref))
        return SettingValue::boolean(**b);
    if (const auto *t = std::get_if<QString *>(&ref))
        return SettingValue::textValue(**t);
    return {};
}

class TableBuilder {
public:
    std::vector<SettingDef> rows;

    // A record field; its default is the record's own member initialiser.
    template <typename Access> void record(const QString &key, SettingKind kind, Access access, bool reloaded)
    {
        const auto field = [access](TSettings &s) -> FieldRef { return access(s); };
        TSettings defaults;
        SettingDef &row = add(key, kind, valueOf(field(defaults)));
        row.field = field;
        row.reloaded = reloaded;
    }
    template <typename Access> void window(const QString &key, SettingKind kind, Access access)
    {
        const auto field = [access](WindowKeys &w) -> FieldRef { return access(w); };
        WindowKeys defaults;
        add(key, kind, valueOf(field(defaults))).windowField = field;
    }
    void dialogOnly(const QString &key, bool def)
    {
        add(key, SettingKind::Boolean, SettingValue::boolean(def));
    }
    void resetTo(const QString &key, const SettingValue &value)
    {
        for (SettingDef &row : rows)
            if (row.key == key)
                row.reset = value;
    }

private:
    // A row whose default is also what Defaults resets it to.
    SettingDef &add(const QString &key, SettingKind kind, const SettingValue &def)
    {
        SettingDef row;
        row.key = key;
        row.kind = kind;
        row.def = def;
        row.reset = def;
        rows.push_back(std::move(row));
        return rows.back();
    }
};

std::vector<SettingDef> buildTable()
{
    namespace K = SettingsKeys;
    constexpr auto I = SettingKind::Integer;
    constexpr auto B = SettingKind::Boolean;
    constexpr auto T = SettingKind::Text;
    TableBuilder t;
    t.record(
        K::Time, I, [](TSettings &s) { return &s.TimeMode; }, true);
    t.record(
        K::HouseSystem, I, [](TSettings &s) { return &s.HouseSystem; }, true);
    t.record(
        K::Zodiac, I, [](TSettings &s) { return &s.Zodiac; }, true);
    t.record(
        K::Aspect, I, [](TSettings &s) { return &s.AspectMode; }, true);
    t.record(
        K::Basic, I, [](TSettings &s) { return &s.Basic; }, true);
    t.record(
        K::Format, I, [](TSettings &s) { return &s.YearFormat; }, true);
    t.record(
        K::DayBegins, I, [](TSettings &s) { return &s.DayBegins; }, true);
    t.record(
        K::Lines, I, [](TSettings &s) { return &s.Lines; }, true);
    t.record(
        K::DateFormat, I, [](TSettings &s) { return &s.DateFormat; }, true);
    t.record(
        K::TimeFormat, I, [](TSettings &s) { return &s.TimeFormat; }, true);
    t.record(
        K::Greetings, B, [](TSettings &s) { return &s.Greetings; }, true);
    t.record(
        K::Quoted, B, [](TSettings &s) { return &s.Quoted; }, true);
    t.record(
        K::UpdateCaption, B, [](TSettings &s) { return &s.UpdateCaption; }, true);
    t.record(
        K::ReplaceClip, B, [](TSettings &s) { return &s.ReplaceClip; }, true);
    // Changed by the options dialog at once and kept in memory when the dialog closes.
    t.record(
        K::LocalFileSave, B, [](TSettings &s) { return &s.LocalFileSave; }, false);
    t.record(
        K::Longitude, T, [](TSettings &s) { return &s.Longitude; }, true);
    t.record(
        K::Latitude, T, [](TSettings &s) { return &s.Latitude; }, true);
    t.record(
        K::TimeZone, T, [](TSettings &s) { return &s.TimeZone; }, true);
    t.record(
        K::ZoneName, T, [](TSettings &s) { return &s.ZoneName; }, true);
    t.record(
        K::WheelChart, B, [](TSettings &s) { return &s.WheelChart; }, true);
    t.record(
        K::AspectCharts, B, [](TSettings &s) { return &s.AspectCharts; }, true);
    t.record(
        K::WheelReverse, B, [](TSettings &s) { return &s.WheelReverse; }, true);
    t.record(
        K::Monochrome, B, [](TSettings &s) { return &s.Monochrome; }, true);
    for (int i = 0; i < BodyCount; ++i)
        t.record(
            BodyKeys[i], B, [i](TSettings &s) { return &s.RiseSetAlarm[i]; }, true);
    for (int i = 0; i < HourPlanetCount; ++i)
        t.record(
            HourKeys[i], B, [i](TSettings &s) { return &s.HourAlarm[i]; }, true);
    // Read at start only.
    t.record(
        K::ForceExe, B, [](TSettings &s) { return &s.ForceExe; }, false);
    t.record(
        K::Astrolog, T, [](TSettings &s) { return &s.Astrolog; }, false);
    // Our own: a desktop notification for each alarm.
    t.record(
        K::Notify, B, [](TSettings &s) { return &s.Notify; }, true);

    t.dialogOnly(K::Hints, true);
    t.dialogOnly(K::Clear, true);

    t.window(K::ToolBar, B, [](WindowKeys &w) { return &w.ToolBar; });
    t.window(K::StatusBar, B, [](WindowKeys &w) { return &w.StatusBar; });
    t.window(K::MonthCalendar, B, [](WindowKeys &w) { return &w.MonthCalendar; });
    t.window(K::ClientHeight, I, [](WindowKeys &w) { return &w.ClientHeight; });
    t.window(K::ClientWidth, I, [](WindowKeys &w) { return &w.ClientWidth; });
    t.window(K::Top, I, [](WindowKeys &w) { return &w.Top; });
    t.window(K::Left, I, [](WindowKeys &w) { return &w.Left; });

    // "&Defaults" prefers the Roman year with "Anno", and no alarm at each Sun hour.
    t.resetTo(K::Format, SettingValue::integer(0));
    t.resetTo(K::Basic, SettingValue::integer(1));
    t.resetTo(HourKeys[0], SettingValue::boolean(false));
    return t.rows;
}

} // namespace

const std::vector<SettingDef> &settingTable()
{
    static const std::vector<SettingDef> table = buildTable();
    return table;
}

const SettingDef &settingDef(const QString &key)
{
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto &table = settingTable();
        for (int i = 0; i < static_cast<int>(table.size()); ++i)
            h.insert(table[i].key, i);
        return h;
    }();
    const auto it = index.constFind(key);
    Q_ASSERT_X(it != index.constEnd(), "settingDef", qPrintable(key));
    return settingTable()[it == index.constEnd() ? 0 : it.value()];
}

SettingValue readSetting(const IniSection &ini, const SettingDef &def)
{
    switch (def.kind) {
    case SettingKind::Integer:
        return SettingValue::integer(ini.readInteger(def.key, def.def.number));
    case SettingKind::Boolean:
        return SettingValue::boolean(ini.readBool(def.key, def.def.number != 0));
    case SettingKind::Text:
        return SettingValue::textValue(ini.readText(def.key, def.def.text));
    }
    return def.def;
}

QString settingText(const SettingDef &def, const SettingValue &value)
{
    switch (def.kind) {
    case SettingKind::Integer:
        return QString::number(value.number);
    case SettingKind::Boolean:
        return value.number != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case SettingKind::Text:
        return value.text;
    }
    return {};
}

SettingValue fieldValue(const SettingDef &def, const TSettings &settings)
{
    if (!def.field)
        return {};
    // The accessor only takes the field's address.
    return valueOf(def.field(const_cast<TSettings &>(settings)));
}

void setField(const SettingDef &def, TSettings *settings, const SettingValue &value)
{
    if (!def.field)
        return;
    const FieldRef ref = def.field(*settings);
    if (auto *i = std::get_if<int *>(&ref))
        **i = value.number;
    else if (auto *b = std::get_if<bool *>(&ref))
        **b = value.number != 0;
    else if (auto *t = std::get_if<QString *>(&ref))
        **t = value.text;
}

const std::vector<QString> &optionsDialogKeys()
{
    static const std::vector<QString> keys = [] {
        namespace K = SettingsKeys;
        std::vector<QString> k{K::DateFormat,    K::TimeFormat,  K::Lines,        K::Format,
                               K::Time,          K::DayBegins,   K::Aspect,       K::Zodiac,
                               K::HouseSystem,   K::Basic,       K::Clear,        K::WheelChart,
                               K::WheelReverse,  K::Monochrome,  K::AspectCharts, K::Hints,
                               K::UpdateCaption, K::ReplaceClip, K::Greetings,    K::Quoted};
        // The bodies go out in the dialog's own order, with Saturn after Neptune and Uranus:
        // indices into BodyKeys.
        constexpr std::array<std::size_t, BodyCount> DialogBodyOrder{0, 1, 2, 3, 4, 5, 8, 7, 6, 9};
        for (const std::size_t body : DialogBodyOrder)
            k.push_back(BodyKeys[body]);
        for (const QString &hour : HourKeys)
            k.push_back(hour);
        k.push_back(K::LocalFileSave);
        return k;
    }();
    return keys;
}

std::pair<QString, QString> settingEntry(const QString &key, const SettingValue &value)
{
    return {key, settingText(settingDef(key), value)};
}

} // namespace orlam
