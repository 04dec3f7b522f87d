// The simulator's window: the board's nine lines drawn as an amber dot-matrix panel, with a
// status strip for the message counts and the last malformed message. It only shows a board; a
// feed (the live line or a replayed log) changes the board and asks for a repaint.
#pragma once

#include "tools/boardsim/TBoardLines.h"
#include "tools/boardsim/TBoardView.h"

#include <QWidget>

class TBoardWindow : public QWidget, public TBoardView {
    Q_OBJECT
public:
    TBoardWindow(const TBoardLines& board, const QString& label);
    QSize sizeHint() const override;
    void Refresh() override { update(); }
    // A word after the counts: "line closed", the replay's progress.
    void SetNote(const QString& note) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintRow(class QPainter& painter, int wireLine, QPointF origin, double dot);

    const TBoardLines& Board;
    QString Title;
    QString Note;
};
