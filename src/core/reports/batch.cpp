#include "reports/batch.h"

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "common/safefile.h"
#include "common/westerntext.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <algorithm>
#include <functional>

namespace orlam {

namespace {

constexpr qint64 ChunkSize = 64 * 1024;
constexpr int FieldCount = 7;
// No moment needs a line this long; an endless one (a device that never ends a line) would
// otherwise take all memory before anything could be said about it.
constexpr qsizetype LongestLine = 16 * 1024 * 1024;

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// Restores the three location values and the time mode however the run ends.
class LocationGuard {
public:
    explicit LocationGuard(TSettings &settings)
        : mSettings(settings), mZone(settings.TimeZone), mLongitude(settings.Longitude),
          mLatitude(settings.Latitude), mTimeMode(settings.TimeMode)
    {
    }
    ~LocationGuard()
    {
        mSettings.TimeMode = mTimeMode;
        mSettings.TimeZone = mZone;
        mSettings.Longitude = mLongitude;
        mSettings.Latitude = mLatitude;
    }
    LocationGuard(const LocationGuard &) = delete;
    LocationGuard &operator=(const LocationGuard &) = delete;

private:
    TSettings &mSettings;
    QString mZone, mLongitude, mLatitude;
    int mTimeMode;
};

enum class InputEncoding { Utf8, Western };

struct InputFacts {
    InputEncoding encoding = InputEncoding::Western;
    bool utf8Output = false;
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
// A file in UTF-8 gets its answer in UTF-8; a Western file, and a plain ASCII one, which may
// be either and reads the same, get the Western output that stored files and callers expect.
InputFacts examineInput(QFile &file)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    bool nonAscii = false;
    QByteArray tail; // the file's last bytes, enough to hold one sequence
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(ChunkSize);
        if (chunk.isEmpty())
            break;
        // Converting the chunk is what finds an invalid sequence.
        (void)QString(decoder(chunk));
        if (decoder.hasError())
            return {InputEncoding::Western, false};
        if (!nonAscii)
            nonAscii = std::any_of(chunk.cbegin(), chunk.cend(), [](char c) { return uchar(c) >= 0x80; });
        tail = chunk.size() >= 4 ? chunk.right(4) : (tail + chunk).right(4);
    }
    // A sequence cut off by the end of the file is not UTF-8 either: read as UTF-8, its bytes
    // would be lost, read as Western text they are kept.
    if (endsInsideSequence(tail))
        return {InputEncoding::Western, false};
    return {InputEncoding::Utf8, nonAscii};
}

// Hands the file's lines to `take` one by one (CR LF, LF or CR end a line; a final line end
// adds no empty line). Stops early when `take` returns false, and sets `tooLong` and stops when
// a line grows beyond LongestLine.
bool forEachLine(QFile &file, InputEncoding encoding, const std::function<bool(const QString &)> &take,
                 bool *tooLong)
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
        if (pending.size() > LongestLine) {
            *tooLong = true;
            return false;
        }
    }
    if (!pending.isEmpty())
        return take(pending);
    return true;
}

// A pipe or a device is read once, as it comes, into a scratch copy that can be read twice
// (once to choose the encoding, once to convert). Counts the lines on the way, so that an
// endless line is refused with its number before it fills the disk.
bool spoolStream(QFile &stream, QTemporaryFile &copy, qint64 *tooLongLine)
{
    qsizetype lineLength = 0;
    qint64 line = 1;
    char buffer[ChunkSize];
    for (;;) {
        const qint64 got = stream.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        for (qint64 i = 0; i < got; ++i) {
            if (buffer[i] == '\n' || buffer[i] == '\r') {
                lineLength = 0;
                if (buffer[i] == '\n')
                    ++line;
            } else if (++lineLength > LongestLine) {
                *tooLongLine = line;
                return false;
            }
        }
        if (copy.write(buffer, got) != got)
            return false;
    }
    return copy.flush() && copy.seek(0);
}

// An output that is not a plain file (a device such as /dev/null, a pipe, /dev/stdout) is
// written straight into: replacing it would put a plain file in place of the device. A name
// for one of the program's own open files (/dev/stdout redirected to a file) is written into
// too, since the file is the caller's, opened and maybe appended to by the caller.
QString outOfBounds(int index)
{
    return QCoreApplication::translate("Messages", "List index out of bounds (%1)").arg(index);
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

namespace {

// Takes the runner's messages during a batch: a failed run stops the batch, and the batch's own
// message tells of it once, with the line, instead of a message box per run.
class CollectingSink final : public MessageSink {
public:
    void showMessage(const QString &) override {}
};

class SinkSwap {
public:
    SinkSwap(AstrologRunner &runner, MessageSink &sink) : mRunner(runner), mPrevious(runner.setSink(sink)) {}
    ~SinkSwap() { mRunner.setSink(mPrevious); }
    SinkSwap(const SinkSwap &) = delete;
    SinkSwap &operator=(const SinkSwap &) = delete;

private:
    AstrologRunner &mRunner;
    MessageSink &mPrevious;
};

} // namespace

Status BatchConvert(Calculator &calculator, const QString &inputName, const QString &outputName,
                    const QString &folder, Calculator::Output view, qint64 *convertedLines)
{
    if (convertedLines)
        *convertedLines = 0;
    const auto resolved = [&folder](const QString &name) {
        return folder.isEmpty() || QDir::isAbsolutePath(name) ? name : QDir(folder).filePath(name);
    };
    const QString inputPath = resolved(inputName);
    const QString outputPath = resolved(outputName);
    const QString cannotOpen = QCoreApplication::translate("Messages", "Cannot open file %1").arg(inputName);
    // Each message about a line names it, and the file, after the message's own text.
    const QString shownInput = QFileInfo(inputName).fileName();
    qint64 lineNumber = 0;
    const auto atLine = [&](const QString &message) {
        return Status::failure(QCoreApplication::translate("Messages", "%1 (line %2 of %3)")
                                   .arg(message)
                                   .arg(lineNumber)
                                   .arg(shownInput));
    };

    QFile stream(inputPath);
    if (QFileInfo(inputPath).isDir() || !stream.open(QIODevice::ReadOnly))
        return Status::failure(cannotOpen);
    QTemporaryFile spooled;
    QFile *inputFile = &stream;
    if (stream.isSequential()) {
        qint64 tooLong = 0;
        if (!spooled.open() || !spoolStream(stream, spooled, &tooLong)) {
            if (tooLong == 0)
                return Status::failure(cannotOpen);
            lineNumber = tooLong;
            return atLine(QCoreApplication::translate("Messages", "The line is longer than %1 characters")
                              .arg(LongestLine));
        }
        inputFile = &spooled;
    }
    QFile &input = *inputFile;
    const InputFacts facts = examineInput(input);
    if (!input.seek(0))
        return Status::failure(cannotOpen);

    TSettings &settings = calculator.settings();
    const LocaleFacts &locale = calculator.locale();
    CalcHost &host = calculator.host();
    AstrologRunner &runner = calculator.astrocalls().runner();
    const LocationGuard guard(settings);
    CollectingSink engineMessages;
    const SinkSwap swap(runner, engineMessages);

    // Output lines go into a temporary file beside the target, which replaces the target only
    // at the end; a run that fails leaves nothing behind. Failing here, before the first line,
    // spares a long run whose result could not be kept. A device or a pipe is opened first and
    // written into only when every line has been converted.
    OutputFile output(outputPath, outputName);
    if (Status status = output.open(); !status)
        return status;

    Status failure;
    bool tooLong = false;
    const bool converted = forEachLine(
        input, facts.encoding,
        [&](const QString &line) {
            ++lineNumber;
            const QStringList fields = splitBatchFields(line);
            const int count = int(fields.size());
            // Fields are taken in the order 2, 3, 4, 5, 6; the first one missing is named.
            if (count < 3) {
                failure = atLine(outOfBounds(2));
                return false;
            }
            const std::optional<QDate> date = locale.parseShortDate(fields[2]);
            if (!date) {
                failure = atLine(QCoreApplication::translate("Messages", "'%1' is not a valid date")
                                     .arg(fieldForMessage(fields[2])));
                return false;
            }
            if (date->year() < FirstChartYear || date->year() > LastChartYear) {
                failure = atLine(QCoreApplication::translate(
                                     "Messages", "'%1' is outside the years %2 to %3 that Orlam can chart")
                                     .arg(fieldForMessage(fields[2]))
                                     .arg(FirstChartYear)
                                     .arg(LastChartYear));
                return false;
            }
            // Each picker takes its value as soon as it is converted, so a line that fails later
            // leaves them showing as much of it as was read.
            host.setPickers(clockTime(*date, host.datePickerValue().time()), host.timePickerValue());
            if (count < 4) {
                failure = atLine(outOfBounds(count));
                return false;
            }
            const std::optional<QTime> time = locale.parseTime(fields[3]);
            if (!time) {
                failure = atLine(QCoreApplication::translate("Messages", "'%1' is not a valid time")
                                     .arg(fieldForMessage(fields[3])));
                return false;
            }
            // The date picker takes the line's time of day as well: the daylight test of the job
            // then looks at the moment being converted, not at whatever the picker held before.
            host.setPickers(clockTime(*date, *time), *time);
            if (count < FieldCount) {
                failure = atLine(outOfBounds(count));
                return false;
            }
            settings.TimeZone = fields[4];
            // The line names its own zone. Settings that follow the computer's zone (as a first
            // start leaves them) would put every line in that zone instead, whatever it says.
            if (settings.TimeMode == 2)
                settings.TimeMode = 0;
            settings.Longitude = fields[5];
            settings.Latitude = fields[6];

            const int failedRuns = runner.failedRuns();
            if (const Status status = calculator.calculate(view); !status) {
                failure = atLine(status.message);
                return false;
            }
            // A line the engine could not chart would be written without its Sun and Moon.
            if (runner.failedRuns() != failedRuns) {
                failure = atLine(runner.lastFailure());
                return false;
            }
            // So would one whose chart, although the engine said it was done, lacks either:
            // no report, a damaged one, or someone else's file.
            if (!calculator.lastChart.isComplete()) {
                failure =
                    atLine(QCoreApplication::translate(
                               "Messages", "The ephemeris program left no chart with the Sun and the Moon "
                                           "in %1")
                               .arg(QLatin1String(ChartFileName)));
                return false;
            }

            QString out;
            for (int i = 0; i < FieldCount; ++i)
                out += fields[i] + QLatin1Char(',');
            const DateTexts &texts = calculator.texts;
            for (const QString *part :
                 {&texts.EraYear, &texts.SunPosition, &texts.MoonPosition, &texts.DayName})
                out += *part + QLatin1Char(',');
            out += QLatin1String("\r\n");
            const QByteArray bytes = facts.utf8Output ? out.toUtf8() : westernOutput(out);
            if (!output.write(bytes)) {
                failure = output.failure();
                return false;
            }
            return true;
        },
        &tooLong);
    if (!converted) {
        output.cancel();
        if (tooLong) {
            ++lineNumber;
            return atLine(QCoreApplication::translate("Messages", "The line is longer than %1 characters")
                              .arg(LongestLine));
        }
        return failure.ok ? Status::failure(cannotOpen) : failure;
    }
    if (Status committed = output.commit(); !committed)
        return committed;
    if (convertedLines)
        *convertedLines = lineNumber;
    return Status::success();
}

} // namespace orlam
