#include "toolkit/TEditAlpha.h"

#include "toolkit/TFileNameText.h"
#include "toolkit/TWinDialog.h"

#include <QFile>
#include <cstring>

TEditAlpha::TEditAlpha(TWinDialog* dialog, int id, char* buffer, int size, int trim,
                       TTextEncoding encoding)
    : QLineEdit(dialog), TBoundControl(dialog, id), Buffer(buffer), Size(size < 1 ? 1 : size),
      Trim(trim), Encoding(encoding) {
    setMaxLength(Size - 1 > 0 ? Size - 1 : 0);
}

void TEditAlpha::SetUp() {
    ShowValue();
    setFont(Dialog()->DialogFont());
}

void TEditAlpha::ShowValue() {
    if (Buffer == nullptr)
        return;
    // The buffer may have been filled without a terminator in its last byte.
    ShownBytes = QByteArray(Buffer, static_cast<qsizetype>(strnlen(Buffer, Size)));
    ShownText = Encoding == TTextEncoding::FileName ? QFile::decodeName(ShownBytes)
                                                    : QString::fromLatin1(ShownBytes);
    setText(ShownText);
}

void TEditAlpha::StoreValue() {
    if (Buffer == nullptr)
        return;
    QByteArray bytes;
    if (Encoding == TTextEncoding::Latin1)
        bytes = text().toLatin1().left(Size - 1);
    else if (text() == ShownText)
        bytes = ShownBytes.left(Size - 1);
    else
        bytes = FileNameBytes(text(), Size - 1);
    qsizetype length = bytes.size();
    if (Trim == 1) {
        while (length > 0 && bytes[length - 1] == ' ')
            --length;
    }
    std::memset(Buffer, 0, static_cast<std::size_t>(Size));
    std::memcpy(Buffer, bytes.constData(), static_cast<std::size_t>(length));
}
