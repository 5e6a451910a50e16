#include "soundmodule.h"

#include "windowmodule.h"

namespace orlam {

ModuleSoundPlayer::ModuleSoundPlayer(std::function<void(const QString &)> failed, QString path)
    : mFailed(std::move(failed)), mPath(std::move(path))
{
}

ModuleSoundPlayer::~ModuleSoundPlayer() = default;

bool ModuleSoundPlayer::load()
{
    if (mTried)
        return mPlayer != nullptr;
    mTried = true;
    Status failure;
    // The program's own file is looked up here, after the window's start rather than while the
    // window is built.
    const QString path = mPath.isEmpty() ? modulePath(Module::Sound) : mPath;
    const auto entry =
        reinterpret_cast<SoundPlayerEntry>(loadModuleSymbol(path, SoundPlayerEntryName, &failure));
    if (entry)
        mPlayer.reset(entry());
    if (!mPlayer && mFailed)
        mFailed(failure.message);
    return mPlayer != nullptr;
}

void ModuleSoundPlayer::enqueue(const QStringList &paths)
{
    if (load())
        mPlayer->enqueue(paths);
}

} // namespace orlam
