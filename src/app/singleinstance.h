#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace orlam {

// The name under which one running copy of the program holds its lock.
constexpr auto SingleInstanceGuid = "{5E0C93B2-7A41-4F1D-9C6E-2B8D0F4A17C3}";

// One copy at a time per work folder: a lock file named after the fixed GUID in the folder the
// program works in, so two copies that would share its job file and reports exclude each other
// whatever else differs in their environment. The lock lives as long as this object; a copy
// that died leaves a lock that the next start takes over, because the lock records the
// holder's process id.
class SingleInstanceLock {
public:
    enum class Outcome {
        Acquired,      // this process holds the lock now
        HeldByAnother, // a running copy holds it
        Failed         // the lock cannot be made: failure() says why
    };

    explicit SingleInstanceLock(const QString &path);

    // Anything but a plain file under the lock's name (a link, a pipe) is removed first: it is
    // the program's own name in its own folder, and a link there is never followed.
    Outcome tryAcquire();
    // Gives the lock up now (the object's end does so too).
    void release() { mLock.reset(); }
    const QString &path() const { return mPath; }
    // Why the lock could not be made, naming the folder: "Orlam cannot lock its work folder
    // /home/u/.local/share/Orlam: No space left on device."
    const QString &failure() const { return mFailure; }

    // The lock file in `workFolder`.
    static QString pathIn(const QString &workFolder);

private:
    Outcome fail(const QString &reason);

    QString mPath;
    QString mFailure;
    std::unique_ptr<QLockFile> mLock;
};

} // namespace orlam
