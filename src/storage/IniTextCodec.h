#pragma once
#include <QByteArray>
#include <QString>

// Bytes of a settings file to text and back. Files are written as UTF-8 without a byte-order
// mark. Files from Japanese Windows systems are in CP932, so text that is not valid UTF-8 is
// read as CP932; bytes that are neither become U+FFFD rather than failing the whole file.
// A byte-order mark is removed only at the very start of a file; one anywhere else, as at the
// start of a memo line, is text like any other character and is kept.
class IniTextCodec {
public:
    // The file's text as UTF-8: the bytes themselves when they are valid UTF-8 (less a leading
    // byte-order mark), else the CP932 reading converted.
    static QByteArray ToUtf8(const QByteArray& bytes);
    static QString Decode(const QByteArray& bytes) { return FromUtf8(ToUtf8(bytes)); }
    static QByteArray Encode(const QString& text) { return text.toUtf8(); }

    // UTF-8 to text keeping a leading U+FEFF, which QString::fromUtf8 would drop.
    static QString FromUtf8(QByteArrayView utf8);

    static bool IsValidUtf8(QByteArrayView bytes);
    static QString DecodeCp932(const QByteArray& bytes);
    static QByteArray Cp932ToUtf8(QByteArrayView bytes);
};
