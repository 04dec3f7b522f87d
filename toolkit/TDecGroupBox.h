// A group box whose caption the dialog colours (see TWinDialog::ApplyControlColors).
#pragma once

#include "toolkit/TWindowControl.h"

#include <QGroupBox>

class TDecGroupBox : public QGroupBox, public TWindowControl {
    Q_OBJECT

public:
    // A null caption keeps the template's.
    TDecGroupBox(TWinDialog* dialog, int id, const char* caption = nullptr);

    QWidget* Window() override { return this; }
    void SetUp() override;

private:
    const char* Caption;
};
