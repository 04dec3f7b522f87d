// File names in fixed byte buffers: the bytes are the file system's own, in the local 8-bit
// file-name encoding, so that a name shown, stored and opened is the same file.
#pragma once

#include <QByteArray>
#include <QString>

// The bytes of the longest start of name that fits in maxBytes, cut between two characters,
// never inside one.
QByteArray FileNameBytes(const QString& name, qsizetype maxBytes);

// Copies name into buffer (size bytes, terminator included; the rest zero-filled).
void CopyFileName(char* buffer, qsizetype size, const QString& name);
