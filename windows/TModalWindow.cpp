#include "windows/TModalWindow.h"

#include "windows/CellHeightFont.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <qdrawutil.h>

namespace {

// The controls' face is asked for at cell height 8; its smallest raster size is 8 pt, a 13-pixel
// cell, which is what that request gets. A scalable stand-in would otherwise shrink the text
// to an unreadable 6 pixels.
constexpr int SharedFontCellHeight = 13;

QPoint CentredOnScreen(int width, int height) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QPoint(0, 0);
    const QRect area = screen->geometry();
    return QPoint(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
}

} // namespace

TModalWindow::TModalWindow(QWidget* owner, const char* caption, int x, int y, int width, int height)
    : QWidget(owner, Qt::Dialog | Qt::FramelessWindowHint), Owner(owner),
      Font(FontWithCellHeight("MS Sans Serif", SharedFontCellHeight, 400)) {
    const QPoint position = (x == -1 && y == -1) ? CentredOnScreen(width, height) : QPoint(x, y);
    setGeometry(position.x(), position.y(), width, height);
    setWindowTitle(QString::fromLatin1(caption ? caption : ""));
}

TModalWindow::~TModalWindow() {
    EnableOtherWindows();
}

int TModalWindow::Execute() {
    if (Loop)
        return 0;
    QEventLoop loop;
    Loop = &loop;
    Result = 0;
    show();
    DisableOtherWindows();
    SetupWindow();
    raise();
    activateWindow();
    const int result = loop.exec();
    Loop = nullptr;
    EnableOtherWindows();
    if (Owner) {
        Owner->activateWindow();
        Owner->setFocus(Qt::ActiveWindowFocusReason);
    }
    return result;
}

void TModalWindow::Close(int result) {
    Result = result;
    if (Loop)
        Loop->exit(result);
    hide();
}

void TModalWindow::SetupWindow() {
    setFont(Font);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setFont(Font);
}

void TModalWindow::PaintClient(QPainter&) {}

QRect TModalWindow::ClientToWindow(int x, int y, int width, int height) const {
    return QRect(x + FrameWidth, y + FrameWidth, width, height);
}

void TModalWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Double border: a raised two-pixel edge, then one pixel of face.
    qDrawWinPanel(&painter, rect(), palette(), false);
    painter.translate(FrameWidth, FrameWidth);
    painter.setClipRect(0, 0, width() - 2 * FrameWidth, height() - 2 * FrameWidth);
    PaintClient(painter);
}

void TModalWindow::closeEvent(QCloseEvent* event) {
    // The system close command (window manager, Alt+F4) ends the box with Cancel.
    Close(ResultCancel);
    event->accept();
}

void TModalWindow::keyPressEvent(QKeyEvent* event) {
    // Without a caption bar no window manager may offer Alt+F4, so the box answers it itself.
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier) {
        Close(ResultCancel);
        return;
    }
    event->ignore();
}

void TModalWindow::DisableOtherWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isEnabled()) {
            DisabledWindows.append(window);
            window->setEnabled(false);
        }
    }
    // Disabling the owner's window disables its child windows too, this one included.
    setEnabled(true);
}

void TModalWindow::EnableOtherWindows() {
    for (const QPointer<QWidget>& window : DisabledWindows)
        if (window)
            window->setEnabled(true);
    DisabledWindows.clear();
}
