// Feeds the window from the live line: reads the pseudo-terminal's master when it has bytes and
// now and then flags a message that lost its end.
#pragma once

#include "tools/boardsim/TBoardSession.h"

#include <QObject>

class QSocketNotifier;
class QTimer;
class TBoardWindow;

class TBoardLiveFeed : public QObject {
    Q_OBJECT
public:
    TBoardLiveFeed(TBoardSession& session, int masterFd, TBoardWindow& window);

private:
    void ReadLine();
    void CheckQuiet();

    TBoardSession& Session;
    int MasterFd;
    TBoardWindow& Window;
    QSocketNotifier* Notifier;
    QTimer* QuietTimer;
};
