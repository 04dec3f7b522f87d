#include "toolkit/TDecGroupBox.h"

#include "toolkit/TWinDialog.h"

TDecGroupBox::TDecGroupBox(TWinDialog* dialog, int id, const char* caption)
    : TGroupFrame(dialog), TWindowControl(dialog, id), Caption(caption) {}

void TDecGroupBox::SetUp() {
    if (Caption)
        setTitle(QString::fromLatin1(Caption));
    setFont(Dialog()->DialogFont());
}
