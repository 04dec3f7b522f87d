// A group box drawn as the dialog templates expect it: the etched frame's top line runs through
// the middle of the caption, so that controls placed just below the caption lie inside the frame.
#pragma once

#include <QGroupBox>

class TGroupFrame : public QGroupBox {
    Q_OBJECT

public:
    explicit TGroupFrame(QWidget* parent) : QGroupBox(parent) {}

    // The y of the frame's top line, in the box's own coordinates.
    int FrameTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
