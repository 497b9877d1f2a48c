#include "IniTextCodec.h"

#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <stdexcept>

namespace {

constexpr char16_t kInvalid = 0xFFFF;  // a noncharacter: no CP932 code maps to it

// CP932 as a lookup table, filled once from glibc's converter. Decoding through the table
// costs the same for clean text and for binary junk, where calling iconv again after every
// invalid byte would take seconds for a large file.
struct Cp932Table {
    std::array<char16_t, 256> single{};
    std::array<bool, 256> lead{};
    std::unique_ptr<std::array<char16_t, 65536>> pair = std::make_unique<std::array<char16_t, 65536>>();

    Cp932Table()
    {
        iconv_t cd = iconv_open("UTF-16LE", "CP932");
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("CP932 text conversion is not available on this system");
        single.fill(kInvalid);
        pair->fill(kInvalid);
        for (int b = 0; b < 256; ++b) {
            const unsigned char one[1] = {static_cast<unsigned char>(b)};
            if (Convert(cd, one, 1, single[static_cast<size_t>(b)]) == Outcome::Incomplete)
                lead[static_cast<size_t>(b)] = true;
        }
        for (int b = 0; b < 256; ++b) {
            if (!lead[static_cast<size_t>(b)])
                continue;
            for (int t = 0; t < 256; ++t) {
                const unsigned char two[2] = {static_cast<unsigned char>(b), static_cast<unsigned char>(t)};
                Convert(cd, two, 2, (*pair)[static_cast<size_t>(b << 8 | t)]);
            }
        }
        iconv_close(cd);
    }

    enum class Outcome { Ok, Incomplete, Invalid };

    // A whole sequence giving exactly one UTF-16 unit.
    static Outcome Convert(iconv_t cd, const unsigned char* in, size_t size, char16_t& out)
    {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        size_t inLeft = size;
        unsigned char buf[8];
        char* outPtr = reinterpret_cast<char*>(buf);
        size_t outLeft = sizeof buf;
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (rc == static_cast<size_t>(-1) && inLeft == size && errno == EINVAL)
            return Outcome::Incomplete;
        if (rc == static_cast<size_t>(-1) || inLeft != 0 || sizeof buf - outLeft != 2)
            return Outcome::Invalid;
        out = static_cast<char16_t>(buf[0] | buf[1] << 8);
        return Outcome::Ok;
    }
};

const Cp932Table& Table()
{
    static const Cp932Table table;
    return table;
}

}  // namespace

QByteArray IniTextCodec::ToUtf8(const QByteArray& bytes)
{
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = QByteArrayView(bytes).sliced(bom ? 3 : 0);
    if (IsValidUtf8(body))
        return bom ? body.toByteArray() : bytes;
    return Cp932ToUtf8(body);
}

QString IniTextCodec::FromUtf8(QByteArrayView utf8)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

// Stops at the first fault, so a binary file is recognised at once.
bool IniTextCodec::IsValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        // Plain ASCII eight bytes at a time: most of a settings file.
        if (size - i >= 8) {
            uint64_t word = 0;
            std::memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        uint32_t cp = 0;
        uint32_t min = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
            cp = b & 0x1F;
            min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            cp = b & 0x0F;
            min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            cp = b & 0x07;
            min = 0x10000;
        } else {
            return false;
        }
        if (size - i <= more)
            return false;
        for (int k = 1; k <= more; ++k) {
            const unsigned char c = p[i + k];
            if ((c & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += 1 + more;
    }
    return true;
}

QString IniTextCodec::DecodeCp932(const QByteArray& bytes)
{
    const Cp932Table& table = Table();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString out(size, Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    qsizetype n = 0;
    for (qsizetype i = 0; i < size;) {
        const unsigned char b = in[i];
        if (table.lead[b] && i + 1 < size) {
            const char16_t c = (*table.pair)[static_cast<size_t>(b << 8 | in[i + 1])];
            if (c != kInvalid) {
                o[n++] = c;
                i += 2;
                continue;
            }
        }
        // An invalid or cut-off sequence: mark it and go on with the next byte.
        const char16_t c = table.single[b];
        o[n++] = c == kInvalid ? char16_t(0xFFFD) : c;
        ++i;
    }
    out.truncate(n);
    return out;
}

QByteArray IniTextCodec::Cp932ToUtf8(QByteArrayView bytes)
{
    const Cp932Table& table = Table();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    // CP932 holds only characters of the Basic Multilingual Plane: at most three bytes each.
    QByteArray out(size * 3, Qt::Uninitialized);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    qsizetype n = 0;
    for (qsizetype i = 0; i < size;) {
        const unsigned char b = in[i];
        char16_t c = kInvalid;
        if (table.lead[b] && i + 1 < size)
            c = (*table.pair)[static_cast<size_t>(b << 8 | in[i + 1])];
        if (c != kInvalid) {
            i += 2;
        } else {
            // An invalid or cut-off sequence: mark it and go on with the next byte.
            c = table.single[b];
            if (c == kInvalid)
                c = 0xFFFD;
            ++i;
        }
        if (c < 0x80) {
            o[n++] = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            o[n++] = static_cast<unsigned char>(0xC0 | c >> 6);
            o[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else {
            o[n++] = static_cast<unsigned char>(0xE0 | c >> 12);
            o[n++] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
            o[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        }
    }
    out.truncate(n);
    return out;
}
