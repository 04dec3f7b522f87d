// Test support: a pseudo-terminal as the serial line, the board's end held by the test. On Linux
// the test makes it itself and links ports/ComN to it; under Wine it asks wine_ptys.py (started
// by scripts/wine-run.sh) for one mapped as COMn. One file per platform, the same class.
#pragma once

#ifdef _WIN32
#include "tests/support/PtyLineWine.h"
#else
#include "tests/support/PtyLinePosix.h"
#endif
