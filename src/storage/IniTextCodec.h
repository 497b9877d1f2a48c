#pragma once
#include <QByteArray>
#include <QString>

// Bytes of a settings file to text and back. Files are written as UTF-8 without a byte-order
// mark. Files from Japanese Windows systems are in CP932, so text that is not valid UTF-8 is
// read as CP932; bytes that are neither become U+FFFD rather than failing the whole file.
class IniTextCodec {
public:
    static QString Decode(const QByteArray& bytes);
    static QByteArray Encode(const QString& text) { return text.toUtf8(); }

    static bool IsValidUtf8(const QByteArray& bytes);
    static QString DecodeCp932(const QByteArray& bytes);
};
