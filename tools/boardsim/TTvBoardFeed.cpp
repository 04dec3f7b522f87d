#include "tools/boardsim/TTvBoardFeed.h"

#include "tools/boardsim/TTvBoardWindow.h"

#include <QSocketNotifier>
#include <QTimer>

TTvBoardFeed::TTvBoardFeed(TBoardSession& session, int masterFd, TTvBoardWindow& window)
    : QObject(&window), Session(session), MasterFd(masterFd), Window(window),
      Notifier(new QSocketNotifier(masterFd, QSocketNotifier::Read, this)) {
    connect(Notifier, &QSocketNotifier::activated, this, &TTvBoardFeed::ReadLine);
    // A message cut short is logged as malformed once the line has been quiet long enough.
    QTimer* quiet = new QTimer(this);
    connect(quiet, &QTimer::timeout, this, &TTvBoardFeed::CheckQuiet);
    quiet->start(200); // as often as the windowed board looks
}

void TTvBoardFeed::ReadLine() {
    std::vector<TBoardEvent> events;
    if (!Session.ReadFrom(MasterFd, events, TBoardLog::MonotonicMs()))
        Notifier->setEnabled(false);
    if (!events.empty())
        Window.Refresh();
}

void TTvBoardFeed::CheckQuiet() {
    Session.Idle(TBoardLog::MonotonicMs());
}
