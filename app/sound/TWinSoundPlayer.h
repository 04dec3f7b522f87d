// The count-down's sound on Windows through the system's own player (PlaySoundW, WAV files), so
// the Windows program needs no multimedia library beside it.
#pragma once

#include "app/timing/TSoundPlayer.h"

class TWinSoundPlayer : public TSoundPlayer {
public:
    ~TWinSoundPlayer() override; // stops a sound still playing
    // path is in the local (ANSI) code page. Played asynchronously, cutting off a sound still
    // playing; a file that cannot be played sounds the default beep instead.
    void Play(const char* path) override;
};
