#include "toolkit/TEditCheck.h"

#include "toolkit/TWinDialog.h"

TEditCheck::TEditCheck(TWinDialog* dialog, int id, int* value, const char* caption)
    : QCheckBox(dialog), TBoundControl(dialog, id), Value(value), Caption(caption) {}

void TEditCheck::SetUp() {
    if (Caption)
        setText(QString::fromLatin1(Caption));
    setFont(Dialog()->DialogFont());
    ShowValue();
}

void TEditCheck::ShowValue() {
    if (Value)
        setCheckState(*Value == 1 ? Qt::Checked : Qt::Unchecked);
}

void TEditCheck::StoreValue() {
    if (Value == nullptr || checkState() == Qt::PartiallyChecked)
        return;
    *Value = checkState() == Qt::Checked ? 1 : 0;
}
