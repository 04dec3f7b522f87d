#include "toolkit/TEditAlpha.h"

#include "toolkit/TWinDialog.h"

#include <cstring>

TEditAlpha::TEditAlpha(TWinDialog* dialog, int id, char* buffer, int size, int trim)
    : QLineEdit(dialog), TBoundControl(dialog, id), Buffer(buffer), Size(size < 1 ? 1 : size),
      Trim(trim) {
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
    setText(QString::fromLatin1(Buffer, static_cast<qsizetype>(strnlen(Buffer, Size))));
}

void TEditAlpha::StoreValue() {
    if (Buffer == nullptr)
        return;
    const QByteArray bytes = text().toLatin1();
    std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), Size - 1);
    if (Trim == 1) {
        while (length > 0 && bytes[static_cast<qsizetype>(length - 1)] == ' ')
            --length;
    }
    std::memset(Buffer, 0, static_cast<std::size_t>(Size));
    std::memcpy(Buffer, bytes.constData(), length);
}
