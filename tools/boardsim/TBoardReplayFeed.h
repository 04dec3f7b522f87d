// Feeds the window from a recorded log at the recorded pace; once through, the final board stays.
#pragma once

#include "tools/boardsim/TBoardReplay.h"

#include <QObject>

class QTimer;
class TBoardWindow;

class TBoardReplayFeed : public QObject {
    Q_OBJECT
public:
    TBoardReplayFeed(TBoardReplay& replay, TBoardWindow& window);
    void Start();

private:
    void Advance();

    TBoardReplay& Replay;
    TBoardWindow& Window;
    QTimer* Timer;
};
