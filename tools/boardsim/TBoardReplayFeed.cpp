#include "tools/boardsim/TBoardReplayFeed.h"

#include "tools/boardsim/TBoardWindow.h"

#include <QTimer>
#include <algorithm>
#include <climits>

TBoardReplayFeed::TBoardReplayFeed(TBoardReplay& replay, TBoardWindow& window)
    : QObject(&window), Replay(replay), Window(window), Timer(new QTimer(this)) {
    Timer->setSingleShot(true);
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, &TBoardReplayFeed::Advance);
}

void TBoardReplayFeed::Start() {
    if (Replay.Done()) {
        Window.SetNote(QStringLiteral("nothing recorded"));
        return;
    }
    Window.SetNote(QStringLiteral("0/%1").arg(Replay.Count()));
    Timer->start(static_cast<int>(Replay.DelayMs()));
}

void TBoardReplayFeed::Advance() {
    // Entries recorded in the same instant go in one repaint.
    std::string wallClock;
    do {
        const TLogEntry& entry = Replay.Step();
        if (!entry.Damaged)
            wallClock = entry.WallClock;
    } while (!Replay.Done() && Replay.DelayMs() == 0);
    // The time of day to the second fits the narrow status strip; the rest is in the log.
    QString time = QString::fromStdString(wallClock.substr(wallClock.find('T') + 1, 8));
    if (Replay.Done()) {
        Window.SetNote(QStringLiteral("end, %1").arg(time));
        return;
    }
    Window.SetNote(
        QStringLiteral("%1/%2, %3").arg(Replay.Position()).arg(Replay.Count()).arg(time));
    Timer->start(static_cast<int>(std::min<long long>(Replay.DelayMs(), INT_MAX)));
}
