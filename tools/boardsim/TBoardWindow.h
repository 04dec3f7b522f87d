// The simulator's window: the board's nine lines drawn as an amber dot-matrix panel, with a
// status strip for the message counts and the last malformed message.
#pragma once

#include "tools/boardsim/TBoardSession.h"

#include <QWidget>

class QSocketNotifier;
class QTimer;

class TBoardWindow : public QWidget {
    Q_OBJECT
public:
    TBoardWindow(TBoardSession& session, int masterFd, const QString& portLabel);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ReadLine();
    void CheckQuiet();
    void PaintRow(class QPainter& painter, int wireLine, QPointF origin, double dot);

    TBoardSession& Session;
    int MasterFd;
    QString PortLabel;
    QSocketNotifier* Notifier;
    QTimer* QuietTimer;
    bool LineGone = false;
};
