#include "app/window/WorkingDirectory.h"

void EnterWorkingDirectory() {}
