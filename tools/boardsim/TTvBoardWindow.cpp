#include "tools/boardsim/TTvBoardWindow.h"

#include "tools/boardsim/TDotFont.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <vector>

namespace {
const QColor Black(0, 0, 0);
const QColor Lit(255, 176, 32);
const QColor Glow(255, 140, 0, 60);
const QColor Unlit(34, 24, 8);     // dark but there: the board, not a blank screen
constexpr double DotRadius = 0.38; // of the dot pitch, as on the windowed board
constexpr double GlowRadius = 0.65;
} // namespace

TTvBoardWindow::TTvBoardWindow(const TBoardLines& board, int lineCount, int screenNumber)
    : Board(board), LineCount(lineCount), WantedScreen(screenNumber) {
    setWindowTitle(QStringLiteral("Kadrant TV board"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setCursor(Qt::BlankCursor);
    // Every pixel is painted here, black where nothing is lit: no erase before each paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette palette;
    palette.setColor(QPalette::Window, Black);
    setPalette(palette);
    // The second screen, which with only one connected is the first until a TV is plugged in.
    if (WantedScreen <= 0)
        WantedScreen = 2;
    connect(qApp, &QGuiApplication::screenAdded, this, &TTvBoardWindow::PlaceSoon);
    connect(qApp, &QGuiApplication::screenRemoved, this, &TTvBoardWindow::PlaceSoon);
}

void TTvBoardWindow::Start() {
    Place();
}

// Qt moves the windows of a removed screen by itself after the signal; look once it is done.
void TTvBoardWindow::PlaceSoon() {
    QTimer::singleShot(0, this, &TTvBoardWindow::Place);
}

void TTvBoardWindow::Place() {
    QList<QScreen*> screens = QGuiApplication::screens();
    std::vector<std::string> names;
    for (QScreen* screen : screens)
        names.push_back(screen->name().toStdString());
    int index = PickTvScreen(names, WantedScreen, WantedScreenName);
    if (index < 0)
        return; // no screen at all: wait for one to be added
    if (index == WantedScreen - 1)
        WantedScreenName = names[index];
    QScreen* screen = screens[index];
    if (OnScreen != screen) {
        if (OnScreen)
            disconnect(OnScreen, nullptr, this, nullptr);
        OnScreen = screen;
        connect(screen, &QScreen::geometryChanged, this, &TTvBoardWindow::Place);
    }
    // A window manager may hold a full-screen window where it is: let go, move, take it again.
    if (isFullScreen() && windowHandle() && windowHandle()->screen() != screen)
        showNormal();
    if (!windowHandle())
        create();
    windowHandle()->setScreen(screen);
    setGeometry(screen->geometry());
    showFullScreen();
}

void TTvBoardWindow::resizeEvent(QResizeEvent*) {
    Current = TTvLayout::For(width(), height(), LineCount);
    Pad = static_cast<int>(std::ceil((GlowRadius - 0.5) * Current.Dot)) + 1;
    Glyphs.clear();
    for (int line = 0; line < LineCount; ++line)
        Shown[line] = Board.Line(line);
    update();
}

QRect TTvBoardWindow::CellRect(int line, int column) const {
    return QRect(Current.CellLeft(column) - Pad, Current.LineTop(line) - Pad,
                 Current.DigitWidth() + 2 * Pad, Current.DigitHeight() + 2 * Pad);
}

void TTvBoardWindow::Refresh() {
    for (int line = 0; line < LineCount; ++line) {
        const std::string& text = Board.Line(line);
        for (int column = 0; column < TTvLayout::Characters; ++column)
            if (text[column] != Shown[line][column])
                update(CellRect(line, column));
        Shown[line] = text;
    }
}

// One character on black, its glow included, so that a repaint is one copy per character.
const QPixmap& TTvBoardWindow::GlyphImage(char c) {
    auto found = Glyphs.find(c);
    if (found != Glyphs.end())
        return *found;
    qreal ratio = devicePixelRatioF();
    QRect cell = CellRect(0, 0);
    QPixmap image(cell.size() * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    double dot = Current.Dot;
    dotfont::TGlyph glyph = dotfont::Glyph(c);
    for (int y = 0; y < TTvLayout::GlyphRows; ++y) {
        for (int x = 0; x < TTvLayout::GlyphDots; ++x) {
            QPointF centre(Pad + (x + 0.5) * dot, Pad + (y + 0.5) * dot);
            bool on = glyph[y] & (0x10 >> x);
            if (on) {
                painter.setBrush(Glow);
                painter.drawEllipse(centre, GlowRadius * dot, GlowRadius * dot);
            }
            painter.setBrush(on ? Lit : Unlit);
            painter.drawEllipse(centre, DotRadius * dot, DotRadius * dot);
        }
    }
    painter.end();
    return *Glyphs.insert(c, image);
}

void TTvBoardWindow::paintEvent(QPaintEvent* event) {
    ++Paints;
    QPainter painter(this);
    painter.fillRect(event->rect(), Black);
    if (Current.Dot <= 0)
        return;
    for (int line = 0; line < LineCount; ++line) {
        for (int column = 0; column < TTvLayout::Characters; ++column) {
            QRect cell = CellRect(line, column);
            if (event->region().intersects(cell))
                painter.drawPixmap(cell.topLeft(), GlyphImage(Shown[line][column]));
        }
    }
}

void TTvBoardWindow::keyPressEvent(QKeyEvent* event) {
    bool ctrlQ = event->key() == Qt::Key_Q && (event->modifiers() & Qt::ControlModifier);
    if (event->key() == Qt::Key_Escape || ctrlQ || event->matches(QKeySequence::Quit)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
