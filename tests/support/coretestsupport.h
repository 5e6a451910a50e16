#pragma once

// Pieces every core test rig needs: a work directory of the test's own, a scoped environment
// variable, a message sink that records, and byte-level file helpers.

#include "common/messagesink.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <string>

namespace orlam::test {

// Makes a fresh temporary directory the process's current directory for one test, and puts
// the previous one back afterwards, so the job file never lands in the build tree.
class ScopedWorkDir {
public:
    ScopedWorkDir() : mPrevious(QDir::currentPath())
    {
        EXPECT_TRUE(mDir.isValid());
        EXPECT_TRUE(QDir::setCurrent(mDir.path()));
    }
    ~ScopedWorkDir() { QDir::setCurrent(mPrevious); }
    ScopedWorkDir(const ScopedWorkDir &) = delete;
    ScopedWorkDir &operator=(const ScopedWorkDir &) = delete;

    QString path() const { return mDir.path(); }
    QString filePath(const QString &name) const { return mDir.filePath(name); }

private:
    QString mPrevious;
    QTemporaryDir mDir;
};

// A fresh temporary work folder that is not the current directory: code under test writes there
// only when it is handed the folder. Beside a ScopedWorkDir it shows that nothing lands in the
// current directory instead.
class WorkFolder {
public:
    WorkFolder() { EXPECT_TRUE(mDir.isValid()); }
    QString path() const { return mDir.path(); }
    QString filePath(const QString &name) const { return mDir.filePath(name); }
    // The names in the folder, sorted.
    QStringList entries() const
    {
        return QDir(mDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

private:
    QTemporaryDir mDir;
};

// The current directory, which must stay empty, beside the work folder code is handed.
struct SeparateWorkFolder {
    ScopedWorkDir current;
    WorkFolder work;
};

// Sets an environment variable for one test and restores the old value (or its absence).
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : mName(name), mHad(qEnvironmentVariableIsSet(name)), mOld(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (mHad)
            qputenv(mName, mOld);
        else
            qunsetenv(mName);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *mName;
    bool mHad;
    QByteArray mOld;
};

class RecordingSink final : public MessageSink {
public:
    void showMessage(const QString &text) override { messages << text; }
    QStringList messages;
};

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Byte strings shown with their line ends visible, so a failed comparison says where it differs.
inline std::string showBytes(const QByteArray &bytes)
{
    QByteArray shown = bytes;
    shown.replace("\r", "\\r");
    shown.replace("\n", "\\n\n");
    return shown.toStdString();
}

} // namespace orlam::test
