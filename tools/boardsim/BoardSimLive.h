// The live line, one file per platform: on Linux a pseudo-terminal made here and linked as
// ports/ComN (BoardSimLiveLinux.cpp), on Windows an existing COM port (BoardSimLiveWindows.cpp).
// The options, the session and the windows are shared.
#pragma once

#include "tools/boardsim/TBoardMessageParser.h"
#include "tools/boardsim/TBoardSimOptions.h"

namespace boardsimlive {

// The usage lines of the live line's options, as this platform has them.
const char* Usage();
// False when the options ask for what this platform's line does not have.
bool Fits(const TOptions& options);
int Run(int argc, char** argv, const TOptions& options);

// A received message as --headless prints it; main.cpp's, shared by both lines.
void Print(const TBoardEvent& event);

} // namespace boardsimlive
