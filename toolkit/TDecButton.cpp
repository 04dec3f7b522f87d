#include "toolkit/TDecButton.h"

#include "resources/Pictures.h"
#include "toolkit/TWinDialog.h"

#include <QEvent>
#include <QKeyEvent>

namespace {

const QRgb FaceMarker = qRgb(192, 192, 192);

} // namespace

TDecButton::TDecButton(TWinDialog* dialog, int id, int pictureId, const char* caption)
    : QPushButton(dialog), TWindowControl(dialog, id), Caption(caption) {
    setAutoDefault(false);
    SetGlyph(pictureId);
}

void TDecButton::SetUp() {
    if (Caption)
        setText(QString::fromLatin1(Caption));
    update();
}

void TDecButton::SetGlyph(int pictureId) {
    if (pictureId <= 0)
        return;
    QImage picture = KadrantPicture(pictureId);
    if (picture.isNull())
        return;
    CurrentGlyph = pictureId;
    Picture = picture.convertToFormat(QImage::Format_ARGB32);
    BuildFace();
}

void TDecButton::BuildFace() {
    Face = Picture;
    const QRgb face = palette().color(QPalette::Button).rgba();
    for (int y = 0; y < Face.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(Face.scanLine(y));
        for (int x = 0; x < Face.width(); ++x) {
            if (line[x] == (FaceMarker | 0xff000000u))
                line[x] = face;
        }
    }
    setIcon(QIcon(QPixmap::fromImage(Face)));
    setIconSize(Face.size());
}

void TDecButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TDecButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !Picture.isNull())
        BuildFace();
}
