#pragma once

// The program run as a child process, with a home, a data folder (which holds Orlam's work
// folder), a settings folder, a temporary folder, a runtime folder and a settings file of the
// test's own.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <functional>

namespace orlam::test {

const QString Program = QStringLiteral(ORLAM_BIN_DIR "/orlam");
const QString RealEngine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A stand-in engine: a shell script `body` run in the job's folder, made executable.
inline QByteArray scriptEngine(const QString &path, const QByteArray &body)
{
    writeAll(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QFile::encodeName(path);
}

// The engine is the real one when it has been built, else the stand-in.
class ProcessRig {
public:
    explicit ProcessRig(const QByteArray &engine = {})
    {
        for (const char *folder : {"run", "user", "home", "config", "cache", "tmp"})
            QDir(mDir.path()).mkpath(QLatin1String(folder));
        QByteArray keys = "[orlam]\r\n";
        if (!engine.isEmpty())
            keys += "Astrolog=" + engine + "\r\n";
        else if (!QFileInfo(RealEngine).isExecutable())
            keys += "Astrolog=" ORLAM_TEST_DATA "/app/fake-engine.sh\r\n";
        writeAll(settings(), keys);
    }
    QString settings() const { return mDir.filePath(QStringLiteral("Orlam.ini")); }
    // Orlam's work folder: $XDG_DATA_HOME/Orlam.
    QString work(const QString &name = {}) const
    {
        return mDir.filePath(QStringLiteral("data/Orlam/") + name);
    }
    // The folder the user stands in when starting the program.
    QString user(const QString &name = {}) const { return mDir.filePath(QStringLiteral("user/") + name); }
    // The temporary folder (TMPDIR).
    QString temporary(const QString &name = {}) const { return mDir.filePath(QStringLiteral("tmp/") + name); }
    QString home(const QString &name = {}) const { return mDir.filePath(QStringLiteral("home/") + name); }
    QString path(const QString &name) const { return mDir.filePath(name); }
    void setRuntimeFolder(const QString &name) { mRuntime = name; }
    // Environment variables set (or, with a null value, removed) for every run from now on.
    void setVariable(const QString &name, const QString &value) { mVariables.append({name, value}); }

    // Offscreen: Qt's platform without a screen, chosen by the caller. NoDisplay: no display and
    // no platform chosen, as in a cron job or an ssh session. Unreachable: a display named that
    // does not exist (a stale DISPLAY). X11: the display named by setX11Display().
    enum class Display { Offscreen, NoDisplay, Unreachable, X11 };
    void setX11Display(const QString &name) { mX11 = name; }

    QProcessEnvironment environment(Display display = Display::Offscreen) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), mDir.filePath(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), mDir.filePath(mRuntime));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), mDir.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), mDir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), mDir.filePath(QStringLiteral("cache")));
        environment.insert(QStringLiteral("TMPDIR"), mDir.filePath(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("ORLAM_SETTINGS"), settings());
        if (display == Display::Offscreen) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                environment.remove(QString::fromLatin1(name));
            if (display == Display::Unreachable)
                environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
            if (display == Display::X11)
                environment.insert(QStringLiteral("DISPLAY"), mX11);
        }
        for (const auto &[name, value] : mVariables) {
            if (value.isNull())
                environment.remove(name);
            else
                environment.insert(name, value);
        }
        return environment;
    }

    void prepare(QProcess &process, const QStringList &arguments, Display display = Display::Offscreen) const
    {
        process.setProcessEnvironment(environment(display));
        process.setWorkingDirectory(user());
        process.setProgram(Program);
        process.setArguments(arguments);
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    // `setUp` runs in the child before the program starts (limits, signals, descriptors).
    Run run(const QStringList &arguments, Display display = Display::Offscreen,
            const std::function<void(QProcess &)> &setUp = {}) const
    {
        QProcess process;
        prepare(process, arguments, display);
        if (setUp)
            setUp(process);
        process.start();
        Run result;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir mDir;
    QString mRuntime = QStringLiteral("run");
    QString mX11;
    QList<std::pair<QString, QString>> mVariables;
};

} // namespace orlam::test
