#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "testsupport.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <malloc.h>

namespace orlam {
namespace {

using test::readBytes;
using test::RecordingSink;
using test::ScopedEnv;
using test::ScopedWorkDir;
using test::testData;

const QString ErrorExecuting = QStringLiteral("Error executing Astrolog");

QString fakeEngine()
{
    return testData(QStringLiteral("fake-engine.sh"));
}

// What the fake engine wrote about how it was started, as lines "key=value".
QStringList engineRecord(const test::WorkFolder &dir)
{
    return QString::fromUtf8(readBytes(dir.filePath(QStringLiteral("engine-record.txt"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A runner on the fake engine and the job writer around it, in a fresh working directory.
struct EngineFixture {
    ScopedWorkDir current; // stays empty: the engine runs in `dir`
    test::WorkFolder dir;
    RecordingSink sink;
    TSettings settings;
    DerivedValues derived;
    AstrologRunner runner{sink, fakeEngine(), dir.path()};
    Astrocalls astro{settings, derived, runner};

    Status chartJob(const QString &longitude = QStringLiteral("93W21"),
                    const QString &latitude = QStringLiteral("45N05"))
    {
        return astro.ChartJob(QStringLiteral("6"), longitude, latitude, clockTime(2026, 6, 15, 14, 30),
                              QTime(14, 30));
    }
};

TEST(Runner, ExitZeroRunsTheJobFileQuietly)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "0");
    ScopedEnv mark("FAKE_ENGINE_MARK", "inherited");
    EngineFixture f;
    const Status status = f.chartJob();
    ASSERT_TRUE(status.ok) << status.message.toStdString();
    EXPECT_TRUE(f.sink.messages.isEmpty()) << f.sink.messages.join(QLatin1Char('|')).toStdString();

    const QString cwd = QFileInfo(f.dir.path()).canonicalFilePath();
    EXPECT_EQ(engineRecord(f.dir),
              (QStringList{QStringLiteral("cwd=") + cwd, QStringLiteral("argc=2"), QStringLiteral("arg=-i"),
                           QStringLiteral("arg=input.txt"), QStringLiteral("stdin=eof"),
                           QStringLiteral("mark=inherited")}));
    // The engine saw the finished job file, not a partial one.
    EXPECT_EQ(readBytes(f.dir.filePath(QStringLiteral("engine-input.txt"))),
              readBytes(testData(QStringLiteral("chart.job"))));
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::Finished);
    EXPECT_EQ(f.runner.lastExitCode(), 0);
    EXPECT_TRUE(QDir(f.current.path()).isEmpty());
}

TEST(Runner, RelativeFolderIsFixedWhenTheRunnerIsMade)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "0");
    ScopedWorkDir first;
    ASSERT_TRUE(QDir(first.path()).mkdir(QStringLiteral("work")));
    RecordingSink sink;
    TSettings settings;
    DerivedValues derived;
    AstrologRunner runner(sink, fakeEngine(), QStringLiteral("work"));
    Astrocalls astro(settings, derived, runner);
    ScopedWorkDir second; // the current folder moves on before the job
    ASSERT_TRUE(astro
                    .ChartJob(QStringLiteral("6"), QStringLiteral("93W21"), QStringLiteral("45N05"),
                              clockTime(2026, 6, 15, 14, 30), QTime(14, 30))
                    .ok);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(runner.folder(), QDir(first.filePath(QStringLiteral("work"))).absolutePath());
    EXPECT_TRUE(QFileInfo::exists(first.filePath(QStringLiteral("work/input.txt"))));
    EXPECT_TRUE(QFileInfo::exists(first.filePath(QStringLiteral("work/engine-record.txt"))));
    EXPECT_TRUE(QDir(second.path()).isEmpty());
}

TEST(Runner, NonZeroExitCodeIsShownAndTheJobStillSucceeds)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "3");
    EngineFixture f;
    EXPECT_TRUE(f.chartJob().ok);
    EXPECT_EQ(f.sink.messages, QStringList{QStringLiteral("Astrolog return code 3")});

    f.sink.messages.clear();
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NonZeroExit);
    EXPECT_EQ(f.runner.lastExitCode(), 3);
    EXPECT_EQ(f.sink.messages, QStringList{QStringLiteral("Astrolog return code 3")});
}

TEST(Runner, CrashIsAnErrorWhileRunning)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "crash");
    EngineFixture f;
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::Failed);
    EXPECT_EQ(f.sink.messages, QStringList{ErrorExecuting});
}

TEST(Runner, HungEngineIsEndedAtTheTimeLimit)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "hang");
    EngineFixture f;
    EXPECT_EQ(f.runner.timeoutMs(), 20000);
    f.runner.setTimeoutMs(300);
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::TimedOut);
    EXPECT_EQ(f.sink.messages, QStringList{ErrorExecuting});
    EXPECT_TRUE(QFileInfo::exists(f.dir.filePath(QStringLiteral("engine-record.txt"))));
}

// True while `pid` names a process that has not ended (a zombie has ended).
bool processRuns(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return false;
    const QByteArray stat = readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) != "Z";
}

TEST(Runner, TimeLimitEndsWhatTheEngineStartedToo)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "hang-with-child");
    EngineFixture f;
    f.runner.setTimeoutMs(500);
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::TimedOut);
    const pid_t child = readBytes(f.dir.filePath(QStringLiteral("child.pid"))).trimmed().toInt();
    ASSERT_GT(child, 0);
    QElapsedTimer clock;
    clock.start();
    while (processRuns(child) && clock.elapsed() < 3000)
        QThread::msleep(20);
    EXPECT_FALSE(processRuns(child));
    if (processRuns(child))
        ::kill(child, SIGKILL);
    EXPECT_EQ(f.runner.failedRuns(), 1);
    EXPECT_EQ(f.runner.lastFailure(),
              ErrorExecuting +
                  QStringLiteral(": the ephemeris program ran longer than 0.5 seconds and was stopped"));
}

TEST(Runner, FailuresAreCountedWithTheEnginesOwnWords)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "2");
    ScopedEnv says("FAKE_ENGINE_SAYS", "input.txt:2: zone \"six\" is not hours west");
    EngineFixture f;
    EXPECT_EQ(f.runner.failedRuns(), 0);
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NonZeroExit);
    EXPECT_EQ(f.runner.failedRuns(), 1);
    EXPECT_EQ(f.runner.lastFailure(),
              QStringLiteral("Astrolog return code 2: input.txt:2: zone \"six\" is not hours west"));
    // The sink shows the message as it always read; another sink takes the next ones.
    EXPECT_EQ(f.sink.messages, QStringList{QStringLiteral("Astrolog return code 2")});
    RecordingSink other;
    EXPECT_EQ(&f.runner.setSink(other), &f.sink);
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NonZeroExit);
    EXPECT_EQ(other.messages.size(), 1);
    EXPECT_EQ(f.sink.messages.size(), 1);
    // A missing program is shown once, but counted, and named, at every run.
    f.runner.setProgram(f.dir.filePath(QStringLiteral("gone")));
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NotStarted);
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NotStarted);
    EXPECT_EQ(f.runner.failedRuns(), 4);
    EXPECT_EQ(other.messages.size(), 2);
    EXPECT_TRUE(f.runner.lastFailure().startsWith(QStringLiteral("Cannot start the ephemeris program")));
    {
        ScopedEnv fine("FAKE_ENGINE_MODE", "0");
        f.runner.setProgram(fakeEngine());
        EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::Finished);
        EXPECT_EQ(f.runner.failedRuns(), 4);
    }
}

// A run the caller does not wait for: its end, as `done` sees it from the event loop.
struct StartedRun {
    bool ended = false;
    AstrologRunner::Outcome outcome = AstrologRunner::Outcome::Failed;

    void start(AstrologRunner &runner)
    {
        runner.startAstrolog([this](AstrologRunner::Outcome what) {
            ended = true;
            outcome = what;
        });
    }
    // Runs the event loop until the run has ended, or `ms` have passed.
    void await(int ms = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!ended && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
};

// Each way a run ends gives the same outcome and messages whether the caller waits or not.
TEST(Runner, StartedRunEndsAsAWaitedOne)
{
    struct Row {
        const char *name;
        const char *mode;
        AstrologRunner::Outcome outcome;
        QStringList messages;
        bool missingProgram = false;
    };
    const Row rows[] = {
        {"exit zero", "0", AstrologRunner::Outcome::Finished, {}},
        {"exit code", "3", AstrologRunner::Outcome::NonZeroExit, {QStringLiteral("Astrolog return code 3")}},
        {"crash", "crash", AstrologRunner::Outcome::Failed, {ErrorExecuting}},
        {"hang", "hang", AstrologRunner::Outcome::TimedOut, {ErrorExecuting}},
        {"missing program", "0", AstrologRunner::Outcome::NotStarted, {}, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedEnv mode("FAKE_ENGINE_MODE", row.mode);
        EngineFixture f;
        f.runner.setTimeoutMs(500);
        if (row.missingProgram)
            f.runner.setProgram(f.dir.filePath(QStringLiteral("gone")));
        const AstrologRunner::Outcome waited = f.runner.RunAstrolog();
        const QStringList waitedMessages = f.sink.messages;
        f.sink.messages.clear();

        StartedRun run;
        run.start(f.runner);
        // `done` comes from the event loop, never from within the start.
        EXPECT_FALSE(run.ended);
        EXPECT_TRUE(f.runner.running());
        run.await();
        ASSERT_TRUE(run.ended);
        EXPECT_FALSE(f.runner.running());
        EXPECT_EQ(run.outcome, row.outcome);
        EXPECT_EQ(waited, row.outcome);
        if (row.missingProgram) {
            // Shown at the first run only, whichever kind it was.
            EXPECT_EQ(waitedMessages.size(), 1);
            EXPECT_TRUE(f.sink.messages.isEmpty());
        } else {
            EXPECT_EQ(waitedMessages, row.messages);
            EXPECT_EQ(f.sink.messages, row.messages);
        }
        EXPECT_EQ(f.runner.failedRuns(), row.outcome == AstrologRunner::Outcome::Finished ? 0 : 2);
    }
}

// A started run can be awaited where the caller stands, or ended without a word; a newer run
// (started or waited for) ends the one still going, whose `done` then never comes.
TEST(Runner, StartedRunIsAwaitedOrStopped)
{
    EngineFixture f;
    {
        ScopedEnv mode("FAKE_ENGINE_MODE", "3");
        StartedRun run;
        run.start(f.runner);
        f.runner.finishRun();
        EXPECT_TRUE(run.ended);
        EXPECT_EQ(run.outcome, AstrologRunner::Outcome::NonZeroExit);
        EXPECT_EQ(f.sink.messages, QStringList{QStringLiteral("Astrolog return code 3")});
        // The queued end of that process does not come again.
        run.ended = false;
        QCoreApplication::processEvents();
        QThread::msleep(50);
        QCoreApplication::processEvents();
        EXPECT_FALSE(run.ended);
    }
    ScopedEnv mode("FAKE_ENGINE_MODE", "hang-with-child");
    f.sink.messages.clear();
    StartedRun stopped;
    stopped.start(f.runner);
    QElapsedTimer clock;
    clock.start();
    const QString childFile = f.dir.filePath(QStringLiteral("child.pid"));
    while (readBytes(childFile).trimmed().isEmpty() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const pid_t child = readBytes(childFile).trimmed().toInt();
    ASSERT_GT(child, 0);
    f.runner.stopRun();
    EXPECT_FALSE(f.runner.running());
    while (processRuns(child) && clock.elapsed() < 8000)
        QThread::msleep(20);
    EXPECT_FALSE(processRuns(child));

    StartedRun overtaken;
    overtaken.start(f.runner);
    {
        ScopedEnv fine("FAKE_ENGINE_MODE", "0");
        EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::Finished);
    }
    StartedRun newer;
    newer.start(f.runner);
    stopped.await(300);
    overtaken.await(300);
    EXPECT_FALSE(stopped.ended);
    EXPECT_FALSE(overtaken.ended);
    f.runner.stopRun();
    EXPECT_TRUE(f.sink.messages.isEmpty()) << f.sink.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(f.runner.failedRuns(), 1); // the exit code 3 only: a stopped run is no failure
}

// What this process's heap holds: the blocks handed out and not had back, in bytes.
long long heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
}

// Runs as the clock starts them, one a minute and faster than their time limit, each ended in
// one of the ways a run ends: from the event loop, awaited where the caller stands, stopped. Once
// the event loop has deleted what an ended run leaves, nothing of it stays: no timer, no
// process, no connection.
TEST(Runner, EndedRunsLeaveNothingBehind)
{
    EngineFixture f;
    ScopedEnv mode("FAKE_ENGINE_MODE", "0");
    const auto runs = [&f](int count) {
        for (int i = 0; i < count; ++i) {
            StartedRun run;
            run.start(f.runner);
            if (i % 3 == 0)
                run.await();
            else if (i % 3 == 1)
                f.runner.finishRun();
            else
                f.runner.stopRun();
            EXPECT_FALSE(f.runner.running());
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    };
    runs(9); // what is set up once, at the first runs
    // Timers that outlive their object are kept by the event dispatcher.
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    ASSERT_NE(dispatcher, nullptr);
    const qsizetype dispatcherChildren = dispatcher->children().size();
    const long long heap = heapInUse();
    runs(90);
    EXPECT_EQ(dispatcher->children().size(), dispatcherChildren);
    // Some hundred bytes a run would be tens of kilobytes.
    EXPECT_LT(heapInUse() - heap, 12 * 1024);
    EXPECT_TRUE(f.sink.messages.isEmpty()) << f.sink.messages.join(QLatin1Char('|')).toStdString();
}

TEST(Runner, MissingProgramIsReportedOncePerRunner)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "0");
    EngineFixture f;
    const QString missing = f.dir.filePath(QStringLiteral("no-such-engine"));
    f.runner.setProgram(missing);

    EXPECT_TRUE(f.chartJob().ok);
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NotStarted);
    ASSERT_EQ(f.sink.messages.size(), 1);
    EXPECT_EQ(f.sink.messages[0], AstrologRunner::cannotStartMessage(missing));
    EXPECT_TRUE(f.sink.messages[0].contains(QStringLiteral("\"") + missing + QStringLiteral("\"")));
    EXPECT_TRUE(f.sink.messages[0].contains(QStringLiteral("does not exist")));

    // Another program that cannot be started either gets its own message.
    f.runner.setProgram(QStringLiteral("no-such-engine-on-path"));
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NotStarted);
    ASSERT_EQ(f.sink.messages.size(), 2);
    EXPECT_TRUE(f.sink.messages[1].contains(QStringLiteral("not found on the search path")));
}

TEST(Runner, FileWithoutExecutePermissionCannotBeStarted)
{
    EngineFixture f;
    const QString plain = f.dir.filePath(QStringLiteral("engine-not-executable"));
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nexit 0\n");
    }
    QFile::setPermissions(plain, QFile::ReadOwner | QFile::WriteOwner);
    f.runner.setProgram(plain);
    EXPECT_EQ(f.runner.RunAstrolog(), AstrologRunner::Outcome::NotStarted);
    ASSERT_EQ(f.sink.messages.size(), 1);
    EXPECT_TRUE(f.sink.messages[0].contains(QStringLiteral("not executable")))
        << f.sink.messages[0].toStdString();
}

TEST(Runner, ControlCharacterInLocationStopsTheJobBeforeTheEngine)
{
    ScopedEnv mode("FAKE_ENGINE_MODE", "0");
    EngineFixture f;
    const Status status =
        f.chartJob(QStringLiteral("93W21"), QStringLiteral("45N05\n/os /tmp/elsewhere.txt"));
    EXPECT_FALSE(status.ok);
    EXPECT_TRUE(status.message.contains(QStringLiteral("latitude"))) << status.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(f.dir.filePath(QStringLiteral("input.txt"))));
    EXPECT_FALSE(QFileInfo::exists(f.dir.filePath(QStringLiteral("engine-record.txt"))));
    EXPECT_TRUE(f.sink.messages.isEmpty());
}

// ---- Finding the program ----

class ProgramLookup : public testing::Test {
protected:
    // An executable file named `name` in a directory of its own, which becomes the only PATH entry.
    QString putOnPath(const QString &name)
    {
        const QString path = mPathDir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nexit 0\n");
        file.close();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QTemporaryDir mPathDir;
    ScopedEnv mPath{"PATH", mPathDir.path().toLocal8Bit()};
};

TEST_F(ProgramLookup, ConfiguredPathIsTakenAsItStands)
{
    EXPECT_EQ(AstrologRunner::resolveProgram(QStringLiteral("/opt/engine/bin/engine")),
              QStringLiteral("/opt/engine/bin/engine"));
    EXPECT_EQ(AstrologRunner::resolveProgram(QStringLiteral("./engine")), QStringLiteral("./engine"));
}

TEST_F(ProgramLookup, ConfiguredNameIsLookedUpOnPath)
{
    const QString engine = putOnPath(QStringLiteral("my-engine"));
    EXPECT_EQ(AstrologRunner::resolveProgram(QStringLiteral("my-engine")), engine);
    // Not found: the name stays, so the start failure names what the user configured.
    EXPECT_EQ(AstrologRunner::resolveProgram(QStringLiteral("other-engine")), QStringLiteral("other-engine"));
}

TEST_F(ProgramLookup, EmptyKeyFallsBackToOwnEngineOnPath)
{
    EXPECT_EQ(AstrologRunner::resolveProgram(QString()), QStringLiteral("orlam-ephem"));
    const QString engine = putOnPath(QStringLiteral("orlam-ephem"));
    EXPECT_EQ(AstrologRunner::resolveProgram(QString()), engine);
}

} // namespace
} // namespace orlam
