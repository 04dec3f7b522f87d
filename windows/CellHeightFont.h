// Fonts asked for by character cell height (ascent plus descent), as the dialogs give them.
#pragma once

#include <QFont>

// The face at the largest pixel size whose cell fits in cellHeight pixels; weight on the
// 100-900 scale (400 normal, 700 bold).
QFont FontWithCellHeight(const char* face, int cellHeight, int weight);
