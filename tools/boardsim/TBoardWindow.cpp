#include "tools/boardsim/TBoardWindow.h"

#include "tools/boardsim/TDotFont.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int Columns = TBoardLines::Width;
constexpr int Rows = TBoardLines::LineCount;
constexpr double CellDots = 6.0; // five lit columns and a gap
constexpr double RowDots = 9.0;  // seven lit rows and a gap of two
constexpr double LabelWidth = 34.0;
constexpr double Margin = 18.0;
constexpr double StatusHeight = 40.0;
const QColor Panel(14, 12, 10);
const QColor Lit(255, 176, 32);
const QColor Unlit(52, 36, 14);
const QColor Label(120, 112, 100);
} // namespace

TBoardWindow::TBoardWindow(const TBoardLines& board, const QString& label)
    : Board(board), Title(label) {
    setWindowTitle(QStringLiteral("Board simulator - %1").arg(label));
    setMinimumSize(260, 280);
}

QSize TBoardWindow::sizeHint() const {
    return {380, 480};
}

void TBoardWindow::SetNote(const QString& note) {
    Note = note;
    update();
}

void TBoardWindow::PaintRow(QPainter& painter, int wireLine, QPointF origin, double dot) {
    const std::string& text = Board.Line(wireLine);
    double radius = dot * 0.38;
    for (int column = 0; column < Columns; ++column) {
        dotfont::TGlyph glyph = dotfont::Glyph(text[column]);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 5; ++x) {
                bool on = glyph[y] & (0x10 >> x);
                QPointF centre(origin.x() + (column * CellDots + x + 0.5) * dot,
                               origin.y() + (y + 0.5) * dot);
                if (on) {
                    painter.setBrush(QColor(255, 140, 0, 60));
                    painter.drawEllipse(centre, radius * 1.7, radius * 1.7);
                    painter.setBrush(Lit);
                } else {
                    painter.setBrush(Unlit);
                }
                painter.drawEllipse(centre, radius, radius);
            }
        }
    }
}

void TBoardWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(40, 40, 44));

    QRectF frame = QRectF(rect()).adjusted(8, 8, -8, -8 - StatusHeight);
    QPainterPath body;
    body.addRoundedRect(frame, 10, 10);
    painter.fillPath(body, Panel);
    painter.setPen(QPen(QColor(70, 70, 76), 2));
    painter.drawPath(body);

    double dotW = (frame.width() - 2 * Margin - LabelWidth) / (Columns * CellDots - 1);
    double dotH = (frame.height() - 2 * Margin) / (Rows * RowDots - 2);
    double dot = std::max(1.0, std::min(dotW, dotH));
    double boardWidth = LabelWidth + (Columns * CellDots - 1) * dot;
    double boardHeight = (Rows * RowDots - 2) * dot;
    QPointF topLeft(frame.center().x() - boardWidth / 2, frame.center().y() - boardHeight / 2);

    QFont labelFont = font();
    labelFont.setPixelSize(std::max(9, int(dot * 4)));
    painter.setFont(labelFont);
    for (int row = 0; row < Rows; ++row) {
        double y = topLeft.y() + row * RowDots * dot;
        bool last = row == Board.LastLine();
        painter.setPen(last ? Lit : Label);
        painter.drawText(QRectF(topLeft.x(), y, LabelWidth - 6, 7 * dot),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("L%1").arg(row));
        painter.setPen(Qt::NoPen);
        PaintRow(painter, row, QPointF(topLeft.x() + LabelWidth, y), dot);
    }

    QRectF status(12, height() - StatusHeight - 2, width() - 24, StatusHeight / 2);
    QRectF problem = status.translated(0, StatusHeight / 2);
    QFont statusFont = font();
    statusFont.setPixelSize(12);
    painter.setFont(statusFont);
    painter.setPen(QColor(200, 200, 200));
    QString counts = QStringLiteral("%1  ·  %2 messages  ·  %3 malformed")
                         .arg(Title)
                         .arg(Board.Received())
                         .arg(Board.Malformed());
    if (!Note.isEmpty())
        counts += QStringLiteral("  ·  ") + Note;
    painter.drawText(status, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(counts, Qt::ElideRight, int(status.width())));
    if (!Board.LastProblem().empty()) {
        painter.setPen(QColor(255, 110, 90));
        QString text =
            QStringLiteral("last malformed: %1").arg(QString::fromStdString(Board.LastProblem()));
        painter.drawText(
            problem, Qt::AlignLeft | Qt::AlignVCenter,
            painter.fontMetrics().elidedText(text, Qt::ElideRight, int(problem.width())));
    }
}
