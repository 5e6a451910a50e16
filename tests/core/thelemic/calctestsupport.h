#pragma once

// Test rig for the Calculate road: a window-less host, a stand-in engine that copies prepared
// reports, and a work directory of its own for every test.

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/westerntext.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"

#include "calcwiring.h"
#include "coretestsupport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace orlam::test {

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

inline QString testData(const QString &relative)
{
    return QStringLiteral(ORLAM_TEST_DATA "/") + relative;
}

// A stand-in engine: a shell script that logs every job ("report|moment line") and copies the
// report the job names from a fixture folder, when the folder has it.
class FakeEngine {
public:
    FakeEngine()
    {
        EXPECT_TRUE(mDir.isValid());
        const QByteArray fixtures = mDir.path().toUtf8();
        const QByteArray script = "#!/bin/sh\n"
                                  "job=$(tr -d '\\r' < input.txt)\n"
                                  "name=$(printf '%s\\n' \"$job\" | sed -n 's|^/os ||p')\n"
                                  "moment=$(printf '%s\\n' \"$job\" | sed -n 's|^/qb ||p')\n"
                                  "printf '%s|%s\\n' \"$name\" \"$moment\" >> '" +
                                  fixtures +
                                  "/jobs.log'\n"
                                  "if [ -f '" +
                                  fixtures + "'/\"$name\" ]; then cp '" + fixtures +
                                  "'/\"$name\" \"$name\"; fi\n";
        writeBytes(program(), script);
        QFile::setPermissions(program(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString program() const { return mDir.filePath(QStringLiteral("fake-engine")); }
    void setReport(const QString &name, const QStringList &lines)
    {
        writeBytes(mDir.filePath(name), joinCrLf(lines));
    }
    void removeReport(const QString &name) { QFile::remove(mDir.filePath(name)); }
    QStringList jobs() const
    {
        return QString::fromUtf8(readBytes(mDir.filePath(QStringLiteral("jobs.log"))))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void clearJobs() { QFile::remove(mDir.filePath(QStringLiteral("jobs.log"))); }

private:
    QTemporaryDir mDir;
};

// A listing row as the engine writes it.
inline QString chartRow(const QString &head, const QString &degree, const QString &sign)
{
    return head.leftJustified(6, QLatin1Char(' ')) + degree + sign + QStringLiteral(" 12'34   + 0:12'");
}

inline QStringList defaultChart()
{
    return {QStringLiteral("Body  Locat. Ret. Decl. Rul."),
            chartRow(QStringLiteral("Sun"), QStringLiteral("24"), QStringLiteral("Gem")),
            chartRow(QStringLiteral("Moon"), QStringLiteral(" 5"), QStringLiteral("Leo"))};
}

// A horizon-report line: weekday tag, date (10 columns), blank, 12-hour time (7 columns), the
// body right-aligned to column 32, seven free columns, the event word.
inline QString eventLine(const QString &date, const QString &time, const QString &body, const QString &event)
{
    return QStringLiteral("Mon.  ") + date.rightJustified(10, QLatin1Char(' ')) + QLatin1Char(' ') +
           time.rightJustified(7, QLatin1Char(' ')) + body.rightJustified(8, QLatin1Char(' ')) +
           QStringLiteral("       ") + event;
}

struct CalcRigFolders : SeparateWorkFolder {
    FakeEngine engine;
};

// Everything a Calculator needs, wired together on the stand-in engine in a fresh work folder.
struct CalcRig : CalcRigFolders, CalcWiring {
    explicit CalcRig(LocaleFacts facts = localeFor(QLocale::English, QLocale::UnitedStates))
        : CalcWiring(std::move(facts), engine.program(), work.path())
    {
        engine.setReport(QStringLiteral("chart.txt"), defaultChart());
    }
};

} // namespace orlam::test
