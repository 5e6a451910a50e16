#include "astrocalls/runner.h"

#include "astrocalls/astrocalls.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace orlam {

namespace {

constexpr auto EngineName = "orlam-ephem";
constexpr auto ErrorExecuting = "Error executing Astrolog";

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Library users without an application object (small tools, tests) still run beside it.
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return self.isEmpty() ? QString() : QFileInfo(self).absolutePath();
}

bool isRunnableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

AstrologRunner::AstrologRunner(MessageSink &sink, QString program) : mSink(sink), mProgram(std::move(program))
{
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
        reason = QStringLiteral("no program is named");
    } else if (!program.contains(QLatin1Char('/'))) {
        reason = QStringLiteral("it was not found on the search path (PATH)");
    } else {
        const QFileInfo info(program);
        if (!info.exists())
            reason = QStringLiteral("the file does not exist");
        else if (!info.isFile())
            reason = QStringLiteral("it is not a file");
        else if (!info.isExecutable())
            reason = QStringLiteral("the file is not executable");
        else
            reason = QStringLiteral("the system refused to run it");
    }
    return QStringLiteral("Cannot start the ephemeris program \"%1\": %2. Dates are shown without the "
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

AstrologRunner::Outcome AstrologRunner::RunAstrolog()
{
    mLastExitCode = 0;

    QProcess process;
    process.setProgram(mProgram);
    process.setArguments({QStringLiteral("-i"), QString::fromLatin1(JobFileName)});
    process.setWorkingDirectory(QDir::currentPath());
    // The engine needs no input; an open stdin could only make a misbehaving one wait forever.
    // Its report goes to files, so stdout is dropped; stderr stays with ours for diagnosis.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    const int limit = mTimeoutMs > 0 ? mTimeoutMs : -1;
    process.start();
    if (!process.waitForStarted(limit)) {
        if (process.error() == QProcess::FailedToStart) {
            if (!mStartFailureShown) {
                mStartFailureShown = true;
                mSink.showMessage(cannotStartMessage(mProgram));
            }
            return Outcome::NotStarted;
        }
        process.kill();
        process.waitForFinished(-1);
        mSink.showMessage(QString::fromLatin1(ErrorExecuting));
        return Outcome::Failed;
    }

    if (!process.waitForFinished(limit)) {
        const bool timedOut = process.state() != QProcess::NotRunning;
        if (timedOut) {
            process.kill();
            process.waitForFinished(-1);
        }
        mSink.showMessage(QString::fromLatin1(ErrorExecuting));
        return timedOut ? Outcome::TimedOut : Outcome::Failed;
    }

    if (process.exitStatus() != QProcess::NormalExit) {
        mSink.showMessage(QString::fromLatin1(ErrorExecuting));
        return Outcome::Failed;
    }
    mLastExitCode = process.exitCode();
    if (mLastExitCode != 0) {
        mSink.showMessage(QStringLiteral("Astrolog return code %1").arg(mLastExitCode));
        return Outcome::NonZeroExit;
    }
    return Outcome::Finished;
}

} // namespace orlam
