// A push button with a picture face. Light grey 192,192,192 in the picture is drawn in the
// button-face colour. Enter pressed while it has the focus presses it.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QImage>
#include <QPushButton>

class TDecButton : public QPushButton, public TWindowControl {
    Q_OBJECT

public:
    // A null caption keeps the template's (the program's buttons have none).
    TDecButton(TWinDialog* dialog, int id, int pictureId, const char* caption = nullptr);

    QWidget* Window() override { return this; }
    void SetUp() override;

    // Makes picture pictureId the face; 0 or less, or an unknown picture, keeps the current one.
    void SetGlyph(int pictureId);
    int GlyphId() const { return CurrentGlyph; }
    // The face as drawn, light grey already turned into the button face.
    const QImage& Glyph() const { return Face; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildFace();

    const char* Caption;
    int CurrentGlyph = 0;
    QImage Picture;
    QImage Face;
};
