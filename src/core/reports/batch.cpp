#include "reports/batch.h"

#include "common/clocktime.h"
#include "common/westerntext.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <functional>

namespace orlam {

namespace {

constexpr qint64 ChunkSize = 64 * 1024;
constexpr int FieldCount = 7;

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// Restores the three location values however the run ends.
class LocationGuard {
public:
    explicit LocationGuard(TSettings &settings)
        : mSettings(settings), mZone(settings.TimeZone), mLongitude(settings.Longitude),
          mLatitude(settings.Latitude)
    {
    }
    ~LocationGuard()
    {
        mSettings.TimeZone = mZone;
        mSettings.Longitude = mLongitude;
        mSettings.Latitude = mLatitude;
    }
    LocationGuard(const LocationGuard &) = delete;
    LocationGuard &operator=(const LocationGuard &) = delete;

private:
    TSettings &mSettings;
    QString mZone, mLongitude, mLatitude;
};

enum class InputEncoding { Utf8, Western };

struct InputFacts {
    InputEncoding encoding = InputEncoding::Western;
    bool needsUtf8Output = false;
};

// True when valid UTF-8 that ends with `tail` stops inside a multi-byte sequence. The decoder
// holds such a cut-off sequence back without reporting an error, and never hands it out.
bool endsInsideSequence(const QByteArray &tail)
{
    qsizetype i = tail.size() - 1;
    int continuations = 0;
    while (i >= 0 && continuations < 3 && (uchar(tail.at(i)) & 0xC0) == 0x80) {
        --i;
        ++continuations;
    }
    if (i < 0)
        return false;
    const uchar lead = uchar(tail.at(i));
    const int needed = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    return continuations < needed;
}

// One pass over the file, a chunk at a time, to choose the encoding before any line is read.
InputFacts examineInput(QFile &file)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    bool westernSafe = true;
    QByteArray tail; // the file's last bytes, enough to hold one sequence
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(ChunkSize);
        if (chunk.isEmpty())
            break;
        const QString text = decoder(chunk);
        if (decoder.hasError())
            return {InputEncoding::Western, false};
        if (westernSafe && !isWesternRepresentable(text))
            westernSafe = false;
        tail = chunk.size() >= 4 ? chunk.right(4) : (tail + chunk).right(4);
    }
    // A sequence cut off by the end of the file is not UTF-8 either: read as UTF-8, its bytes
    // would be lost, read as Western text they are kept.
    if (endsInsideSequence(tail))
        return {InputEncoding::Western, false};
    return {InputEncoding::Utf8, !westernSafe};
}

// Hands the file's lines to `take` one by one (CR LF, LF or CR end a line; a final line end
// adds no empty line). Stops early when `take` returns false.
bool forEachLine(QFile &file, InputEncoding encoding, const std::function<bool(const QString &)> &take)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString pending;
    bool skipLf = false; // the last chunk ended in CR; an LF opening the next one belongs to it
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(ChunkSize);
        if (chunk.isEmpty())
            return false; // a read error before the end
        QString text = encoding == InputEncoding::Utf8 ? QString(decoder(chunk)) : fromWestern(chunk);
        qsizetype start = 0;
        if (skipLf && !text.isEmpty() && text.at(0) == QLatin1Char('\n'))
            start = 1;
        skipLf = false;
        for (qsizetype i = start; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
                continue;
            pending += QStringView(text).mid(start, i - start);
            if (!take(pending))
                return false;
            pending.clear();
            if (c == QLatin1Char('\r')) {
                if (i + 1 < text.size()) {
                    if (text.at(i + 1) == QLatin1Char('\n'))
                        ++i;
                } else {
                    skipLf = true;
                }
            }
            start = i + 1;
        }
        pending += QStringView(text).mid(start);
    }
    if (!pending.isEmpty())
        return take(pending);
    return true;
}

QString outOfBounds(int index)
{
    return QStringLiteral("List index out of bounds (%1)").arg(index);
}

// A field as a message names it. A field of a megabyte would make a message box no one can
// read or close, so a long one is cut, and the cut is shown.
QString fieldForMessage(const QString &field)
{
    constexpr qsizetype Longest = 80;
    return field.size() <= Longest ? field : field.left(Longest) + QLatin1String("...");
}

// An output line in the Western code page, its fields unchanged. toWestern turns a no-break
// space into a plain one, which suits locale texts; a field's own no-break space has to stay,
// or the line would split at it when read back.
QByteArray westernOutput(const QString &line)
{
    QByteArray bytes = toWestern(line);
    if (bytes.size() == line.size()) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line.at(i).unicode() == 0x00A0)
                bytes[i] = char(0xA0);
        }
    }
    return bytes;
}

} // namespace

QStringList splitBatchFields(const QString &line)
{
    QStringList fields;
    const qsizetype end = [&line] {
        const qsizetype nul = line.indexOf(QChar(0));
        return nul < 0 ? line.size() : nul;
    }();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < end && isBlank(line.at(i)))
            ++i;
    };
    skipBlanks();
    while (i < end) {
        QString field;
        if (line.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < end) {
                if (line.at(i) == QLatin1Char('"')) {
                    if (i + 1 < end && line.at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line.at(i);
                ++i;
            }
        } else {
            const qsizetype first = i;
            while (i < end && line.at(i).unicode() > 32 && line.at(i) != QLatin1Char(','))
                ++i;
            field = line.mid(first, i - first);
        }
        fields << field;
        skipBlanks();
        if (i < end && line.at(i) == QLatin1Char(',')) {
            if (i + 1 == end)
                fields << QString();
            ++i;
            skipBlanks();
        }
    }
    return fields;
}

Status BatchConvert(Calculator &calculator, const QString &inputPath, const QString &outputPath)
{
    QFile input(inputPath);
    if (!input.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("Cannot open file %1").arg(inputPath));
    const InputFacts facts = examineInput(input);
    if (!input.seek(0))
        return Status::failure(QStringLiteral("Cannot open file %1").arg(inputPath));

    TSettings &settings = calculator.settings();
    const LocaleFacts &locale = calculator.locale();
    CalcHost &host = calculator.host();
    const LocationGuard guard(settings);

    // Output lines go into a temporary file beside the target, which replaces the target only
    // at the end; a run that fails leaves nothing behind. Failing here, before the first line,
    // spares a long run whose result could not be kept.
    const QString cannotCreate = QStringLiteral("Cannot create file %1").arg(outputPath);
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly))
        return Status::failure(cannotCreate);

    Status failure;
    const bool converted = forEachLine(input, facts.encoding, [&](const QString &line) {
        const QStringList fields = splitBatchFields(line);
        const int count = int(fields.size());
        // Fields are taken in the order 2, 3, 4, 5, 6; the first one missing is named.
        if (count < 3) {
            failure = Status::failure(outOfBounds(2));
            return false;
        }
        const std::optional<QDate> date = locale.parseShortDate(fields[2]);
        if (!date) {
            failure =
                Status::failure(QStringLiteral("'%1' is not a valid date").arg(fieldForMessage(fields[2])));
            return false;
        }
        // Each picker takes its value as soon as it is converted, so a line that fails later
        // leaves them showing as much of it as was read.
        host.setPickers(clockTime(*date, host.datePickerValue().time()), host.timePickerValue());
        if (count < 4) {
            failure = Status::failure(outOfBounds(count));
            return false;
        }
        const std::optional<QTime> time = locale.parseTime(fields[3]);
        if (!time) {
            failure =
                Status::failure(QStringLiteral("'%1' is not a valid time").arg(fieldForMessage(fields[3])));
            return false;
        }
        // The date picker takes the line's time of day as well: the daylight test of the job
        // then looks at the moment being converted, not at whatever the picker held before.
        host.setPickers(clockTime(*date, *time), *time);
        if (count < FieldCount) {
            failure = Status::failure(outOfBounds(count));
            return false;
        }
        settings.TimeZone = fields[4];
        settings.Longitude = fields[5];
        settings.Latitude = fields[6];

        if (const Status status = calculator.calculate(Calculator::Sender::Other); !status) {
            failure = status;
            return false;
        }

        QString out;
        for (int i = 0; i < FieldCount; ++i)
            out += fields[i] + QLatin1Char(',');
        const DateTexts &texts = calculator.texts;
        for (const QString *part : {&texts.EraYear, &texts.SunPosition, &texts.MoonPosition, &texts.DayName})
            out += *part + QLatin1Char(',');
        out += QLatin1String("\r\n");
        const QByteArray bytes = facts.needsUtf8Output ? out.toUtf8() : westernOutput(out);
        if (output.write(bytes) != bytes.size()) {
            failure = Status::failure(cannotCreate);
            return false;
        }
        return true;
    });
    if (!converted) {
        output.cancelWriting();
        return failure.ok ? Status::failure(QStringLiteral("Cannot open file %1").arg(inputPath)) : failure;
    }
    if (!output.commit())
        return Status::failure(cannotCreate);
    return Status::success();
}

} // namespace orlam
