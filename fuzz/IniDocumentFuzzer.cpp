// Any bytes read as an INI document: no crash, and the written form is a fixed point, so a file
// the tool has written once reads back as exactly what it wrote.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "IniDocument.h"
#include "IniTextCodec.h"

namespace {
void Check(bool condition)
{
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<IniFileError> error;
    std::optional<IniDocument> read = IniDocument::TryFromBytes(bytes, {}, error);
    if (!read) {
        Check(error.has_value());
        return 0;  // beyond the bounds, refused as a whole
    }
    IniDocument& doc = *read;

    // The look-ups both files make.
    const std::string_view section = "VxrManager";
    doc.ReadString(section, "TAG_DATA", "");
    doc.ReadInteger(section, "SYS_MDL", 0);
    doc.ReadInteger(section, "CommPort", 0);
    doc.ReadString("Ports", "COM1", "");
    Check(doc.LineCount(section) >= 0);

    // Written text is UTF-8, and reads back as exactly those bytes.
    const std::string written = doc.Bytes();
    Check(IniTextCodec::IsValidUtf8(written));
    Check(IniDocument::FromBytes(written).Bytes() == written);
    Check(IniTextCodec::ToUtf8(written) == written);

    // An entry written is read back, and the rest of the document stays readable.
    doc.WriteString(section, "MDL1_MEMO1", "a=b ; c");
    Check(doc.ReadString(section, "mdl1_memo1", "") == "a=b ; c");
    doc.WriteInteger(section, "SYS_CUR", -2147483647 - 1);
    Check(doc.ReadInteger(section, "SYS_CUR", 0) == -2147483647 - 1);
    const std::string rewritten = doc.Bytes();
    Check(IniDocument::FromBytes(rewritten).Bytes() == rewritten);

    int32_t value = 0;
    IniDocument::ParseInteger(bytes.substr(0, std::min<size_t>(bytes.size(), 24)), value);
    return 0;
}
