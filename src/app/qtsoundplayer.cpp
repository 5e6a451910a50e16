#include "qtsoundplayer.h"

#include <algorithm>

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

namespace orlam {

namespace {

// Time for the file to load, the device to start and the sound server to report the end, on
// top of the sound's own length (a sound server may take two seconds to drain its buffer).
constexpr int BoundMarginMs = 4000;
// A file whose length cannot be read gets this long at most.
constexpr int UnknownLengthMs = 10000;

} // namespace

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent)
{
    mBound = new QTimer(this);
    mBound->setSingleShot(true);
    connect(mBound, &QTimer::timeout, this, [this] { finish(Outcome::Cut); });
}

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::setFinishedHandler(std::function<void(const QString &, Outcome)> handler)
{
    mFinished = std::move(handler);
}

bool QtSoundPlayer::idle() const
{
    return mCurrentPath.isEmpty() && mQueue.isEmpty();
}

bool QtSoundPlayer::hasOutputDevice()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

qint64 QtSoundPlayer::waveLengthMs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return -1;
    quint32 byteRate = 0;
    // Chunks follow one another: "fmt " gives the byte rate, "data" the size of the sound.
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            return -1;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray format = file.read(size);
            if (format.size() < 16)
                return -1;
            byteRate = qFromLittleEndian<quint32>(format.constData() + 8);
            if (size % 2)
                file.read(1);
        } else if (chunk.startsWith("data")) {
            if (byteRate == 0)
                return -1;
            return static_cast<qint64>(size) * 1000 / byteRate;
        } else if (!file.seek(file.pos() + size + (size % 2))) {
            return -1;
        }
    }
    return -1;
}

int QtSoundPlayer::boundMs(qint64 lengthMs)
{
    // A header can claim four billion bytes at one byte a second: weeks, beyond what a timer
    // holds. No alarm sound lasts an hour.
    constexpr qint64 LongestBoundMs = 60 * 60 * 1000;
    const qint64 bound = (lengthMs >= 0 ? lengthMs : UnknownLengthMs) + BoundMarginMs;
    return static_cast<int>(std::min(bound, LongestBoundMs));
}

void QtSoundPlayer::enqueue(const QStringList &paths)
{
    for (const QString &path : paths)
        mQueue.enqueue(path);
    if (mCurrentPath.isEmpty())
        // From the event loop, so that a caller inside a tick returns first.
        QTimer::singleShot(0, this, &QtSoundPlayer::startNext);
}

void QtSoundPlayer::startNext()
{
    if (!mCurrentPath.isEmpty() || mQueue.isEmpty())
        return;
    mCurrentPath = mQueue.dequeue();
    if (!hasOutputDevice()) {
        // Qt would report the sound as playing for ever.
        QTimer::singleShot(0, this, [this] { finish(Outcome::NoDevice); });
        return;
    }
    const qint64 length = waveLengthMs(mCurrentPath);
    mBound->start(boundMs(length));
    mStarted = false;
    mEffect = new QSoundEffect(QMediaDevices::defaultAudioOutput(), this);
    connect(mEffect, &QSoundEffect::statusChanged, this, [this] {
        if (mEffect->status() == QSoundEffect::Error)
            finish(Outcome::Failed);
    });
    connect(mEffect, &QSoundEffect::playingChanged, this, [this] {
        if (mEffect->isPlaying())
            mStarted = true;
        else if (mStarted)
            finish(Outcome::Played);
    });
    mEffect->setSource(QUrl::fromLocalFile(mCurrentPath));
    mEffect->play();
}

void QtSoundPlayer::finish(Outcome outcome)
{
    if (mCurrentPath.isEmpty())
        return;
    mBound->stop();
    if (mEffect) {
        mEffect->disconnect(this);
        mEffect->stop();
        mEffect->deleteLater();
        mEffect = nullptr;
    }
    const QString done = mCurrentPath;
    mCurrentPath.clear();
    if (mFinished)
        mFinished(done, outcome);
    startNext();
}

} // namespace orlam
