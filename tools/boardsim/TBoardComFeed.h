// Feeds a board view from a COM port on Windows: the port's own thread reads it and a queued call
// brings what arrived to the window's thread. A port that cannot be opened, or that goes, is tried
// again every second, and the view (and standard error) says so meanwhile. The windowed and the
// full-screen board share it, as TBoardLiveFeed on Linux.
#pragma once

#include "tools/boardsim/TBoardSession.h"
#include "tools/boardsim/TComPortSource.h"

#include <QObject>
#include <memory>
#include <string>

class QTimer;
class TBoardView;

class TBoardComFeed : public QObject {
public:
    TBoardComFeed(TBoardSession& session, int comNumber, TBoardView& view, QObject* parent);
    ~TBoardComFeed() override; // the reading thread ends before anything it calls into goes

private:
    void TryOpen();
    void TakeArrived();
    void CheckQuiet();
    void Say(const std::string& problem);

    TBoardSession& Session;
    const int ComNumber;
    TBoardView& View;
    std::unique_ptr<TComPortSource> Port;
    QTimer* Retry;
    std::string LastProblem; // told once, not every second
};
