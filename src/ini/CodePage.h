#pragma once

// Values are bytes in the workstation's code page. Controls show them one byte
// per character (Latin-1), which maps every byte to a character and back, so a
// value the user did not edit is written back byte for byte.
#include <QByteArray>
#include <QString>

inline QString FromCodePage(const QByteArray& bytes) { return QString::fromLatin1(bytes); }
inline QByteArray ToCodePage(const QString& text) { return text.toLatin1(); }
