// libFuzzer entry for the reading of one batch line: the fields it splits into read back the
// same when written out again quoted, and the date and time fields read under every date
// order either give a valid value or nothing.
#include "common/westerntext.h"
#include "fuzzlocales.h"
#include "reports/batch.h"

#include <cstdint>
#include <cstdlib>

namespace {

QString quoted(const QStringList &fields)
{
    QStringList parts;
    for (QString field : fields)
        parts << QLatin1Char('"') + field.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
    return parts.join(QLatin1Char(','));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    // The first byte picks the locale and how the bytes are read, as the batch reader does.
    const QString line = data[0] & 0x80 ? QString::fromUtf8(bytes) : orlam::fromWestern(bytes);
    const QStringList fields = orlam::splitBatchFields(line);
    for (const QString &field : fields) {
        if (field.contains(QChar(0)))
            std::abort();
    }
    if (!fields.isEmpty() && orlam::splitBatchFields(quoted(fields)) != fields)
        std::abort();

    const orlam::LocaleFacts &locale = orlam::fuzz::localeFor(data[0]);
    if (fields.size() > 2) {
        const std::optional<QDate> date = locale.parseShortDate(fields[2]);
        if (date && !date->isValid())
            std::abort();
    }
    if (fields.size() > 3) {
        const std::optional<QTime> time = locale.parseTime(fields[3]);
        if (time && !time->isValid())
            std::abort();
    }
    return 0;
}
