#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace orlam {

class LocaleFacts;

// A New or Full Moon or a sign ingress of the transit calendar.
struct TransitEvent {
    enum class Kind { NewMoon, FullMoon, Ingress };
    Kind kind = Kind::Ingress;
    QDateTime clock; // local clock reading, to the minute
    QString body;    // the body that changes sign ("Moon"); "Moon" for New and Full Moons
    QString sign;    // the sign entered; empty for New and Full Moons
    QString text;    // the calendar's own words: "Moon enters Aquarius", "New Moon"
};

// The New and Full Moons and the ingresses of a transit calendar report ("calasp.txt"), in
// report order. The date and time stand where the rise/set reports have them (columns 7-16 and
// 18-24); the event text follows from column 26. Header lines, other aspects and lines that do
// not read are left out.
QList<TransitEvent> readTransitEvents(const QStringList &lines, const LocaleFacts &reportLocale);

} // namespace orlam
