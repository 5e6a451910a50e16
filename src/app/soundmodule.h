#pragma once

#include "common/soundplayer.h"

#include <QString>

#include <functional>
#include <memory>

namespace orlam {

// The window's sound player. The player itself (QtSoundPlayer, over Qt Multimedia) is in a
// module of its own, liborlam-sound.so (windowmodule.h), loaded with its audio libraries when
// the first sound is queued or when load() is called: the window's start loads none of them.
class ModuleSoundPlayer : public SoundPlayer {
public:
    // `failed` is told once, with the module's path and the reason, when the module cannot be
    // loaded; the sounds queued are then dropped. `path` is the module's file; empty: the
    // program's own (modulePath(Module::Sound)), found when the module is loaded.
    explicit ModuleSoundPlayer(std::function<void(const QString &message)> failed, QString path = {});
    ~ModuleSoundPlayer() override;

    void enqueue(const QStringList &paths) override;

    // Loads the module, unless that was tried before; true when the player is there.
    bool load();

private:
    std::function<void(const QString &)> mFailed;
    QString mPath;
    std::unique_ptr<SoundPlayer> mPlayer;
    bool mTried = false;
};

// The module's one entry: a new player over the desktop's audio, owned by the caller.
using SoundPlayerEntry = SoundPlayer *(*)();
constexpr const char *SoundPlayerEntryName = "orlamSoundPlayer";

} // namespace orlam
