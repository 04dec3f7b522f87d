// Plays the count-down's sound file.
#pragma once

class TSoundPlayer {
public:
    virtual ~TSoundPlayer() = default;
    // Starts playing the WAV file at path and returns at once, cutting off a sound still
    // playing. A file that cannot be played sounds the platform's default sound instead.
    virtual void Play(const char* path) = 0;
};
