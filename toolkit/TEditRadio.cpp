#include "toolkit/TEditRadio.h"

#include "toolkit/TWinDialog.h"

TEditRadio::TEditRadio(TWinDialog* dialog, int id, int* variable, int value, const char* caption)
    : QRadioButton(dialog), TBoundControl(dialog, id), Value(value), Variable(variable),
      Caption(caption) {}

void TEditRadio::SetUp() {
    if (Caption)
        setText(QString::fromLatin1(Caption));
    setFont(Dialog()->DialogFont());
    ShowValue();
}

void TEditRadio::ShowValue() {
    if (Variable == nullptr)
        return;
    // Exclusivity would refuse to uncheck the checked button when the variable matches none.
    setAutoExclusive(false);
    setChecked(*Variable == Value);
    setAutoExclusive(true);
}

void TEditRadio::StoreValue() {
    if (Variable && isChecked())
        *Variable = Value;
}
