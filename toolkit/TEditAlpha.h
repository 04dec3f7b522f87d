// A text field bound to a NUL-terminated Latin-1 buffer of a given size.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QLineEdit>

class TEditAlpha : public QLineEdit, public TBoundControl {
    Q_OBJECT

public:
    // size counts the terminator and is the text limit; trim 1 drops trailing spaces on store.
    TEditAlpha(TWinDialog* dialog, int id, char* buffer, int size, int trim);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;
    void StoreValue() override;

private:
    char* Buffer;
    int Size;
    int Trim;
};
