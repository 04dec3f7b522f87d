#include "tools/boardsim/TBoardLiveFeed.h"

#include "tools/boardsim/TBoardWindow.h"

#include <QSocketNotifier>
#include <QTimer>

TBoardLiveFeed::TBoardLiveFeed(TBoardSession& session, int masterFd, TBoardWindow& window)
    : QObject(&window), Session(session), MasterFd(masterFd), Window(window),
      Notifier(new QSocketNotifier(masterFd, QSocketNotifier::Read, this)),
      QuietTimer(new QTimer(this)) {
    connect(Notifier, &QSocketNotifier::activated, this, &TBoardLiveFeed::ReadLine);
    connect(QuietTimer, &QTimer::timeout, this, &TBoardLiveFeed::CheckQuiet);
    QuietTimer->start(200);
}

void TBoardLiveFeed::ReadLine() {
    std::vector<TBoardEvent> events;
    if (!Session.ReadFrom(MasterFd, events, TBoardLog::MonotonicMs())) {
        Notifier->setEnabled(false);
        Window.SetNote(QStringLiteral("line closed"));
    }
    if (!events.empty())
        Window.update();
}

void TBoardLiveFeed::CheckQuiet() {
    if (!Session.Idle(TBoardLog::MonotonicMs()).empty())
        Window.update();
}
