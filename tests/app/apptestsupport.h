#pragma once

// Test rig for the window: a work folder and a settings file of its own for every test, the
// stand-in engine that always leaves the same chart, a fixed locale and zone, and the messages
// and the end of the program caught instead of shown.

#include "settings/localefacts.h"
#include "torm.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>
#include <memory>

namespace orlam::test {

inline QString fakeEngine()
{
    return QStringLiteral(ORLAM_TEST_DATA "/app/fake-engine.sh");
}

inline LocaleFacts usLocale()
{
    return LocaleFacts::make(QLocale(QStringLiteral("en_US")), QTimeZone("America/Chicago"),
                             QDate(2026, 6, 15));
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A work folder that is the current folder while the rig lives, with "Orlam.ini" in it.
class WindowRig {
public:
    explicit WindowRig(const QByteArray &extraKeys = {}) : mPrevious(QDir::currentPath())
    {
        QDir::setCurrent(mDir.path());
        mSettings = mDir.filePath(QStringLiteral("Orlam.ini"));
        writeAll(mSettings, "[orlam]\r\nAstrolog=" + fakeEngine().toUtf8() + "\r\n" + extraKeys);
    }
    ~WindowRig() { QDir::setCurrent(mPrevious); }
    WindowRig(const WindowRig &) = delete;
    WindowRig &operator=(const WindowRig &) = delete;

    const QString &settingsPath() const { return mSettings; }
    void setSettingsPath(const QString &path) { mSettings = path; }
    QString filePath(const QString &name) const { return mDir.filePath(name); }
    QString folder() const { return mDir.path(); }

    // A window on the rig's settings; its messages land in messages, its end in endCode.
    std::unique_ptr<TOrm> makeWindow(TOrm::FirstDate firstDate = TOrm::FirstDate::OnShow)
    {
        auto window = std::make_unique<TOrm>(mSettings, folder(), usLocale(), firstDate);
        window->setMessageHandler([this](const QString &text) { messages << text; });
        window->setEndProgram([this](int code) { endCode = code; });
        return window;
    }

    QStringList messages;
    int endCode = -1;

private:
    QString mPrevious;
    QTemporaryDir mDir;
    QString mSettings;
};

} // namespace orlam::test
