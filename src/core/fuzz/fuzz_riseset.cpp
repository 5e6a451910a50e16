// libFuzzer entry for the rise/set report reader: any two reports, under every date order,
// either fill the table or stop with exactly one message, and every moment read is valid.
#include "common/messagesink.h"
#include "common/westerntext.h"
#include "fuzzlocales.h"
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
