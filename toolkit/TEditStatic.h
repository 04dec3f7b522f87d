// A static text bound to a Latin-1 text. When framed and enabled the dialog draws it dark red on
// its own background colour. Only shown, never stored.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QColor>
#include <QLabel>

class TEditStatic : public QLabel, public TBoundControl {
    Q_OBJECT

public:
    TEditStatic(TWinDialog* dialog, int id, const char* text, int framed = 0);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;
    void StoreValue() override {}

    int Framed;
    QColor BackgroundColor = Qt::white;

protected:
    void changeEvent(QEvent* event) override;

private:
    const char* Text;
};
