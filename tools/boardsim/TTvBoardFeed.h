// Feeds the full-screen board from the live line. Unlike the windowed board it shows no note when
// the line closes or a message is malformed: the TV only ever shows the lines.
#pragma once

#include "tools/boardsim/TBoardSession.h"

#include <QObject>

class QSocketNotifier;
class TTvBoardWindow;

class TTvBoardFeed : public QObject {
    Q_OBJECT
public:
    TTvBoardFeed(TBoardSession& session, int masterFd, TTvBoardWindow& window);

private:
    void ReadLine();
    void CheckQuiet();

    TBoardSession& Session;
    int MasterFd;
    TTvBoardWindow& Window;
    QSocketNotifier* Notifier;
};
