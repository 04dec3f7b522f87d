// The platform's player of the count-down's sound.
#pragma once

#include "app/timing/TSoundPlayer.h"

#include <memory>

std::unique_ptr<TSoundPlayer> MakeSoundPlayer();
