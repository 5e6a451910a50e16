#include "reports/icalwriter.h"

#include "hours/hoursspan.h"
#include "settings/settings.h"

#include <libical/ical.h>

#include <memory>

namespace orlam {

namespace {

// Times are given to the nearest minute, as everywhere they are shown.
QDateTime nearestMinute(const QDateTime &utc)
{
    return placeMinute(utc, QTimeZone::utc());
}

icaltimetype icalUtc(const QDateTime &utc)
{
    return icaltime_from_timet_with_zone(static_cast<time_t>(nearestMinute(utc).toSecsSinceEpoch()), 0,
                                         icaltimezone_get_utc_timezone());
}

QString lowerKey(const QString &text)
{
    QString key;
    for (const QChar c : text) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            key += c.toLower();
    }
    return key;
}

struct ComponentFree {
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};

} // namespace

QString calendarPlaceKey(const QString &longitude, const QString &latitude)
{
    return lowerKey(longitude) + QLatin1Char('-') + lowerKey(latitude);
}

QString calendarEventUid(const CalendarEvent &event, const QString &placeKey)
{
    return QStringLiteral("%1-%2-%3-%4@orlam")
        .arg(lowerKey(event.kind), lowerKey(event.body),
             nearestMinute(event.startUtc).toString(QStringLiteral("yyyyMMdd'T'HHmm'Z'")), placeKey);
}

QByteArray writeICalendar(const QList<CalendarEvent> &events, const QString &placeKey,
                          const QDateTime &stampUtc, const QString &name)
{
    std::unique_ptr<icalcomponent, ComponentFree> calendar(icalcomponent_new_vcalendar());
    icalcomponent *cal = calendar.get();
    icalcomponent_add_property(cal, icalproperty_new_version("2.0"));
    const QByteArray prodid = QStringLiteral("-//Orlam//Orlam %1//EN").arg(VersionText).toUtf8();
    icalcomponent_add_property(cal, icalproperty_new_prodid(prodid.constData()));
    icalcomponent_add_property(cal, icalproperty_new_calscale("GREGORIAN"));
    icalcomponent_add_property(cal, icalproperty_new_method(ICAL_METHOD_PUBLISH));
    if (!name.isEmpty()) {
        icalproperty *calName = icalproperty_new_x(name.toUtf8().constData());
        icalproperty_set_x_name(calName, "X-WR-CALNAME");
        icalcomponent_add_property(cal, calName);
    }

    const icaltimetype stamp = icalUtc(stampUtc);
    for (const CalendarEvent &event : events) {
        icalcomponent *vevent = icalcomponent_new_vevent();
        icalcomponent_add_property(
            vevent, icalproperty_new_uid(calendarEventUid(event, placeKey).toUtf8().constData()));
        icalcomponent_add_property(vevent, icalproperty_new_dtstamp(stamp));
        icalcomponent_add_property(vevent, icalproperty_new_dtstart(icalUtc(event.startUtc)));
        // An instant has no end: RFC 5545 then ends it where it starts, which is what a sunrise
        // is, and calendars show it as a point in the day rather than a block of time.
        if (event.endUtc.isValid())
            icalcomponent_add_property(vevent, icalproperty_new_dtend(icalUtc(event.endUtc)));
        icalcomponent_add_property(vevent, icalproperty_new_summary(event.summary.toUtf8().constData()));
        if (!event.description.isEmpty())
            icalcomponent_add_property(vevent,
                                       icalproperty_new_description(event.description.toUtf8().constData()));
        if (!event.category.isEmpty())
            icalcomponent_add_property(vevent,
                                       icalproperty_new_categories(event.category.toUtf8().constData()));
        icalcomponent_add_property(vevent, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        icalcomponent_add_component(cal, vevent);
    }

    char *text = icalcomponent_as_ical_string_r(cal);
    QByteArray bytes(text);
    icalmemory_free_buffer(text);
    return bytes;
}

} // namespace orlam
