#include "tools/boardsim/TBoardLines.h"

bool TBoardLines::Apply(const TBoardEvent& event) {
    if (!event.Valid) {
        ++MalformedCount;
        LastProblemText = event.Problem;
        return false;
    }
    ++ReceivedCount;
    LastWireLine = event.WireLine;
    bool changed = Lines[event.WireLine] != event.Text;
    Lines[event.WireLine] = event.Text;
    return changed;
}
