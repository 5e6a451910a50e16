#include "settings/inifile.h"
#include "settings/settingsjournal.h"

#include "ordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orlam;

namespace {

const QString Section = QStringLiteral("orlam");
const QByteArray Before = "[orlam]\r\nLines=2\r\nKeep=me\r\n";

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int gStopAt = 0;

void stopHere(int step)
{
    if (step == gStopAt)
        ::_exit(0);
}

// A settings file the ordinary user may write, in a folder the user may not: it is rewritten
// in place. The journal goes into a work folder of the user's own.
class InPlaceRig {
public:
    InPlaceRig()
    {
        EXPECT_TRUE(QDir(mDir.path()).mkpath(QStringLiteral("settings")));
        EXPECT_TRUE(QDir(mDir.path()).mkpath(QStringLiteral("work")));
        EXPECT_TRUE(writeRaw(settings(), Before));
        for (const QString &owned : {settings(), work()})
            EXPECT_EQ(::chown(QFile::encodeName(owned).constData(), test::ordinaryUser(), gid_t(-1)), 0);
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                              QFile::ReadOther | QFile::ExeOther;
        QFile::setPermissions(mDir.path(), readOnly);
        QFile::setPermissions(mDir.filePath(QStringLiteral("settings")), readOnly);
    }
    ~InPlaceRig()
    {
        const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QFile::setPermissions(mDir.filePath(QStringLiteral("settings")), all);
        QFile::setPermissions(mDir.path(), all);
    }
    QString settings() const { return mDir.filePath(QStringLiteral("settings/Orlam.ini")); }
    QString work() const { return mDir.filePath(QStringLiteral("work")); }

private:
    QTemporaryDir mDir;
};

// The values the write sets: long enough that half of the file is a cut worth the name.
const std::vector<std::pair<QString, QString>> &newValues()
{
    static const std::vector<std::pair<QString, QString>> values = {
        {QStringLiteral("Lines"), QStringLiteral("0")},
        {QStringLiteral("Longitude"), QStringLiteral("93W21")},
        {QStringLiteral("Notes"), QString(300, QLatin1Char('n'))}};
    return values;
}

} // namespace

TEST(SettingsJournal, CrashAtAnyStepOfAnInPlaceWriteLeavesTheOldOrTheNewFile)
{
    const struct {
        int step;
        const char *what;
        bool newAfterRecovery;
    } rows[] = {
        {1, "journal written, file untouched", false},
        {2, "file cut off half way", true},
        {3, "file whole, journal not yet removed", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        InPlaceRig rig;
        gStopAt = row.step;
        const int result = test::asOrdinaryUser([&] {
            if (::access(QFile::encodeName(QFileInfo(rig.settings()).absolutePath()).constData(), W_OK) == 0)
                return 3; // the folder must not be writable, or the file would be replaced instead
            SettingsJournal::setFolder(rig.work());
            SettingsJournal::setStepHook(stopHere);
            (void)IniFile(rig.settings()).write(Section, newValues());
            return 2;
        });
        ASSERT_EQ(result, 0);

        // Before the next start finishes it, every reader already takes the old or the new file.
        SettingsJournal::setFolder(rig.work());
        const IniFile ini(rig.settings());
        const QString notes = ini.readText(Section, QStringLiteral("Notes"), QString());
        EXPECT_EQ(ini.readInteger(Section, QStringLiteral("Lines"), 7), row.newAfterRecovery ? 0 : 2);
        EXPECT_EQ(notes.size(), row.newAfterRecovery ? 300 : 0);
        EXPECT_EQ(ini.readText(Section, QStringLiteral("Keep"), QString()), QStringLiteral("me"));

        ASSERT_TRUE(SettingsJournal::recover(rig.settings()).ok);
        const QByteArray after = readAll(rig.settings());
        if (row.newAfterRecovery) {
            EXPECT_TRUE(after.startsWith("[orlam]\r\nLines=0\r\nKeep=me\r\nLongitude=93W21\r\nNotes=nnn"));
            EXPECT_TRUE(after.endsWith("nnn\r\n"));
        } else {
            EXPECT_EQ(after, Before);
        }
        EXPECT_FALSE(QFileInfo::exists(SettingsJournal::path()));
        SettingsJournal::setFolder(QString());
    }
}

TEST(SettingsJournal, UninterruptedWriteLeavesNoJournal)
{
    InPlaceRig rig;
    const int result = test::asOrdinaryUser([&] {
        SettingsJournal::setFolder(rig.work());
        return IniFile(rig.settings()).write(Section, newValues()).ok ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(readAll(rig.settings()).startsWith("[orlam]\r\nLines=0\r\n"));
    EXPECT_EQ(QDir(rig.work()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(SettingsJournal, JournalThatDoesNotFitIsNeverApplied)
{
    QTemporaryDir dir;
    const QString work = dir.filePath(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    const QString file = dir.filePath(QStringLiteral("Orlam.ini"));
    const QString other = dir.filePath(QStringLiteral("Other.ini"));
    SettingsJournal::setFolder(work);
    const QString journal = SettingsJournal::path();
    const QByteArray content = "[orlam]\r\nLines=0\r\n";
    const auto journalFor = [&](const QString &target, const QByteArray &bytes) {
        return "Orlam settings journal 1\n" + QFile::encodeName(target) + "\n" +
               QByteArray::number(bytes.size()) + "\n" + bytes;
    };
    const struct {
        const char *what;
        QByteArray journal;
        QByteArray fileBefore;
        QByteArray fileAfter;
        bool journalKept;
    } rows[] = {
        {"another file's journal", journalFor(other, content), "[orlam]\r\n", "[orlam]\r\n", true},
        {"a file changed since", journalFor(file, content), "[orlam]\r\nLines=1\r\n",
         "[orlam]\r\nLines=1\r\n", false},
        {"a journal cut short", journalFor(file, content).chopped(3), "[orl", "[orl", false},
        {"not a journal", "whatever\n", "", "", false},
        {"a cut-off file", journalFor(file, content), "[orlam]\r\nLi", content, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(writeRaw(journal, row.journal));
        ASSERT_TRUE(writeRaw(file, row.fileBefore));
        ASSERT_TRUE(SettingsJournal::recover(file).ok);
        EXPECT_EQ(readAll(file), row.fileAfter);
        EXPECT_EQ(QFileInfo::exists(journal), row.journalKept);
    }
    SettingsJournal::setFolder(QString());
}
