#include "app/sound/TWinSoundPlayer.h"
#include "app/sound/SoundPlayer.h"

#include <string>
#include <windows.h>

#include <mmsystem.h> // after windows.h, whose types it uses

namespace {

std::wstring FromLocalCodePage(const char* text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(static_cast<std::size_t>(size - 1));
    return wide;
}

} // namespace

TWinSoundPlayer::~TWinSoundPlayer() {
    PlaySoundW(nullptr, nullptr, 0);
}

void TWinSoundPlayer::Play(const char* path) {
    const std::wstring file = FromLocalCodePage(path ? path : "");
    // SND_NODEFAULT: a failure is told by the result, so the beep below is the one fallback.
    if (file.empty() ||
        !PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT))
        MessageBeep(MB_OK);
}

std::unique_ptr<TSoundPlayer> MakeSoundPlayer() {
    return std::make_unique<TWinSoundPlayer>();
}
