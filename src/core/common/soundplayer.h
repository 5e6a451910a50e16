#pragma once

#include <QStringList>

namespace orlam {

// Plays wave files one after another, in the order they were queued, without holding up the
// caller: enqueue() returns at once. The program's player sits over the desktop's audio; tests
// give their own.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Queues the files (paths) behind those already queued.
    virtual void enqueue(const QStringList &paths) = 0;
};

} // namespace orlam
