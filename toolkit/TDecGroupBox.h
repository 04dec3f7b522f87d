// A group box whose caption the dialog colours (see TWinDialog::ApplyControlColors), its frame
// drawn through the middle of the caption.
#pragma once

#include "toolkit/TGroupFrame.h"
#include "toolkit/TWindowControl.h"

class TDecGroupBox : public TGroupFrame, public TWindowControl {
    Q_OBJECT

public:
    // A null caption keeps the template's.
    TDecGroupBox(TWinDialog* dialog, int id, const char* caption = nullptr);

    QWidget* Window() override { return this; }
    void SetUp() override;

private:
    const char* Caption;
};
