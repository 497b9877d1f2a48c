#include "IniTextCodec.h"

#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

// iconv descriptors are not thread-safe, so each conversion owns one.
class Iconv {
public:
    Iconv() : cd_(iconv_open("UTF-8", "CP932"))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("CP932 text conversion is not available on this system");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

}  // namespace

QString IniTextCodec::Decode(const QByteArray& bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    text.clear();
    return DecodeCp932(body);
}

QString IniTextCodec::DecodeCp932(const QByteArray& bytes)
{
    Iconv conv;
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 2 + 16);

    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char chunk[16384];
    while (inLeft > 0) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        const size_t rc = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, static_cast<qsizetype>(outPtr - chunk));
        if (rc != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // An invalid or truncated sequence: mark it and go on with the next byte.
        out.append("\xEF\xBF\xBD");
        ++in;
        --inLeft;
        iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return QString::fromUtf8(out);
}
