// Any bytes read as an INI document: no crash, and the written form is a fixed point, so a file
// the tool has written once reads back as exactly what it wrote.
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdlib>

#include "IniDocument.h"
#include "IniFileError.h"
#include "IniTextCodec.h"

namespace {
void Check(bool condition)
{
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = IniDocument::FromText({});
    try {
        doc = IniDocument::FromBytes(bytes);
    } catch (const IniFileError&) {
        return 0;  // beyond the bounds, refused as a whole
    }

    // The look-ups both files make.
    const QString section = QStringLiteral("VxrManager");
    doc.ReadString(section, QStringLiteral("TAG_DATA"), QString());
    doc.ReadInteger(section, QStringLiteral("SYS_MDL"), 0);
    doc.ReadInteger(section, QStringLiteral("CommPort"), 0);
    doc.ReadString(QStringLiteral("Ports"), QStringLiteral("COM1"), QString());
    Check(doc.LineCount(section) >= 0);

    const QByteArray written = doc.Bytes();
    Check(IniDocument::FromBytes(written).Bytes() == written);
    Check(IniTextCodec::ToUtf8(written) == written);
    // The text encodes back to those bytes, so FromText(text) parses the very bytes checked
    // just above: reading it again would check nothing new.
    Check(IniTextCodec::Encode(doc.Text()) == written);

    // An entry written is read back, and the rest of the document stays readable.
    doc.WriteString(section, QStringLiteral("MDL1_MEMO1"), QStringLiteral("a=b ; c"));
    Check(doc.ReadString(section, QStringLiteral("mdl1_memo1"), QString()) == QStringLiteral("a=b ; c"));
    doc.WriteInteger(section, QStringLiteral("SYS_CUR"), -2147483647 - 1);
    Check(doc.ReadInteger(section, QStringLiteral("SYS_CUR"), 0) == -2147483647 - 1);
    const QByteArray rewritten = doc.Bytes();
    Check(IniDocument::FromBytes(rewritten).Bytes() == rewritten);

    int32_t value = 0;
    IniDocument::ParseInteger(QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 24)), value);
    return 0;
}
