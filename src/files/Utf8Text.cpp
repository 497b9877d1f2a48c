#include "Utf8Text.h"

#include <QStringDecoder>

QString Utf8Text::ToQString(std::string_view utf8)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}
