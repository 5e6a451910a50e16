#include "reports/transitevents.h"

#include "hours/riseset.h"

#include <QRegularExpression>

namespace orlam {

namespace {

constexpr int TextColumn = 25;

} // namespace

QList<TransitEvent> readTransitEvents(const QStringList &lines, const LocaleFacts &reportLocale)
{
    static const QRegularExpression ingress(QStringLiteral("^(\\w+) enters (\\w+)$"));
    QList<TransitEvent> events;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1Char('(')) || line.size() <= TextColumn)
            continue;
        const QString text = line.mid(TextColumn).simplified();
        TransitEvent event;
        if (text.endsWith(QLatin1String(" New Moon"))) {
            event.kind = TransitEvent::Kind::NewMoon;
            event.body = QStringLiteral("Moon");
            event.text = QStringLiteral("New Moon");
        } else if (text.endsWith(QLatin1String(" Full Moon"))) {
            event.kind = TransitEvent::Kind::FullMoon;
            event.body = QStringLiteral("Moon");
            event.text = QStringLiteral("Full Moon");
        } else if (const QRegularExpressionMatch match = ingress.match(text); match.hasMatch()) {
            event.kind = TransitEvent::Kind::Ingress;
            event.body = match.captured(1);
            event.sign = match.captured(2);
            event.text = text;
        } else {
            continue;
        }
        const std::optional<QDateTime> moment = LineMoment(line, reportLocale);
        if (!moment)
            continue;
        event.clock = *moment;
        events.append(event);
    }
    return events;
}

} // namespace orlam
