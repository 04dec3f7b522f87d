#include "windows/TCopyRight.h"

#include "resources/Pictures.h"
#include "windows/CellHeightFont.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>
#include <cstdio>
#include <qdrawutil.h>

namespace {

const QColor White(0xFF, 0xFF, 0xFF);
const QColor DarkBlue(0x00, 0x00, 0x55);
const QColor Black(0x00, 0x00, 0x00);

bool IsEmpty(const char* text) {
    return !text || !*text;
}
const char* OrEmpty(const char* text) {
    return text ? text : "";
}

// Text with its cell's top-left corner at (x, top).
void DrawTextAt(QPainter& painter, int x, int top, const char* text, const QColor& colour) {
    painter.setPen(colour);
    painter.drawText(x, top + QFontMetrics(painter.font()).ascent(), QString::fromLatin1(text));
}

} // namespace

TCopyRight::TCopyRight(QWidget* owner, int width, int height, const char* name, const char* version,
                       const char* date, const char* copyright, const char* extraLine,
                       int pictureId, int displayTime)
    : TModalWindow(owner, "", -1, -1, width, height), Name(name), Version(version), Date(date),
      Copyright(copyright), ExtraLine(extraLine), PictureId(pictureId), DisplayTime(displayTime) {
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    // Only the size is needed here; painting loads the picture again.
    const QSize pictureSize = KadrantPicture(PictureId).size();
    CreateChildren(std::max(0, pictureSize.width()), std::max(0, pictureSize.height()));
}

TCopyRight::~TCopyRight() {
    if (DisplayTimer)
        killTimer(DisplayTimer);
}

void TCopyRight::CreateChildren(int w, int h) {
    const int W = width();
    auto place = [this](QWidget* child, int id, int x, int y, int cx, int cy) {
        child->setObjectName(QString::number(id));
        child->setGeometry(ClientToWindow(x, y, std::max(0, cx), std::max(0, cy)));
    };
    place(new QGroupBox(this), GroupBoxTextsId, w + 20, 3, W - w - 35, h - 20);
    place(new QGroupBox(this), GroupBoxAddressId, w + 20, h - 17, W - w - 35, 30);
    auto* address = new QLabel(QString::fromLatin1(MakerWebAddress), this);
    address->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    place(address, WebAddressId, w + 25, h - 6, W - w - 45, 15);
}

QString TCopyRight::VersionLine() const {
    char line[160];
    if (IsEmpty(Date))
        std::snprintf(line, sizeof line, "Version: %s", OrEmpty(Version));
    else
        std::snprintf(line, sizeof line, "Version: %s  -  %s", OrEmpty(Version), Date);
    return QString::fromLatin1(line);
}

void TCopyRight::SetupWindow() {
    TModalWindow::SetupWindow();
    // A negative time would start no timer at all and leave the box up for good.
    DisplayTimer = startTimer(std::max(0, DisplayTime), Qt::PreciseTimer);
}

void TCopyRight::PaintClient(QPainter& painter) {
    const QFont nameFont = FontWithCellHeight("Arial", 30, 700);
    const QFont lineFont = FontWithCellHeight("Arial", 18, 700);
    const QFont smallFont = FontWithCellHeight("Arial", 12, 700);

    const QImage picture = KadrantPicture(PictureId);
    const int w = picture.width();
    const int h = picture.height();
    // Sunken two-pixel edge whose inside is exactly the picture's place.
    qDrawWinPanel(&painter, 10, 10, w + 4, h + 4, palette(), true);
    if (!picture.isNull())
        painter.drawImage(12, 12, picture);

    const int X = w + 30;
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setFont(nameFont);
    DrawTextAt(painter, X, 15, OrEmpty(Name), White);
    DrawTextAt(painter, X, 14, OrEmpty(Name), DarkBlue);

    painter.setFont(lineFont);
    const QByteArray version = VersionLine().toLatin1();
    DrawTextAt(painter, X, 51, version.constData(), White);
    DrawTextAt(painter, X, 50, version.constData(), DarkBlue);
    if (!IsEmpty(Copyright)) {
        DrawTextAt(painter, X, 91, Copyright, White);
        DrawTextAt(painter, X, 90, Copyright, Black);
    }
    if (!IsEmpty(ExtraLine)) {
        painter.setFont(smallFont);
        DrawTextAt(painter, X, 71, ExtraLine, DarkBlue);
    }
}

void TCopyRight::timerEvent(QTimerEvent* event) {
    if (event->timerId() != DisplayTimer) {
        TModalWindow::timerEvent(event);
        return;
    }
    killTimer(DisplayTimer);
    DisplayTimer = 0;
    Close(ResultCancel);
}
