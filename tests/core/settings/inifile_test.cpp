#include "settings/inifile.h"

#include "ordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orlam;

namespace {

const QString Section = QStringLiteral("orlam");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class IniFileTest : public ::testing::Test {
protected:
    QString file(const QByteArray &bytes)
    {
        const QString path = mDir.filePath(QStringLiteral("Orlam.ini"));
        writeRaw(path, bytes);
        return path;
    }
    QTemporaryDir mDir;
};

} // namespace

TEST(SettingsInteger, ReadingRules)
{
    struct Row {
        const char *text;
        bool ok;
        int value;
    };
    const Row rows[] = {
        {"3", true, 3},
        {"0x3", true, 3},
        {"0X1f", true, 31},
        {"-5", true, -5},
        {"+7", true, 7},
        {"0xFFFFFFFF", true, -1},
        {"0x", false, 0},
        {"0xZZ", false, 0},
        {"0x-1", false, 0},
        {"0x123456789", false, 0},
        // Leading zeros do not count toward the 32 bits.
        {"0x000000003", true, 3},
        {"0x00000000FFFFFFFF", true, -1},
        {"0x0100000000", false, 0},
        {"abc", false, 0},
        {"", false, 0},
        {"1.5", false, 0},
        {"12abc", false, 0},
        {"99999999999", false, 0},
        {"-", false, 0},
        {"2147483647", true, 2147483647},
    };
    for (const Row &row : rows) {
        int v = 0;
        EXPECT_EQ(parseSettingsInteger(QString::fromLatin1(row.text), &v), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(v, row.value) << row.text;
        }
    }
}

TEST_F(IniFileTest, ValuesByTheReadingRules)
{
    IniFile ini(file("[orlam]\r\n"
                     "Format=0x3\r\n"
                     "Basic=letters\r\n"
                     "Lines=\r\n"
                     "Greetings=2\r\n"
                     "Quoted=yes\r\n"
                     "Longitude=\r\n"
                     "Zodiac = 1 \r\n"
                     "Latitude=\"45N05\"\r\n"
                     "Time Zone='-1'\r\n"));
    EXPECT_EQ(ini.readInteger(Section, "Format", 1), 3);
    EXPECT_EQ(ini.readInteger(Section, "Basic", 0), 0);
    EXPECT_EQ(ini.readInteger(Section, "Lines", 1), 1);
    EXPECT_EQ(ini.readInteger(Section, "Missing", 42), 42);
    EXPECT_TRUE(ini.readBool(Section, "Greetings", false));
    EXPECT_FALSE(ini.readBool(Section, "Quoted", false));
    EXPECT_TRUE(ini.readBool(Section, "Quoted", true));
    EXPECT_EQ(ini.readText(Section, "Longitude", "93W21"), QString(""));
    EXPECT_EQ(ini.readText(Section, "Missing", "93W21"), QString("93W21"));
    EXPECT_EQ(ini.readInteger(Section, "Zodiac", 0), 1);
    EXPECT_EQ(ini.readText(Section, "Latitude", ""), QString("45N05"));
    EXPECT_EQ(ini.readText(Section, "Time Zone", ""), QString("-1"));
    QString v;
    EXPECT_TRUE(ini.value(Section, "Longitude", &v));
    EXPECT_FALSE(ini.value(Section, "Missing", &v));
    EXPECT_FALSE(ini.value("other", "Longitude", &v));
}

TEST_F(IniFileTest, NamesCompareWithoutCaseAndTheFirstOccurrenceWins)
{
    IniFile ini(
        file("[Other]\nHouse System=9\n[ORLAM]\nhouse SYSTEM=5\nHouse System=6\n[orlam]\nZodiac=1\n"));
    EXPECT_EQ(ini.readInteger(Section, "House System", 0), 5);
    // Only the first section of a name is read.
    EXPECT_EQ(ini.readInteger(Section, "Zodiac", 0), 0);
}

TEST_F(IniFileTest, LineEndingsReadAlike)
{
    for (const QByteArray &bytes :
         {QByteArray("[orlam]\r\nLines=2\r\nBasic=1"), QByteArray("[orlam]\nLines=2\nBasic=1\n"),
          QByteArray("[orlam]\rLines=2\rBasic=1\r")}) {
        IniFile ini(file(bytes));
        EXPECT_EQ(ini.readInteger(Section, "Lines", 1), 2) << bytes.constData();
        EXPECT_EQ(ini.readInteger(Section, "Basic", 0), 1) << bytes.constData();
    }
}

TEST_F(IniFileTest, TextsAreCutAt2047Characters)
{
    const QByteArray longText(5000, 'x');
    IniFile ini(file("[orlam]\r\nLongitude=" + longText + "\r\nLatitude=" + QByteArray(2047, 'y') + "\r\n"));
    EXPECT_EQ(ini.readText(Section, "Longitude", ""), QString(2047, 'x'));
    EXPECT_EQ(ini.readText(Section, "Latitude", ""), QString(2047, 'y'));
}

TEST_F(IniFileTest, OneMegabyteLineIsReadAndKept)
{
    const QByteArray huge(1 << 20, 'z');
    const QString path = file("[orlam]\r\n" + huge + "\r\nNote=" + huge + "\r\nLatitude=12N00\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readText(Section, "Latitude", ""), QString("12N00"));
    EXPECT_EQ(ini.readText(Section, "Note", "").size(), 2047);
    ASSERT_TRUE(ini.write(Section, "Latitude", "13N00").ok);
    EXPECT_EQ(readAll(path), "[orlam]\r\n" + huge + "\r\nNote=" + huge + "\r\nLatitude=13N00\r\n");
}

TEST_F(IniFileTest, KeyWithoutEqualsIsNoKeyAndSurvivesWrites)
{
    const QString path = file("[orlam]\r\nHouse System\r\nZodiac=1\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(Section, "House System", 0), 0);
    EXPECT_EQ(ini.readInteger(Section, "Zodiac", 0), 1);
    ASSERT_TRUE(ini.write(Section, "House System", "3").ok);
    EXPECT_EQ(readAll(path), QByteArray("[orlam]\r\nHouse System\r\nZodiac=1\r\nHouse System=3\r\n"));
    EXPECT_EQ(ini.readInteger(Section, "House System", 0), 3);
}

TEST_F(IniFileTest, BinaryJunkReadsAsMissingAndIsNotLostByAWrite)
{
    QByteArray junk;
    quint32 x = 12345;
    for (int i = 0; i < 64 * 1024; ++i) {
        x = x * 1103515245u + 12345u;
        const char c = static_cast<char>(x >> 24);
        junk.append(c == '\r' || c == '\n' || c == '[' ? '\0' : c);
    }
    const QString path = file(junk);
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(Section, "Format", 1), 1);
    EXPECT_EQ(ini.readText(Section, "Longitude", "93W21"), QString("93W21"));
    ASSERT_TRUE(ini.write(Section, "Format", "2").ok);
    EXPECT_EQ(readAll(path), junk + "\r\n[orlam]\r\nFormat=2\r\n");
    EXPECT_EQ(ini.readInteger(Section, "Format", 1), 2);
}

TEST_F(IniFileTest, ByteOrderMarkBeforeTheFirstSectionIsKeptAndIgnored)
{
    const QString path = file("\xEF\xBB\xBF[orlam]\r\nLines=2\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(Section, "Lines", 1), 2);
    ASSERT_TRUE(ini.write(Section, {{"Lines", "0"}, {"Basic", "1"}}).ok);
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBF[orlam]\r\nLines=0\r\nBasic=1\r\n"));
}

TEST_F(IniFileTest, OnePassWritingAKeyTwiceLeavesOneLineWithTheLastValue)
{
    const QString path = file("[orlam]\r\nLines=2\r\n\r\n[next]\r\nSun=1\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.write(Section, {{"Sun", "0"}, {"Lines", "1"}, {"sun", "1"}, {"Moon", "0"}}).ok);
    EXPECT_EQ(readAll(path), QByteArray("[orlam]\r\nLines=1\r\nsun=1\r\nMoon=0\r\n\r\n[next]\r\nSun=1\r\n"));
}

TEST_F(IniFileTest, WriteEditsInPlaceKeepingEverythingElseByteForByte)
{
    const QString path = mDir.filePath(QStringLiteral("Orlam.ini"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ORLAM_TEST_DATA "/settings/inplace_before.ini"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    IniFile ini(path);
    ASSERT_TRUE(ini.write(Section, {{"Longitude", "12E30"}, {"Latitude", "50N07"}, {"Time Zone", "-1"}}).ok);
    EXPECT_EQ(readAll(path), readAll(QStringLiteral(ORLAM_TEST_DATA "/settings/inplace_after.ini")));
    EXPECT_EQ(ini.readText("other", "Longitude", ""), QString("keep me"));
    EXPECT_EQ(ini.readText(Section, "Custom Key", ""), QString("\u00e6bc"));
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndDirectory)
{
    const QString path = mDir.filePath(QStringLiteral("config/Orlam/Orlam.ini"));
    IniFile ini(path);
    ASSERT_TRUE(ini.write(Section, "Longitude", "0E00").ok);
    EXPECT_EQ(readAll(path), QByteArray("[orlam]\r\nLongitude=0E00\r\n"));

    const QString other = file("; only a comment\n[misc]\na=1");
    ASSERT_TRUE(IniFile(other).write(Section, "Lines", "0").ok);
    EXPECT_EQ(readAll(other), QByteArray("; only a comment\r\n[misc]\r\na=1\r\n[orlam]\r\nLines=0\r\n"));
}

TEST_F(IniFileTest, ValueWithALineBreakIsRefusedAndNothingChanges)
{
    const QByteArray before("[orlam]\r\nLongitude=93W21\r\n");
    const QString path = file(before);
    IniFile ini(path);
    const Status st = ini.write(Section, {{"Latitude", "45N05"}, {"Longitude", "93W21\r\nTime=2"}});
    EXPECT_FALSE(st.ok);
    EXPECT_TRUE(st.message.startsWith(QStringLiteral("Unable to write to ") + path))
        << st.message.toStdString();
    EXPECT_EQ(readAll(path), before);
}

TEST_F(IniFileTest, WriteBelowARegularFileFailsWithThePath)
{
    // Works for every user, root included: no directory can be made below a plain file.
    const QString blocker = file("[orlam]\r\nLines=2\r\n");
    const QString path = blocker + QStringLiteral("/Orlam.ini");
    const Status st = IniFile(path).write(Section, "Lines", "0");
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(st.message, QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(readAll(blocker), QByteArray("[orlam]\r\nLines=2\r\n"));
    EXPECT_EQ(IniFile(path).readInteger(Section, "Lines", 1), 1);
}

TEST_F(IniFileTest, ReadOnlyFolderWithAWritableFileIsUpdatedInPlace)
{
    // A settings file set up for the user in a folder the user may not write (no room for a
    // new copy beside it) is still the user's to change.
    const QString path = file("[orlam]\r\nLines=2\r\nKeep=me\r\n");
    const QString dir = mDir.path();
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), test::ordinaryUser(), gid_t(-1)), 0);
    ASSERT_TRUE(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                               QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    const int written = test::asOrdinaryUser([&path] {
        const bool folderReadOnly =
            ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) != 0;
        return folderReadOnly && IniFile(path).write(Section, "Lines", "0").ok ? 0 : 1;
    });
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(readAll(path), QByteArray("[orlam]\r\nLines=0\r\nKeep=me\r\n"));
}

TEST_F(IniFileTest, OnlyARegularFileIsReadOrWritten)
{
    // A pipe would block every start, a device such as /dev/zero would fill the memory.
    const QString fifo = mDir.filePath(QStringLiteral("pipe.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {fifo, QStringLiteral("/dev/zero"), mDir.path()}) {
        const int result = test::inChild(
            [&path] {
                IniFile ini(path);
                if (ini.readInteger(Section, "Lines", 7) != 7)
                    return 1;
                const Status st = ini.write(Section, "Lines", "0");
                return !st.ok && st.message == QStringLiteral("Unable to write to ") + path ? 0 : 2;
            },
            5);
        EXPECT_EQ(result, 0) << path.toStdString();
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile());
}

TEST_F(IniFileTest, UnreadableFileIsNeverRewritten)
{
    const QByteArray before("[orlam]\r\nLines=2\r\n");
    const QString path = file(before);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner));
    QFile probe(path);
    const bool readable = probe.open(QIODevice::ReadOnly);
    probe.close();
    const Status st = IniFile(path).write(Section, "Basic", "1");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (readable)
        GTEST_SKIP() << "this user reads files without read permission (root)";
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(readAll(path), before);
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced)
{
    const QByteArray before("[orlam]\r\nLines=2\r\n");
    const QString path = file(before);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    const bool canWriteAnyway = ::access(QFile::encodeName(path).constData(), W_OK) == 0;
    const Status st = IniFile(path).write(Section, "Lines", "0");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (canWriteAnyway)
        GTEST_SKIP() << "this user writes into read-only files (root)";
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(st.message, QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(readAll(path), before);
}
