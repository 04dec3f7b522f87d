#include "tools/boardsim/TBoardLiveFeed.h"

#include "tools/boardsim/TBoardView.h"
#include "tools/boardsim/TPtyPort.h"

#include <QSocketNotifier>
#include <QString>
#include <QTimer>

namespace {
// How often a message cut short is looked for: it is flagged once the line has been quiet long
// enough.
constexpr int QuietCheckMs = 200;
} // namespace

TBoardLiveFeed::TBoardLiveFeed(TBoardSession& session, int masterFd, TBoardView& view,
                               QObject* parent)
    : QObject(parent), Session(session), MasterFd(masterFd), View(view),
      Notifier(new QSocketNotifier(masterFd, QSocketNotifier::Read, this)) {
    connect(Notifier, &QSocketNotifier::activated, this, &TBoardLiveFeed::ReadLine);
    auto* quiet = new QTimer(this);
    connect(quiet, &QTimer::timeout, this, &TBoardLiveFeed::CheckQuiet);
    quiet->start(QuietCheckMs);
}

void TBoardLiveFeed::ReadLine() {
    std::vector<TBoardEvent> events;
    if (!TPtyPort::ReadInto(MasterFd, Session, events, TBoardLog::MonotonicMs())) {
        Notifier->setEnabled(false);
        View.SetNote(QStringLiteral("line closed"));
    }
    if (!events.empty())
        View.Refresh();
}

void TBoardLiveFeed::CheckQuiet() {
    if (!Session.Idle(TBoardLog::MonotonicMs()).empty())
        View.Refresh();
}
