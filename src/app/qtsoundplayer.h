#pragma once

#include "common/soundplayer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <functional>

class QSoundEffect;
class QTimer;

namespace orlam {

// The program's sound player, over Qt Multimedia. Sounds play strictly in order, each after the
// one before has ended, while the window goes on. Each sound is bounded by its length plus a
// margin, so a sound that never reports its end (as with no audio output at all) cannot hold up
// the queue; with no output device, sounds are skipped at once.
class QtSoundPlayer : public QObject, public SoundPlayer {
public:
    enum class Outcome {
        Played,   // ended by itself
        Cut,      // stopped at its bound
        NoDevice, // skipped: the computer has no audio output
        Failed,   // the file could not be loaded
    };

    explicit QtSoundPlayer(QObject *parent = nullptr);
    ~QtSoundPlayer() override;

    void enqueue(const QStringList &paths) override;

    // True while nothing plays and nothing waits.
    bool idle() const;
    // Told of every sound when it is done, in order.
    void setFinishedHandler(std::function<void(const QString &path, Outcome outcome)> handler);

    // The length of a wave file's sound in milliseconds, from its header; -1 when the file is
    // not a readable PCM wave file.
    static qint64 waveLengthMs(const QString &path);
    // How long a sound of `lengthMs` (-1: unknown) may play before it is cut, in milliseconds:
    // its length and a margin, at most an hour, whatever a header claims.
    static int boundMs(qint64 lengthMs);
    static bool hasOutputDevice();

private:
    void startNext();
    void finish(Outcome outcome);

    QQueue<QString> mQueue;
    QString mCurrentPath;
    QSoundEffect *mEffect = nullptr;
    QTimer *mBound = nullptr;
    bool mStarted = false;
    std::function<void(const QString &, Outcome)> mFinished;
};

} // namespace orlam
