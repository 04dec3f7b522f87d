#include "toolkit/TGroupFrame.h"

#include <QPainter>
#include <qdrawutil.h>

int TGroupFrame::FrameTop() const {
    return fontMetrics().height() / 2;
}

void TGroupFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int top = FrameTop();
    // Etched: a shadow line with a light line inside it, all round.
    qDrawShadeRect(&painter, 0, top, width(), height() - top, palette(), true, 1, 0);

    const QString caption = title();
    if (caption.isEmpty())
        return;
    // The caption sits on the line one character in, on the face colour that hides the line.
    const QFontMetrics metrics = fontMetrics();
    const int padding = 2;
    const QRect place(metrics.averageCharWidth(), 0,
                      metrics.horizontalAdvance(caption) + 2 * padding, metrics.height());
    painter.fillRect(place, palette().color(QPalette::Window));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(place, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
}
