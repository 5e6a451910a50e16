#pragma once

// A sound server of the test's own: PulseAudio with a null output, so that sounds really play
// and nobody hears them. The test fails when pulseaudio (installed by scripts/deps) is missing.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace orlam::test {

class SoundServer {
public:
    SoundServer() = default;
    SoundServer(const SoundServer &) = delete;
    SoundServer &operator=(const SoundServer &) = delete;
    ~SoundServer()
    {
        if (mServer.state() != QProcess::NotRunning) {
            mServer.terminate();
            if (!mServer.waitForFinished(5000))
                mServer.kill();
        }
    }

    // Starts the server; true when it listens. Its address is then address().
    bool start()
    {
        const QString socket = mDir.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), mDir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), mDir.path());
        mServer.setProcessEnvironment(env);
        mServer.setProcessChannelMode(QProcess::MergedChannels);
        mServer.start(QStringLiteral("pulseaudio"),
                      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                       QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                       QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=orlamtest"),
                       QStringLiteral("-L"),
                       QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket});
        if (!mServer.waitForStarted(5000))
            return false;
        if (!QTest::qWaitFor([&] { return QFile::exists(socket); }, 10000))
            return false;
        QTest::qWait(500); // the socket is there before the server listens on it
        mAddress = QStringLiteral("unix:") + socket;
        return true;
    }
    // For PULSE_SERVER.
    const QString &address() const { return mAddress; }

private:
    QTemporaryDir mDir;
    QProcess mServer;
    QString mAddress;
};

} // namespace orlam::test
