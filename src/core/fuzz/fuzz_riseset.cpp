// libFuzzer entry for the rise/set report reader: any two reports, under every date order,
// either fill the table or stop with exactly one message, and every moment read is valid. A
// span's report read from its bytes gives, line for line, the events its text gives.
#include "common/messagesink.h"
#include "common/westerntext.h"
#include "fuzzlocales.h"
#include "hours/hoursspan.h"
#include "hours/riseset.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

class CountingSink final : public orlam::MessageSink {
public:
    void showMessage(const QString &) override { ++count; }
    int count = 0;
};

bool validOrNull(const QDateTime &moment)
{
    return moment.isNull() || moment.isValid();
}

bool sameEvent(const std::optional<orlam::HorizonInstant> &a, const std::optional<orlam::HorizonInstant> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || (a->utc == b->utc && a->body == b->body && a->word == b->word);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const orlam::LocaleFacts &locale = orlam::fuzz::localeFor(data[0]);
    const std::uint8_t presence = data[1]; // which of the two reports exist
    const QStringList all = orlam::splitLines(
        orlam::fromWestern(QByteArray(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2))));
    // A line "--" separates the base day's report from the next day's.
    const qsizetype cut = all.indexOf(QStringLiteral("--"));
    std::optional<QStringList> baseDay;
    std::optional<QStringList> nextDay;
    if (presence & 1)
        baseDay = cut < 0 ? all : all.mid(0, cut);
    if (presence & 2)
        nextDay = cut < 0 ? QStringList() : all.mid(cut + 1);

    for (const QString &line : all) {
        const std::optional<QDateTime> moment = orlam::LineMoment(line, locale);
        if (moment && !moment->isValid())
            std::abort();
    }

    const QByteArray report(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2));
    const bool dayFirst = data[1] & 4;
    const double hoursWest = static_cast<std::int8_t>(data[0]) / 8.0;
    QList<orlam::HorizonInstant> fromBytes;
    orlam::readHorizonReport(report, hoursWest, dayFirst, &fromBytes);
    qsizetype read = 0;
    for (const QString &line : all) {
        const std::optional<orlam::HorizonInstant> fromText =
            orlam::readHorizonLine(line, hoursWest, dayFirst);
        if (fromText && (read >= fromBytes.size() || !sameEvent(fromBytes.at(read++), fromText)))
            std::abort();
    }
    if (read != fromBytes.size())
        std::abort();

    orlam::TRiseSetTable table;
    CountingSink sink;
    const bool ok = orlam::readRiseSetLines(baseDay, nextDay, locale, table, sink);
    if (sink.count != (ok ? 0 : 1))
        std::abort();
    for (const QDateTime *field :
         {&table.SunNadir, &table.SunRise, &table.SunZenith, &table.SunSet, &table.MoonNadir, &table.MoonRise,
          &table.MoonZenith, &table.MoonSet, &table.NextSunRise}) {
        if (!validOrNull(*field))
            std::abort();
    }
    return 0;
}
