#include "common/westerntext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orlam;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(WesternText, EveryByteButNoBreakSpaceSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QByteArray back = toWestern(fromWestern(all));
    ASSERT_EQ(back.size(), 256);
    for (int b = 0; b < 256; ++b) {
        // A no-break space is written as a plain one by design (locale data uses it before AM/PM).
        const int expected = b == 0xA0 ? 0x20 : b;
        EXPECT_EQ(static_cast<unsigned char>(back.at(b)), expected) << "byte " << b;
    }
}

TEST(WesternText, KnownCharacters)
{
    EXPECT_EQ(toWestern(QStringLiteral("24\u00b0 Gemini")), QByteArray("24\xb0 Gemini"));
    EXPECT_EQ(toWestern(QStringLiteral("Dies Lun\u00e6")), QByteArray("Dies Lun\xe6"));
    EXPECT_EQ(toWestern(QStringLiteral("\u20ac \u2019 \u0178")), QByteArray("\x80 \x92 \x9f"));
    EXPECT_EQ(fromWestern(QByteArray("\x80\x92\xe6")), QStringLiteral("\u20ac\u2019\u00e6"));
    EXPECT_EQ(toWestern(QStringLiteral("2:30\u202fPM \u4e00")), QByteArray("2:30 PM ?"));
    EXPECT_TRUE(isWesternRepresentable(QStringLiteral("Montag, 15. Juni \u00e6\u00b0\u20ac")));
    EXPECT_FALSE(isWesternRepresentable(QStringLiteral("\u0438\u044e\u043d\u044f")));
}

TEST(WesternText, PlainTextReplacesWhatTheCodePageLacksBySpaces)
{
    EXPECT_EQ(westernPlain(QStringLiteral("2:30\u202fPM")), QStringLiteral("2:30 PM"));
    EXPECT_EQ(westernPlain(QStringLiteral("15.\u00a0Juni")), QStringLiteral("15. Juni"));
    EXPECT_EQ(westernPlain(QStringLiteral("M\u00e4rz \u00b0")), QStringLiteral("M\u00e4rz \u00b0"));
    EXPECT_EQ(westernPlain(QStringLiteral("6\u6708")), QStringLiteral("6 "));
}

TEST(WesternText, LineSplitting)
{
    struct Row {
        const char *name;
        QString text;
        QStringList lines;
    };
    const Row rows[] = {
        {"crlf", QStringLiteral("a\r\nb\r\n"), {"a", "b"}},
        {"lf", QStringLiteral("a\nb\n"), {"a", "b"}},
        {"cr", QStringLiteral("a\rb\r"), {"a", "b"}},
        {"mixed", QStringLiteral("a\r\nb\nc\rd"), {"a", "b", "c", "d"}},
        {"no final break", QStringLiteral("a\r\nb"), {"a", "b"}},
        {"empty lines kept", QStringLiteral("a\r\n\r\n\nb\r\n"), {"a", "", "", "b"}},
        {"lf cr is two breaks", QStringLiteral("a\n\rb"), {"a", "", "b"}},
        {"empty text", QString(), {}},
        {"one empty line", QStringLiteral("\r\n"), {""}},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(splitLines(row.text), row.lines) << row.name;
        QList<QByteArray> bytes;
        for (const QString &l : row.lines)
            bytes.append(l.toLatin1());
        EXPECT_EQ(splitByteLines(row.text.toLatin1()), bytes) << row.name;
    }
}

TEST(WesternText, ByteLinesKeepEveryByteOfALine)
{
    const QByteArray raw("x\xa0y\x81\0z\r\n\xff", 9);
    const QList<QByteArray> lines = splitByteLines(raw);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0), QByteArray("x\xa0y\x81\0z", 6));
    EXPECT_EQ(lines.at(1), QByteArray("\xff"));
}

TEST(WesternText, JoinWritesCrLfAfterEveryLine)
{
    EXPECT_EQ(joinCrLf({QStringLiteral("An v12"), QString(), QStringLiteral("Sol 24\u00b0")}),
              QByteArray("An v12\r\n\r\nSol 24\xb0\r\n"));
    EXPECT_EQ(joinCrLf({}), QByteArray());
}

TEST(WesternText, FilesReadAndWrittenWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("td.txt"));
    ASSERT_TRUE(writeFileAtomically(path, QByteArray("one\r\ntwo \xe6\ntri")).ok);
    QStringList lines;
    ASSERT_TRUE(readWesternLines(path, &lines).ok);
    EXPECT_EQ(lines, QStringList({"one", "two \u00e6", "tri"}));
    // A second write replaces the whole file, leaving no temporary behind.
    ASSERT_TRUE(writeFileAtomically(path, QByteArray("new\r\n")).ok);
    EXPECT_EQ(readAll(path), QByteArray("new\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"td.txt"}));

    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    const Status st = readWesternLines(missing, &lines);
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(st.message, QStringLiteral("Cannot open file ") + missing);
}

TEST(WesternText, FailedWriteNamesThePathAndCreatesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A path below a regular file cannot be created, whoever runs the test.
    const QString blocker = dir.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(writeFileAtomically(blocker, QByteArray("keep")).ok);
    const QString path = blocker + QStringLiteral("/out.txt");
    const Status st = writeFileAtomically(path, QByteArray("x"), QStringLiteral("Unable to write to %1"));
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(st.message, QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(readAll(blocker), QByteArray("keep"));
}

// A report is read whole up to the limit, and refused one byte past it; what is not a report
// file gives no lines and no failure.
TEST(WesternText, ReportsAreReadUpToTheLimit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray atLimit = QByteArray("Sun\r\n").append(LargestReportBytes - 7, 'x').append("\r\n");
    struct Row {
        const char *name;
        std::optional<QByteArray> content; // none: no file of that name
        bool ok;
        std::optional<QStringList> lines;
    };
    const Row rows[] = {
        {"missing", std::nullopt, true, std::nullopt},
        {"empty", QByteArray(), true, QStringList()},
        {"short", QByteArray("Sun 24\xb0 Gem\r\nMoon"), true, QStringList({"Sun 24\u00b0 Gem", "Moon"})},
        {"at the limit", atLimit, true,
         QStringList({"Sun", QString(LargestReportBytes - 7, QLatin1Char('x'))})},
        {"a byte past it", QByteArray(atLimit).append('!'), false, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath(QStringLiteral("chart.txt"));
        QFile::remove(path);
        if (row.content) {
            ASSERT_TRUE(writeFileAtomically(path, *row.content).ok);
        }
        std::optional<QStringList> lines = QStringList{QStringLiteral("stale")};
        const Status status = readReportLines(path, &lines, QStringLiteral("chart.txt"));
        EXPECT_EQ(status.ok, row.ok);
        if (!row.ok) {
            EXPECT_TRUE(status.message.startsWith(QStringLiteral("The report chart.txt is larger than 4 MB")))
                << status.message.toStdString();
        }
        EXPECT_EQ(lines, row.lines);
    }
    // A folder under a report's name is no report either.
    std::optional<QStringList> lines;
    EXPECT_TRUE(readReportLines(dir.path(), &lines).ok);
    EXPECT_FALSE(lines.has_value());
}
