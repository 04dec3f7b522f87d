// The main window's tick. The timing functions count in its steps and keep it in phase with the
// seconds, and the sending thread looks at its queue once per tick just after it
// (TScbDriver::AlignLooks): the phase holds only while all of them use this one period.
#pragma once

constexpr int TickPeriodMs = 100;
