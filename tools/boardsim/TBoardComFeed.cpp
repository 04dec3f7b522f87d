#include "tools/boardsim/TBoardComFeed.h"

#include "tools/boardsim/TBoardView.h"

#include <QString>
#include <QTimer>
#include <cstdio>

namespace {
constexpr int RetryMs = 1000;
// How often a message cut short is looked for: it is flagged once the line has been quiet long
// enough.
constexpr int QuietCheckMs = 200;
} // namespace

TBoardComFeed::TBoardComFeed(TBoardSession& session, int comNumber, TBoardView& view,
                             QObject* parent)
    : QObject(parent), Session(session), ComNumber(comNumber), View(view), Retry(new QTimer(this)) {
    Retry->setSingleShot(true);
    Retry->setInterval(RetryMs);
    connect(Retry, &QTimer::timeout, this, &TBoardComFeed::TryOpen);
    auto* quiet = new QTimer(this);
    connect(quiet, &QTimer::timeout, this, &TBoardComFeed::CheckQuiet);
    quiet->start(QuietCheckMs);
    TryOpen();
}

TBoardComFeed::~TBoardComFeed() {
    Port.reset();
}

void TBoardComFeed::TryOpen() {
    auto port = std::make_unique<TComPortSource>(ComNumber);
    // On the reading thread: only a call queued to this one, which Qt drops once this is gone.
    port->OnArrival([this] {
        QMetaObject::invokeMethod(
            this, [this] { TakeArrived(); }, Qt::QueuedConnection);
    });
    std::string reason;
    if (port->Open(reason) != TComPortSource::TOpen::Opened) {
        Say("cannot open " + port->Path() + ": " + reason);
        Retry->start();
        return;
    }
    Port = std::move(port);
    std::printf("kadrant-boardsim: Com%d is %s\n", ComNumber, Port->Path().c_str());
    std::fflush(stdout);
    LastProblem.clear();
    View.SetNote(QString());
}

void TBoardComFeed::TakeArrived() {
    if (!Port)
        return;
    std::string bytes;
    const TComPortSource::TLine line = Port->Take(bytes, std::chrono::milliseconds(0));
    if (!bytes.empty() &&
        !Session.Receive(bytes.data(), bytes.size(), TBoardLog::MonotonicMs()).empty())
        View.Refresh();
    if (line == TComPortSource::TLine::Gone) {
        Port.reset();
        Say("line closed");
        Retry->start();
    }
}

void TBoardComFeed::CheckQuiet() {
    if (!Session.Idle(TBoardLog::MonotonicMs()).empty())
        View.Refresh();
}

void TBoardComFeed::Say(const std::string& problem) {
    View.SetNote(QStringLiteral("%1, trying again").arg(QString::fromStdString(problem)));
    if (problem == LastProblem)
        return;
    LastProblem = problem;
    std::fprintf(stderr, "kadrant-boardsim: Com%d: %s; trying again every second\n", ComNumber,
                 problem.c_str());
}
