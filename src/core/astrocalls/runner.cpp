#include "astrocalls/runner.h"

#include "astrocalls/astrocalls.h"
#include "astrocalls/enginegroups.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace orlam {

namespace {

constexpr auto EngineName = "orlam-ephem";
constexpr auto ErrorExecuting = QT_TRANSLATE_NOOP("Messages", "Error executing Astrolog");
// How much of the engine's error output is kept to explain a failure: its last lines.
constexpr qsizetype KeptErrorBytes = 64 * 1024;
// How long one wait for the engine's output lasts before the clock is looked at again.
constexpr int WaitStepMs = 1000;

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Library users without an application object (small tools, tests) still run beside it.
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return self.isEmpty() ? QString() : QFileInfo(self).absolutePath();
}

// The engine's explanation of a failure: the last line it wrote (notes come before the error),
// cut short.
QString oneLine(const QByteArray &errors)
{
    constexpr qsizetype Longest = 400;
    const QStringList lines = QString::fromLocal8Bit(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString text;
    for (qsizetype i = lines.size() - 1; i >= 0 && text.isEmpty(); --i)
        text = lines.at(i).simplified();
    if (text.size() > Longest)
        text = text.left(Longest) + QLatin1String("...");
    return text;
}

// Passes on what the engine wrote on its error output and keeps the end of it: an engine that
// floods it must not fill the memory.
void drainErrors(QProcess &process, QByteArray &tail)
{
    const QByteArray chunk = process.readAllStandardError();
    if (chunk.isEmpty())
        return;
    std::fwrite(chunk.constData(), 1, size_t(chunk.size()), stderr);
    tail += chunk;
    if (tail.size() > KeptErrorBytes)
        tail = tail.right(KeptErrorBytes);
}

// Waits for a started engine to end, passing its error output on as it comes, until `limit`
// milliseconds from `clock`'s start (-1: no limit). True when it has ended.
bool waitForEnd(QProcess &process, QByteArray &tail, const QElapsedTimer &clock, int limit)
{
    for (;;) {
        const qint64 left = limit < 0 ? WaitStepMs : limit - clock.elapsed();
        if (left <= 0)
            return false;
        const int step = int(std::min<qint64>(left, WaitStepMs));
        const bool readable = process.waitForReadyRead(step);
        drainErrors(process, tail);
        if (readable)
            continue;
        // Nothing to read: the engine has ended, or it has closed its error output and goes on.
        if (process.state() == QProcess::NotRunning || process.waitForFinished(step))
            return true;
    }
}

bool isRunnableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

AstrologRunner::AstrologRunner(MessageSink &sink, QString program, const QString &folder)
    : mSink(&sink), mProgram(std::move(program)), mFolder(QDir(folder).absolutePath())
{
}

QString AstrologRunner::filePath(const QString &name) const
{
    return QDir(mFolder).filePath(name);
}

MessageSink &AstrologRunner::setSink(MessageSink &sink)
{
    MessageSink &previous = *mSink;
    mSink = &sink;
    return previous;
}

AstrologRunner::Outcome AstrologRunner::fail(Outcome outcome, const QString &message, bool show)
{
    ++mFailedRuns;
    mLastFailure = message;
    if (!mEngineErrors.isEmpty())
        mLastFailure += QStringLiteral(": ") + mEngineErrors;
    if (show)
        mSink->showMessage(message);
    return outcome;
}

QString AstrologRunner::resolveProgram(const QString &configured)
{
    if (!configured.isEmpty()) {
        // A name with a directory part is a path; QProcess takes a relative one from the
        // current directory, as a shell would.
        if (configured.contains(QLatin1Char('/')))
            return configured;
        const QString found = QStandardPaths::findExecutable(configured);
        return found.isEmpty() ? configured : found;
    }

    const QString dir = executableDir();
    if (!dir.isEmpty()) {
        const QString beside = QDir(dir).filePath(QString::fromLatin1(EngineName));
        if (isRunnableFile(beside))
            return beside;
    }
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(EngineName));
    return found.isEmpty() ? QString::fromLatin1(EngineName) : found;
}

QString AstrologRunner::cannotStartMessage(const QString &program)
{
    // The reason is taken from the file system rather than from the failed start, so the text
    // is the same for every attempt and callers can compare it.
    QString reason;
    if (program.isEmpty()) {
        reason = QCoreApplication::translate("Messages", "no program is named");
    } else if (!program.contains(QLatin1Char('/'))) {
        reason = QCoreApplication::translate("Messages", "it was not found on the search path (PATH)");
    } else {
        const QFileInfo info(program);
        if (!info.exists())
            reason = QCoreApplication::translate("Messages", "the file does not exist");
        else if (!info.isFile())
            reason = QCoreApplication::translate("Messages", "it is not a file");
        else if (!info.isExecutable())
            reason = QCoreApplication::translate("Messages", "the file is not executable");
        else
            reason = QCoreApplication::translate("Messages", "the system refused to run it");
    }
    return QCoreApplication::translate(
               "Messages", "Cannot start the ephemeris program \"%1\": %2. Dates are shown without the "
                           "planets' positions until it can be started; the key \"Astrolog\" of the "
                           "settings file names the program to run.")
        .arg(program, reason);
}

void AstrologRunner::setProgram(const QString &program)
{
    if (program == mProgram)
        return;
    mProgram = program;
    // Another program deserves its own message if it cannot be started either.
    mStartFailureShown = false;
}

void AstrologRunner::prepare(QProcess &process) const
{
    process.setProgram(mProgram);
    process.setArguments({QStringLiteral("-i"), QString::fromLatin1(JobFileName)});
    process.setWorkingDirectory(mFolder);
    // The engine needs no input; an open stdin could only make a misbehaving one wait forever.
    // Its report goes to files, so stdout is dropped; stderr is read, to explain a failure.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setReadChannel(QProcess::StandardError);
    // A group of its own, so that a hung engine can be ended with everything it started; and
    // it does not outlive us when we are killed while it runs.
    runInOwnGroup(process);
}

AstrologRunner::Outcome AstrologRunner::notStarted(QProcess &process)
{
    if (process.error() == QProcess::FailedToStart) {
        const bool show = !mStartFailureShown;
        mStartFailureShown = true;
        return fail(Outcome::NotStarted, cannotStartMessage(mProgram), show);
    }
    process.kill();
    process.waitForFinished(-1);
    return fail(Outcome::Failed, QCoreApplication::translate("Messages", ErrorExecuting));
}

AstrologRunner::Outcome AstrologRunner::conclude(QProcess &process, EngineGroup &group, bool finished,
                                                 QByteArray &tail)
{
    const bool timedOut = !finished && process.state() != QProcess::NotRunning;
    if (timedOut) {
        group.kill();
        process.kill();
        process.waitForFinished(-1);
    }
    drainErrors(process, tail);
    std::fflush(stderr);
    if (!tail.isEmpty())
        mEngineErrors = oneLine(tail);
    if (timedOut) {
        mEngineErrors = QCoreApplication::translate(
                            "Messages", "the ephemeris program ran longer than %1 seconds and was stopped")
                            .arg(QString::number(mTimeoutMs / 1000.0));
        return fail(Outcome::TimedOut, QCoreApplication::translate("Messages", ErrorExecuting));
    }
    if (!finished || process.exitStatus() != QProcess::NormalExit)
        return fail(Outcome::Failed, QCoreApplication::translate("Messages", ErrorExecuting));
    mLastExitCode = process.exitCode();
    if (mLastExitCode != 0)
        return fail(Outcome::NonZeroExit,
                    QCoreApplication::translate("Messages", "Astrolog return code %1").arg(mLastExitCode));
    return Outcome::Finished;
}

AstrologRunner::Outcome AstrologRunner::RunAstrolog()
{
    stopRun();
    mLastExitCode = 0;
    mEngineErrors.clear();

    QProcess process;
    prepare(process);
    const int limit = mTimeoutMs > 0 ? mTimeoutMs : -1;
    process.start();
    if (!process.waitForStarted(limit))
        return notStarted(process);
    EngineGroup group(process);
    QElapsedTimer clock;
    clock.start();
    QByteArray tail;
    const bool finished = waitForEnd(process, tail, clock, limit);
    return conclude(process, group, finished, tail);
}

// One run that the caller does not wait for. The process is deleted from the event loop, as
// its own signal may be what ended the run.
struct AstrologRunner::Run {
    QProcess *process = nullptr;
    // The time limit: the process's child, stopped when the run ends and deleted with the
    // process. A single-shot timer would outlive each run by the whole limit, and runs that come
    // faster than the limit would pile them up.
    QTimer *limit = nullptr;
    std::unique_ptr<EngineGroup> group;
    QByteArray tail;
    QElapsedTimer clock;
    std::function<void(Outcome)> done;

    ~Run()
    {
        group.reset();
        if (limit)
            limit->stop();
        process->disconnect();
        process->deleteLater();
    }
};

void AstrologRunner::startAstrolog(std::function<void(Outcome)> done)
{
    stopRun();
    mLastExitCode = 0;
    mEngineErrors.clear();

    mRun = std::make_unique<Run>();
    mRun->process = new QProcess;
    mRun->done = std::move(done);
    QProcess *process = mRun->process;
    prepare(*process);
    // The signals that end the run come queued, so that `done` never runs inside start(); a
    // queued call can still arrive for a run that finishRun() or stopRun() has ended since.
    const auto current = [this, process] { return mRun && mRun->process == process; };
    QObject::connect(process, &QProcess::started, process, [this, current] {
        if (current())
            mRun->group = std::make_unique<EngineGroup>(*mRun->process);
    });
    QObject::connect(process, &QProcess::readyReadStandardError, process, [this, current] {
        if (current())
            drainErrors(*mRun->process, mRun->tail);
    });
    QObject::connect(
        process, &QProcess::finished, process,
        [this, current] {
            if (current())
                endRun(true);
        },
        Qt::QueuedConnection);
    QObject::connect(
        process, &QProcess::errorOccurred, process,
        [this, current](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart && current())
                endRun(false);
        },
        Qt::QueuedConnection);
    if (mTimeoutMs > 0) {
        mRun->limit = new QTimer(process);
        mRun->limit->setSingleShot(true);
        QObject::connect(mRun->limit, &QTimer::timeout, process, [this, current] {
            if (current())
                endRun(false);
        });
        mRun->limit->start(mTimeoutMs);
    }
    mRun->clock.start();
    process->start();
}

void AstrologRunner::finishRun()
{
    if (!mRun)
        return;
    const int limit = mTimeoutMs > 0 ? mTimeoutMs : -1;
    endRun(waitForEnd(*mRun->process, mRun->tail, mRun->clock, limit));
}

void AstrologRunner::endRun(bool finished)
{
    const std::unique_ptr<Run> run = std::move(mRun);
    QProcess &process = *run->process;
    Outcome outcome;
    if (!run->group) {
        // It never started: the same messages as a start that failed while we waited.
        outcome = notStarted(process);
    } else {
        outcome = conclude(process, *run->group, finished, run->tail);
    }
    if (run->done)
        run->done(outcome);
}

void AstrologRunner::stopRun()
{
    if (!mRun)
        return;
    const std::unique_ptr<Run> run = std::move(mRun);
    // The engine may be running before its start has been reported from the event loop: its
    // group is named by its id all the same, and what it started ends with it.
    if (!run->group && run->process->processId() > 0)
        run->group = std::make_unique<EngineGroup>(*run->process);
    if (run->group)
        run->group->kill();
    run->process->kill();
    run->process->waitForFinished(-1);
}

AstrologRunner::~AstrologRunner()
{
    stopRun();
}

} // namespace orlam
