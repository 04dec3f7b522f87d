// Feeds a board view from the live line: reads the pseudo-terminal's master when it has bytes and
// now and then flags a message that lost its end. The windowed and the full-screen board share it;
// only the view differs.
#pragma once

#include "tools/boardsim/TBoardSession.h"

#include <QObject>

class QSocketNotifier;
class TBoardView;

class TBoardLiveFeed : public QObject {
    Q_OBJECT
public:
    TBoardLiveFeed(TBoardSession& session, int masterFd, TBoardView& view, QObject* parent);

private:
    void ReadLine();
    void CheckQuiet();

    TBoardSession& Session;
    int MasterFd;
    TBoardView& View;
    QSocketNotifier* Notifier;
};
