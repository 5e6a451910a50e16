// The sound module's entry: the player over Qt Multimedia, which the window loads only when it
// needs sound (soundmodule.h).

#include "qtsoundplayer.h"
#include "soundmodule.h"

extern "C" Q_DECL_EXPORT orlam::SoundPlayer *orlamSoundPlayer()
{
    return new orlam::QtSoundPlayer;
}
