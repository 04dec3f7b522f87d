// A text field bound to a NUL-terminated buffer of a given size, holding Latin-1 text or a file
// name in the local 8-bit file-name encoding.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QByteArray>
#include <QLineEdit>

enum class TTextEncoding { Latin1, FileName };

class TEditAlpha : public QLineEdit, public TBoundControl {
    Q_OBJECT

public:
    // size counts the terminator and is the text limit; trim 1 drops trailing spaces on store.
    // A file name is stored as the bytes the file system knows it by, cut between characters
    // when it does not fit.
    TEditAlpha(TWinDialog* dialog, int id, char* buffer, int size, int trim,
               TTextEncoding encoding = TTextEncoding::Latin1);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;
    void StoreValue() override;

private:
    char* Buffer;
    int Size;
    int Trim;
    TTextEncoding Encoding;
    // What ShowValue showed: a name left as it was is stored as the same bytes, even bytes that
    // the encoding cannot show.
    QByteArray ShownBytes;
    QString ShownText;
};
