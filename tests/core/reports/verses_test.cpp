// Verse drawing: the generator pinned with computed vectors, the verse file's odd shapes and
// encodings, and the texts of the greetings and the "Date" balloon.

#include "coretestsupport.h"

#include "common/westerntext.h"
#include "reports/verses.h"

#include <QDir>
#include <QFile>

namespace orlam {
namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Vectors computed apart from the program: seed = milliseconds of the UTC day; one step
// seed * 134775813 + 1 mod 2^32; index = (seed * n) >> 32.
struct SeedRow {
    const char *name;
    QTime utc;
    int n;
    std::uint32_t seed;
    std::uint32_t advanced;
    int index;
};

TEST(VerseGenerator, ComputedVectors)
{
    const SeedRow rows[] = {
        {"midnight", QTime(0, 0), 10, 0u, 1u, 0},
        {"afternoon", QTime(14, 30, 5, 123), 10, 52205123u, 2535553872u, 5},
        {"last millisecond", QTime(23, 59, 59, 999), 7, 86399999u, 3106359292u, 5},
        {"noon, a thousand verses", QTime(12, 0), 1000, 43200000u, 1620567553u, 377},
        {"morning, three verses", QTime(6, 15, 42, 7), 3, 22542007u, 3483774356u, 2},
        {"largest list", QTime(23, 59, 59, 999), 2147483647, 86399999u, 3106359292u, 1553179645},
    };
    for (const SeedRow &row : rows) {
        SCOPED_TRACE(row.name);
        std::uint32_t seed = verseSeed(row.utc);
        EXPECT_EQ(seed, row.seed);
        EXPECT_EQ(drawVerseIndex(seed, row.n), row.index);
        EXPECT_EQ(seed, row.advanced);
    }
}

TEST(PickVerse, DrawsTheComputedLineOfTheFile)
{
    test::ScopedWorkDir work;
    QByteArray bytes;
    for (int i = 0; i < 10; ++i)
        bytes += "verse " + QByteArray::number(i) + "\r\n";
    writeFile(work.filePath(QStringLiteral("verses.txt")), bytes);
    const VersePick pick = PickVerse(work.filePath(QStringLiteral("verses.txt")), 52205123u);
    ASSERT_TRUE(pick.status);
    ASSERT_TRUE(pick.found);
    EXPECT_EQ(pick.verse, QStringLiteral("verse 5"));
}

struct FileRow {
    const char *name;
    QByteArray bytes;
    bool found;
    QString verse; // for every seed below
};

TEST(PickVerse, FileShapes)
{
    test::ScopedWorkDir work;
    const QString path = work.filePath(QStringLiteral("verses.txt"));
    const QString utf8Verse = QStringLiteral("Every man and every woman is a star \u2605 \u00e6on");
    const FileRow rows[] = {
        {"one line, no line end", "Every man and every woman is a star.", true,
         QStringLiteral("Every man and every woman is a star.")},
        {"one line with CR LF", "Every man and every woman is a star.\r\n", true,
         QStringLiteral("Every man and every woman is a star.")},
        {"only line ends", "\r\n\n\r", true, QString()},
        {"empty file", "", false, QString()},
        {"valid UTF-8", utf8Verse.toUtf8() + "\n", true, utf8Verse},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + utf8Verse.toUtf8(), true, utf8Verse},
        {"Western code page", "Sol 24\xB0 Gemini, \xE6on\r\n", true,
         QStringLiteral("Sol 24\u00b0 Gemini, \u00e6on")},
    };
    for (const FileRow &row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(path, row.bytes);
        for (const std::uint32_t seed : {0u, 52205123u, 86399999u}) {
            const VersePick pick = PickVerse(path, seed);
            EXPECT_TRUE(pick.status);
            EXPECT_EQ(pick.found, row.found);
            EXPECT_EQ(pick.verse, row.verse);
        }
    }
}

TEST(PickVerse, MissingIsSilentUnreadableIsAMessage)
{
    test::ScopedWorkDir work;
    const VersePick missing = PickVerse(work.filePath(QStringLiteral("verses.txt")), 1);
    EXPECT_TRUE(missing.status);
    EXPECT_FALSE(missing.found);

    // A folder in the file's place exists but cannot be read, even by the superuser.
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("verses.txt")));
    const VersePick unreadable = PickVerse(work.filePath(QStringLiteral("verses.txt")), 1);
    EXPECT_FALSE(unreadable.status);
    EXPECT_EQ(unreadable.status.message, QStringLiteral("Cannot open file verses.txt"));
    EXPECT_FALSE(unreadable.found);
}

TEST(Greetings, LawTextAndDateBalloon)
{
    EXPECT_EQ(lawClipboardText(), QStringLiteral("Do what thou wilt shall be the whole of the Law.\r\n"
                                                 "Love is the law, love under will."));

    const QString twoLines = QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6\n"
                                            "Monday, June 15, 2026 e.v. 2:30 PM");
    EXPECT_EQ(dateBalloonText(twoLines),
              QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM\n"
                             "An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6"));
    const QString oneLine = QStringLiteral("An v12 Sol 24\u00b0 Gemini Monday, June 15, 2026 e.v. 2:30 PM");
    EXPECT_EQ(dateBalloonText(oneLine), oneLine);
    EXPECT_EQ(dateBalloonText(QString()), QString());
}

// A balloon holds 63 characters of title and 255 of text: what is longer is cut and ends with
// "…", and a character outside the Basic Multilingual Plane is never split.
TEST(Balloon, CutTextsEndWithAnEllipsis)
{
    const QString word = QStringLiteral("verse ");
    const QString longVerse = word.repeated(60); // 360 characters
    const QString cut = balloonText(longVerse);
    EXPECT_EQ(cut.size(), BalloonTextLength);
    EXPECT_EQ(cut, longVerse.left(BalloonTextLength - 1) + QChar(0x2026));
    EXPECT_EQ(balloonText(longVerse.left(BalloonTextLength)), longVerse.left(BalloonTextLength));
    EXPECT_EQ(balloonText(QString()), QString());

    // The 254th and 255th units are the two halves of one character: both go.
    const QString face = QStringLiteral("\U0001F600");
    const QString straddling =
        QString(BalloonTextLength - 2, QLatin1Char('x')) + face + QStringLiteral("tail");
    const QString cutFace = balloonText(straddling);
    EXPECT_EQ(cutFace, QString(BalloonTextLength - 2, QLatin1Char('x')) + QChar(0x2026));
    EXPECT_FALSE(cutFace.at(cutFace.size() - 2).isHighSurrogate());

    const QString title = QStringLiteral("T").repeated(70);
    EXPECT_EQ(balloonTitle(title), title.left(BalloonTitleLength - 1) + QChar(0x2026));
    EXPECT_EQ(balloonTitle(QStringLiteral("The Book of the Law")), QStringLiteral("The Book of the Law"));
}

} // namespace
} // namespace orlam
