// The CP932 table against the system's iconv, for every byte and every pair of bytes: each
// decodes to exactly the characters that decoding through iconv gave, invalid sequences
// included (a sequence that is no character becomes U+FFFD for its first byte, and decoding
// goes on at the next byte). Native only: the browser build has no CP932 in its iconv.
#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>
#include <string>

#include "IniTextCodec.h"

namespace {

class IconvCp932 {
public:
    IconvCp932() : cd_(iconv_open("UTF-8", "CP932")) {}
    ~IconvCp932()
    {
        if (Available())
            iconv_close(cd_);
    }
    bool Available() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The characters of exactly these bytes, or nothing when they make no whole character.
    bool Convert(const std::string& in, std::string& out)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char buf[16];
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return false;
        out.assign(buf, sizeof buf - outLeft);
        return true;
    }

    // Decoding step by step as the settings reader always has: two bytes when they make a
    // character, else one byte, else U+FFFD for that byte.
    std::string Decode(const std::string& bytes)
    {
        std::string result;
        std::string c;
        for (size_t i = 0; i < bytes.size();) {
            if (i + 1 < bytes.size() && Convert(bytes.substr(i, 2), c)) {
                result += c;
                i += 2;
            } else {
                result += Convert(bytes.substr(i, 1), c) ? c : "\uFFFD";
                ++i;
            }
        }
        return result;
    }

private:
    iconv_t cd_;
};

}  // namespace

TEST(Cp932Table, EveryByteAndPairDecodesAsIconvDecodesIt)
{
    IconvCp932 iconv;
    ASSERT_TRUE(iconv.Available()) << "the system's iconv has no CP932";
    int doubleByte = 0;
    std::string c;
    for (int a = 0; a < 256; ++a) {
        const std::string one(1, static_cast<char>(a));
        ASSERT_EQ(IniTextCodec::Cp932ToUtf8(one), iconv.Decode(one)) << "byte " << a;
        const bool lead = !iconv.Convert(one, c);
        for (int b = 0; b < 256; ++b) {
            const std::string two = one + static_cast<char>(b);
            ASSERT_EQ(IniTextCodec::Cp932ToUtf8(two), iconv.Decode(two)) << "bytes " << a << " " << b;
            doubleByte += lead && iconv.Convert(two, c) ? 1 : 0;
        }
    }
    // The double-byte part is there: well over the 7,000 characters of JIS X 0208 alone.
    EXPECT_GT(doubleByte, 7000);
}
