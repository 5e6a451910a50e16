#include "soundmodule.h"

#include "windowmodule.h"

namespace orlam {

ModuleSoundPlayer::ModuleSoundPlayer(std::function<void(const QString &)> failed, QString path)
    : mFailed(std::move(failed)), mPath(path.isEmpty() ? modulePath(Module::Sound) : std::move(path))
{
}

ModuleSoundPlayer::~ModuleSoundPlayer() = default;

bool ModuleSoundPlayer::load()
{
    if (mTried)
        return mPlayer != nullptr;
    mTried = true;
    Status failure;
    const auto entry =
        reinterpret_cast<SoundPlayerEntry>(loadModuleSymbol(mPath, SoundPlayerEntryName, &failure));
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
