#include "toolkit/TEditStatic.h"

#include "toolkit/TWinDialog.h"

#include <QEvent>

TEditStatic::TEditStatic(TWinDialog* dialog, int id, const char* text, int framed)
    : QLabel(dialog), TBoundControl(dialog, id), Framed(framed), Text(text) {}

void TEditStatic::SetUp() {
    setFont(Dialog()->DialogFont());
    if (Framed)
        setFrameStyle(QFrame::Box | QFrame::Plain);
    ShowValue();
}

void TEditStatic::ShowValue() {
    if (Text)
        setText(QString::fromLatin1(Text));
}

void TEditStatic::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // The dialog's colours depend on the enabled state.
    if (event->type() == QEvent::EnabledChange && Dialog())
        Dialog()->ApplyControlColors(this);
}
