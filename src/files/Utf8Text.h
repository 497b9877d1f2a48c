#pragma once
#include <QString>

#include <string_view>

// The core's UTF-8 text for Qt's widgets and writers.
class Utf8Text {
public:
    // Every character kept, a leading U+FEFF too (QString::fromUtf8 would drop it).
    static QString ToQString(std::string_view utf8);
};
