#include "tools/boardsim/TTvLayout.h"

#include <algorithm>

TTvLayout TTvLayout::For(int screenWidth, int screenHeight, int lineCount) {
    TTvLayout layout;
    layout.Lines = lineCount;
    if (screenWidth <= 0 || screenHeight <= 0 || lineCount <= 0)
        return layout;
    int usableWidth = screenWidth - 2 * (screenWidth * MarginPercent / 100);
    int usableHeight = screenHeight - 2 * (screenHeight * MarginPercent / 100);
    // Whole pixels keep every dot the same shape; the rest of the width goes to the margins.
    layout.Dot = std::max(
        1, std::min(usableWidth / LineWidthDots, usableHeight / (lineCount * LineDots - 2)));
    layout.Left = (screenWidth - layout.LineWidth()) / 2;
    layout.Top = (screenHeight - layout.BlockHeight()) / 2;
    return layout;
}

int PickTvScreen(const std::vector<std::string>& names, int wanted, const std::string& wantedName) {
    if (names.empty())
        return -1;
    if (!wantedName.empty()) {
        auto found = std::find(names.begin(), names.end(), wantedName);
        if (found != names.end())
            return static_cast<int>(found - names.begin());
    }
    return std::clamp(wanted, 1, static_cast<int>(names.size())) - 1;
}
