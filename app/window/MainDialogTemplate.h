// The main dialog's template, registered as dialog resource 1.
#pragma once

#include "toolkit/TDialogTemplate.h"

constexpr int MainDialogId = 1;

const TDialogTemplate& MainDialogTemplate();
