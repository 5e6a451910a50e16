#include "../thelemic/calctestsupport.h"

#include "reports/batch.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace orlam {
namespace {

using test::CalcRig;
using test::readBytes;
using test::writeBytes;

const QByteArray GoodLine = "id1,Minneapolis,6/15/2026,14:30,6,93W21,45N05\r\n";
const QByteArray GoodOutput =
    "id1,Minneapolis,6/15/2026,14:30,6,93W21,45N05,v12,24\xB0 Gemini, 5\xB0 Leo,Lun\xE6,\r\n";

TEST(BatchFields, SplittingRule)
{
    struct Case {
        const char *name;
        QString line;
        QStringList fields;
    };
    const Case cases[] = {
        {"commas", QStringLiteral("a,b,c"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"blanks separate",
         QStringLiteral("a b \t c"),
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"leading blanks", QStringLiteral("   a"), {QStringLiteral("a")}},
        {"blank before comma", QStringLiteral("a , b"), {QStringLiteral("a"), QStringLiteral("b")}},
        {"two commas", QStringLiteral("a,,b"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"trailing comma", QStringLiteral("a,b,"), {QStringLiteral("a"), QStringLiteral("b"), QString()}},
        {"lone comma", QStringLiteral(","), {QString(), QString()}},
        {"quoted comma",
         QStringLiteral("\"Paris, France\",x"),
         {QStringLiteral("Paris, France"), QStringLiteral("x")}},
        {"doubled quotes", QStringLiteral("\"say \"\"hi\"\"\""), {QStringLiteral("say \"hi\"")}},
        {"unclosed quote", QStringLiteral("\"2:30 PM,6"), {QStringLiteral("2:30 PM,6")}},
        {"quote then text", QStringLiteral("\"a\"b"), {QStringLiteral("a"), QStringLiteral("b")}},
        {"empty quotes", QStringLiteral("\"\",x"), {QString(), QStringLiteral("x")}},
        {"unquoted designator splits",
         QStringLiteral("2:30 PM"),
         {QStringLiteral("2:30"), QStringLiteral("PM")}},
        {"high characters belong",
         QStringLiteral(u"Z\u00FCrich,\u0141\u00F3d\u017A"),
         {QStringLiteral(u"Z\u00FCrich"), QStringLiteral(u"\u0141\u00F3d\u017A")}},
        {"NUL ends the line", QStringLiteral("a") + QChar(0) + QStringLiteral("b,c"), {QStringLiteral("a")}},
        {"empty line", QString(), {}},
        {"blank line", QStringLiteral(" \t "), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(splitBatchFields(c.line), c.fields) << c.name;
}

TEST(BatchFields, AnyLineEndsWithBoundedFields)
{
    // Every mixture of quotes, commas, blanks, controls and NULs ends, and never yields more
    // fields than the line has characters plus one.
    const char16_t alphabet[] = {u',', u'"', u' ', u'\t', u'a', u'\0', u'\u00E9', u'\x01'};
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 16;
    };
    for (int round = 0; round < 5000; ++round) {
        QString line;
        const int length = int(next() % 24);
        for (int i = 0; i < length; ++i)
            line += QChar(alphabet[next() % std::size(alphabet)]);
        EXPECT_LE(splitBatchFields(line).size(), line.size() + 1) << round;
    }
}

class Batch : public ::testing::Test {
protected:
    QString input() const { return rig.work.filePath(QStringLiteral("in.txt")); }
    QString output() const { return rig.work.filePath(QStringLiteral("out.txt")); }
    Status convert(const QByteArray &bytes)
    {
        writeBytes(input(), bytes);
        return BatchConvert(rig.calc, input(), output());
    }

    CalcRig rig;
};

TEST_F(Batch, ConvertsEveryLineAndRestoresTheLocation)
{
    const QByteArray in = GoodLine +
                          "\"id 2\",\"Two words\",6/16/2026,\"2:30 PM\",5,90W00,40N00,extra,fields\n" +
                          "id3,x,1/2/2026,14:30:15,6,93W21,45N05";
    ASSERT_TRUE(convert(in));
    EXPECT_EQ(readBytes(output()).toStdString(),
              (GoodOutput +
               "id 2,Two words,6/16/2026,2:30 PM,5,90W00,40N00,v12,24\xB0 Gemini, 5\xB0 Leo,Mart"
               "is,\r\n" +
               "id3,x,1/2/2026,14:30:15,6,93W21,45N05,v11,24\xB0 Gemini, 5\xB0 Leo,Veneris,\r\n")
                  .toStdString());
    EXPECT_EQ(rig.settings.TimeZone, QStringLiteral("6"));
    EXPECT_EQ(rig.settings.Longitude, QStringLiteral("93W21"));
    EXPECT_EQ(rig.settings.Latitude, QStringLiteral("45N05"));
    // The pickers hold the last line; the jobs saw every line's own moment and place.
    EXPECT_EQ(rig.host.pickerDate.date(), QDate(2026, 1, 2));
    EXPECT_EQ(rig.host.pickerTime, QTime(14, 30, 15));
    EXPECT_EQ(rig.engine.jobs(),
              QStringList({QStringLiteral("chart.txt|6 15 2026 14:30PM ST 6 93W21 45N05"),
                           QStringLiteral("chart.txt|6 16 2026 14:30PM ST 5 90W00 40N00"),
                           QStringLiteral("chart.txt|1 2 2026 14:30PM ST 6 93W21 45N05")}));
    EXPECT_TRUE(rig.host.viewHistory.isEmpty());
}

TEST_F(Batch, UnquotedDesignatorShiftsTheLaterFields)
{
    ASSERT_TRUE(convert("id1,x,6/15/2026,2:30 PM,6,93W21,45N05\r\n"));
    EXPECT_TRUE(readBytes(output()).startsWith("id1,x,6/15/2026,2:30,PM,6,93W21,v12,"));
    EXPECT_EQ(rig.engine.jobs(), QStringList({QStringLiteral("chart.txt|6 15 2026 2:30AM ST PM 6 93W21")}));
}

TEST_F(Batch, OutputMayReplaceItsInput)
{
    writeBytes(input(), GoodLine + GoodLine);
    ASSERT_TRUE(BatchConvert(rig.calc, input(), input()));
    EXPECT_EQ(readBytes(input()), GoodOutput + GoodOutput);
}

TEST_F(Batch, EmptyInputGivesAnEmptyOutput)
{
    writeBytes(output(), "old contents\r\n");
    ASSERT_TRUE(convert(QByteArray()));
    EXPECT_TRUE(QFile::exists(output()));
    EXPECT_EQ(readBytes(output()), QByteArray());
}

TEST_F(Batch, FailuresNameTheirCauseAndWriteNothing)
{
    struct Case {
        const char *name;
        QByteArray line;
        QString message;
    };
    const Case cases[] = {
        {"blank line", "\r\n", QStringLiteral("List index out of bounds (2)")},
        {"one field", "id1\r\n", QStringLiteral("List index out of bounds (2)")},
        {"two fields", "id1,x\r\n", QStringLiteral("List index out of bounds (2)")},
        {"three fields", "id1,x,6/15/2026\r\n", QStringLiteral("List index out of bounds (3)")},
        {"three fields, bad date first", "id1,x,junk\r\n", QStringLiteral("'junk' is not a valid date")},
        {"four fields", "id1,x,6/15/2026,14:30\r\n", QStringLiteral("List index out of bounds (4)")},
        {"four fields, bad time first", "id1,x,6/15/2026,noon\r\n",
         QStringLiteral("'noon' is not a valid time")},
        {"six fields", "id1,x,6/15/2026,14:30,6,93W21\r\n", QStringLiteral("List index out of bounds (6)")},
        {"no such day", "id1,x,2/30/2026,14:30,6,93W21,45N05\r\n",
         QStringLiteral("'2/30/2026' is not a valid date")},
        {"no such hour", "id1,x,6/15/2026,25:00,6,93W21,45N05\r\n",
         QStringLiteral("'25:00' is not a valid time")},
        {"unclosed quote", "id1,\"Paris, 6/15/2026,14:30,6,93W21,45N05\r\n",
         QStringLiteral("List index out of bounds (2)")},
        {"control character in a place", "id1,x,6/15/2026,14:30,6,\"93\tW21\",45N05\r\n", QString()},
    };
    for (const Case &c : cases) {
        writeBytes(output(), "keep me\r\n");
        rig.engine.clearJobs();
        const Status status = convert(GoodLine + c.line + GoodLine);
        EXPECT_FALSE(status) << c.name;
        // Every message about a line ends by naming the line and the file.
        if (!c.message.isEmpty())
            EXPECT_EQ(status.message, c.message + QStringLiteral(" (line 2 of in.txt)")) << c.name;
        else
            EXPECT_TRUE(status.message.endsWith(QStringLiteral(" (line 2 of in.txt)"))) << c.name;
        EXPECT_EQ(readBytes(output()), QByteArray("keep me\r\n")) << c.name;
        EXPECT_EQ(QDir(rig.work.path()).entryList({QStringLiteral("out.txt*")}, QDir::Files | QDir::Hidden),
                  QStringList({QStringLiteral("out.txt")}))
            << c.name;
        EXPECT_EQ(rig.settings.Longitude, QStringLiteral("93W21")) << c.name;
        EXPECT_EQ(rig.engine.jobs().size(), 1) << c.name; // the line after the failure never ran
    }
}

TEST_F(Batch, FailingLineLeavesThePickersAtWhatItRead)
{
    // The pickers follow the conversion field by field: the date as soon as it reads, the time
    // after it; what a failing line did not reach stays as the line before left it.
    struct Case {
        const char *name;
        QByteArray line;
        QDate date;
        QTime time;
    };
    const Case cases[] = {
        {"bad date", "id2,x,junk,09:15,5,90W00,40N00\r\n", QDate(2026, 6, 15), QTime(14, 30)},
        {"three fields", "id2,x,7/4/2026\r\n", QDate(2026, 7, 4), QTime(14, 30)},
        {"bad time", "id2,x,7/4/2026,noon,5,90W00,40N00\r\n", QDate(2026, 7, 4), QTime(14, 30)},
        {"six fields", "id2,x,7/4/2026,09:15,5,90W00\r\n", QDate(2026, 7, 4), QTime(9, 15)},
    };
    for (const Case &c : cases) {
        EXPECT_FALSE(convert(GoodLine + c.line)) << c.name;
        EXPECT_EQ(rig.host.pickerDate.date(), c.date) << c.name;
        EXPECT_EQ(rig.host.pickerTime, c.time) << c.name;
    }
}

TEST_F(Batch, ByteCutOffAtTheEndIsKeptAsWesternText)
{
    // A Western file whose very last byte is the lead byte of a UTF-8 sequence ("\xE9", e with
    // an acute accent) is not UTF-8: read as UTF-8, that byte would silently vanish.
    ASSERT_TRUE(convert("id1,x,6/15/2026,14:30,6,93W21,45N05\xE9"));
    EXPECT_TRUE(readBytes(output()).startsWith("id1,x,6/15/2026,14:30,6,93W21,45N05\xE9,v12,24\xB0 Gemini,"))
        << readBytes(output()).toStdString();
}

TEST_F(Batch, MissingInputAndUncreatableOutput)
{
    const QString missing = rig.work.filePath(QStringLiteral("nowhere.txt"));
    Status status = BatchConvert(rig.calc, missing, output());
    EXPECT_EQ(status.message, QStringLiteral("Cannot open file ") + missing);
    EXPECT_FALSE(QFile::exists(output()));

    writeBytes(input(), GoodLine);
    const QString noFolder = rig.work.filePath(QStringLiteral("no/such/folder/out.txt"));
    status = BatchConvert(rig.calc, input(), noFolder);
    EXPECT_EQ(status.message, QStringLiteral("Cannot create file ") + noFolder);
    EXPECT_EQ(rig.settings.TimeZone, QStringLiteral("6"));
}

TEST_F(Batch, BinaryInputEndsInAMessage)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) & 0xFF));
    const Status status = convert(binary);
    EXPECT_FALSE(status);
    EXPECT_FALSE(status.message.isEmpty());
    EXPECT_FALSE(QFile::exists(output()));
}

TEST_F(Batch, HugeFieldIsCopiedWhole)
{
    const QByteArray big(1024 * 1024, 'x');
    ASSERT_TRUE(convert(big + ",name,6/15/2026,14:30,6,93W21,45N05\n"));
    const QByteArray out = readBytes(output());
    EXPECT_EQ(out.size(), big.size() + GoodOutput.size() - QByteArray("id1Minneapolis").size() +
                              QByteArray("name").size());
    EXPECT_TRUE(out.startsWith(big + ",name,"));
}

TEST_F(Batch, HugeDateFieldGivesAReadableMessage)
{
    const QByteArray big(1024 * 1024, '7');
    const Status status = convert("id1,x," + big + ",14:30,6,93W21,45N05\n");
    EXPECT_EQ(status.message, QLatin1Char('\'') + QString(80, QLatin1Char('7')) +
                                  QStringLiteral("...' is not a valid date (line 1 of in.txt)"));
    EXPECT_FALSE(QFile::exists(output()));
}

TEST_F(Batch, LineEndsOfEveryKind)
{
    ASSERT_TRUE(convert("a,x,6/15/2026,14:30,6,93W21,45N05\rb,x,6/15/2026,14:30,6,93W21,45N05\n"
                        "c,x,6/15/2026,14:30,6,93W21,45N05\r\n"));
    const QList<QByteArray> lines = readBytes(output()).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("a,") && lines[1].startsWith("b,") && lines[2].startsWith("c,"));
    EXPECT_TRUE(lines[3].isEmpty());
}

TEST_F(Batch, LineEndAcrossAReadChunk)
{
    // The CR of the first line is the last byte of the first 64 KiB read, its LF the first of
    // the next: one line end, not two.
    const QByteArray rest = ",name,6/15/2026,14:30,6,93W21,45N05";
    const QByteArray first = QByteArray(65535 - rest.size(), 'y') + rest;
    ASSERT_TRUE(convert(first + "\r\n" + GoodLine));
    const QList<QByteArray> lines = readBytes(output()).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("id1,"));
}

TEST_F(Batch, EncodingFollowsTheInput)
{
    struct Case {
        const char *name;
        QByteArray field;
        QByteArray written;
    };
    // A UTF-8 file is answered in UTF-8; a Western file and plain ASCII keep the Western output
    // that stored files and their readers expect.
    const Case cases[] = {
        {"western input stays western", "Z\xFCrich", "Z\xFCrich"},
        {"plain ascii stays western", "Zurich", "Zurich"},
        {"western that is almost utf-8 stays western", "Z\xC3rich", "Z\xC3rich"},
        {"utf-8 that western can hold is utf-8", "Z\xC3\xBCrich", "Z\xC3\xBCrich"},
        {"utf-8 with a byte order mark is utf-8", "\xEF\xBB\xBFZ\xC3\xBCrich", "Z\xC3\xBCrich"},
        {"western no-break space is kept", "Saint\xA0Paul", "Saint\xA0Paul"},
        {"utf-8 no-break space is utf-8", "Saint\xC2\xA0Paul", "Saint\xC2\xA0Paul"},
        {"utf-8 beyond western is utf-8", "\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xC5\x81\xC3\xB3\x64\xC5\xBA"},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(convert(c.field + ",x,6/15/2026,14:30,6,93W21,45N05\r\n")) << c.name;
        const QByteArray out = readBytes(output());
        EXPECT_TRUE(out.startsWith(c.written + ",x,")) << c.name;
        const bool utf8 = QByteArray(c.name).endsWith("utf-8");
        EXPECT_TRUE(out.contains(utf8 ? QByteArray("24\xC2\xB0 Gemini") : QByteArray("24\xB0 Gemini")))
            << c.name;
    }
}

TEST_F(Batch, FailedEngineRunStopsTheRunAtItsLine)
{
    // Each way the engine can fail: a line charted without its Sun and Moon is no result.
    struct Case {
        const char *name;
        QByteArray script; // empty: no such program
        QString cause;
    };
    const Case cases[] = {
        {"non-zero exit", "#!/bin/sh\necho 'zone \"six\" is not hours west' >&2\nexit 2\n",
         QStringLiteral("Astrolog return code 2: zone \"six\" is not hours west")},
        {"crash", "#!/bin/sh\nkill -SEGV $$\n", QStringLiteral("Error executing Astrolog")},
        {"missing", QByteArray(), QStringLiteral("Cannot start the ephemeris program")},
    };
    for (const Case &c : cases) {
        const QString program = rig.work.filePath(QStringLiteral("engine-") + QLatin1String(c.name).left(4));
        if (!c.script.isEmpty()) {
            writeBytes(program, c.script);
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        writeBytes(output(), "keep me\r\n");
        rig.host.messages.clear();
        // The first line goes through the working engine, the second meets the broken one.
        writeBytes(input(), GoodLine + GoodLine);
        int runs = 0;
        const QString working = rig.engine.program();
        rig.host.onSetPickers = [&] {
            if (++runs == 3) // the second line's pickers: from here on the engine fails
                rig.runner.setProgram(program);
        };
        const Status status = BatchConvert(rig.calc, input(), output());
        rig.host.onSetPickers = nullptr;
        rig.runner.setProgram(working);
        EXPECT_FALSE(status) << c.name;
        EXPECT_TRUE(status.message.startsWith(c.cause)) << c.name << ": " << status.message.toStdString();
        EXPECT_TRUE(status.message.endsWith(QStringLiteral(" (line 2 of in.txt)"))) << c.name;
        // One message, the batch's own; the runner's went into it.
        EXPECT_TRUE(rig.host.messages.isEmpty()) << c.name;
        EXPECT_EQ(readBytes(output()), QByteArray("keep me\r\n")) << c.name;
    }
}

TEST_F(Batch, DatesTheEngineChartsAndNoOthers)
{
    ASSERT_TRUE(convert("a,x,1/1/1000,00:00,6,93W21,45N05\r\nb,x,12/31/2999,23:59,6,93W21,45N05\r\n"));
    EXPECT_EQ(rig.engine.jobs(),
              QStringList({QStringLiteral("chart.txt|1 1 1000 0:00AM ST 6 93W21 45N05"),
                           QStringLiteral("chart.txt|12 31 2999 23:59PM ST 6 93W21 45N05")}));
    for (const char *date : {"12/31/999", "1/1/3000"}) {
        rig.engine.clearJobs();
        const Status status = convert(GoodLine + "b,x," + date + ",12:00,6,93W21,45N05\r\n");
        EXPECT_EQ(status.message,
                  QStringLiteral("'%1' is outside the years 1000 to 2999 that Orlam can chart "
                                 "(line 2 of in.txt)")
                      .arg(QLatin1String(date)));
        EXPECT_EQ(rig.engine.jobs().size(), 1) << date;
    }
}

TEST_F(Batch, NamesAreTakenFromTheGivenFolder)
{
    QTemporaryDir user;
    writeBytes(user.filePath(QStringLiteral("moments.csv")), GoodLine);
    ASSERT_TRUE(
        BatchConvert(rig.calc, QStringLiteral("moments.csv"), QStringLiteral("dates.csv"), user.path()));
    EXPECT_EQ(readBytes(user.filePath(QStringLiteral("dates.csv"))), GoodOutput);
    // The work folder, the current one, holds only the program's own files.
    EXPECT_FALSE(QFile::exists(rig.work.filePath(QStringLiteral("dates.csv"))));
    const Status missing =
        BatchConvert(rig.calc, QStringLiteral("none.csv"), QStringLiteral("x.csv"), user.path());
    EXPECT_EQ(missing.message, QStringLiteral("Cannot open file none.csv"));
}

// A named pipe that a shell fills with `bytes` (or reads into a file) while the batch runs.
class PipeEnd {
public:
    PipeEnd(const QString &fifo, const QByteArray &command)
    {
        EXPECT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        mShell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(command)});
        EXPECT_TRUE(mShell.waitForStarted());
    }
    ~PipeEnd()
    {
        if (!mShell.waitForFinished(5000))
            mShell.kill();
    }
    bool finish() { return mShell.waitForFinished(5000) && mShell.exitCode() == 0; }

private:
    QProcess mShell;
};

TEST_F(Batch, PipesAreReadAndWrittenAsStreams)
{
    const QString from = rig.work.filePath(QStringLiteral("from-pipe"));
    const QString to = rig.work.filePath(QStringLiteral("to-pipe"));
    const QString caught = rig.work.filePath(QStringLiteral("caught.txt"));
    writeBytes(input(), GoodLine + GoodLine);
    PipeEnd writer(from, "cat '" + input().toUtf8() + "' > '" + from.toUtf8() + "'");
    PipeEnd reader(to, "cat '" + to.toUtf8() + "' > '" + caught.toUtf8() + "'");
    ASSERT_TRUE(BatchConvert(rig.calc, from, to));
    EXPECT_TRUE(writer.finish());
    EXPECT_TRUE(reader.finish());
    EXPECT_EQ(readBytes(caught), GoodOutput + GoodOutput);
    // The pipe is still a pipe: it was written into, not replaced by a file.
    EXPECT_TRUE(QFileInfo(to).exists() && !QFileInfo(to).isFile());
}

TEST_F(Batch, PlainFileUnderDevIsReplacedAsAnyOther)
{
    // Only devices, pipes and the program's own open files are written into; a plain file in a
    // memory file system is replaced whole, not appended to.
    const QString shm = QStringLiteral("/dev/shm");
    if (!QFileInfo(shm).isDir())
        GTEST_SKIP() << "no /dev/shm";
    QTemporaryDir dir(shm + QStringLiteral("/orlam-test-XXXXXX"));
    const QString target = dir.filePath(QStringLiteral("out.csv"));
    writeBytes(target, "old contents\r\n");
    writeBytes(input(), GoodLine);
    ASSERT_TRUE(BatchConvert(rig.calc, input(), target));
    EXPECT_EQ(readBytes(target), GoodOutput);
}

TEST_F(Batch, EndlessInputEndsInAMessage)
{
    const Status status = BatchConvert(rig.calc, QStringLiteral("/dev/zero"), output());
    EXPECT_EQ(status.message, QStringLiteral("The line is longer than 16777216 characters (line 1 of zero)"));
    EXPECT_FALSE(QFile::exists(output()));
}

} // namespace
} // namespace orlam
