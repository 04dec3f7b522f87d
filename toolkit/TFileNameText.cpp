#include "toolkit/TFileNameText.h"

#include <QFile>
#include <cstring>

QByteArray FileNameBytes(const QString& name, qsizetype maxBytes) {
    QByteArray bytes = QFile::encodeName(name);
    if (bytes.size() <= maxBytes)
        return bytes;
    // Drop whole characters from the end (a surrogate pair is one character) until it fits.
    qsizetype length = name.size();
    do {
        --length;
        if (length > 0 && name[length].isLowSurrogate() && name[length - 1].isHighSurrogate())
            --length;
        bytes = QFile::encodeName(name.left(length));
    } while (bytes.size() > maxBytes && length > 0);
    return bytes;
}

void CopyFileName(char* buffer, qsizetype size, const QString& name) {
    if (buffer == nullptr || size < 1)
        return;
    const QByteArray bytes = FileNameBytes(name, size - 1);
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
