#include "app/sound/SoundPlayer.h"
#include "app/sound/TQtSoundPlayer.h"

std::unique_ptr<TSoundPlayer> MakeSoundPlayer() {
    return std::make_unique<TQtSoundPlayer>();
}
