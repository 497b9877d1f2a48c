// Whatever the controller sends back, the exchange accepts exactly the replies the protocol
// accepts (its own command echoed first), hands out exactly the bytes it was sent, and sends exactly the expected frame.
#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CommXLine.h"
#include "DeviceExchange.h"
#include "ReplyFuzzInput.h"
#include "TCustomCommX.h"

namespace {

// A component without a device: frames are recorded, the reply is handed out piece by piece.
class FuzzComm : public TCustomCommX {
public:
    std::vector<std::string> sent;
    std::string waiting;
    size_t piece = 0;

    bool SendData(const void* data, int32_t length) override
    {
        sent.emplace_back(static_cast<const char*>(data), static_cast<size_t>(length));
        return true;
    }

    int32_t ReceiveData(void* buffer, int32_t count) override
    {
        size_t n = std::min(static_cast<size_t>(count), waiting.size());
        if (piece > 0) n = std::min(n, piece);
        std::memcpy(buffer, waiting.data(), n);
        waiting.erase(0, n);
        return static_cast<int32_t>(n);
    }
};

void Check(bool condition)
{
    if (!condition) std::abort();
}

uint8_t At(const std::string& s, size_t i) { return static_cast<uint8_t>(s[i]); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReplyFuzzInput in;
    if (!ReplyFuzzInput::Parse(data, size, in)) return 0;

    FuzzComm comm;
    comm.waiting = in.reply;
    comm.piece = in.piece;
    CommXLine line(comm);
    DeviceExchange exchange(line);
    int captions = 0;
    exchange.SetCaptionHook([&captions] { ++captions; });

    const std::string& r = in.reply;
    const int model = in.argument % 5;
    switch (in.op) {
    case ReplyFuzzInput::kReadModelNumber: {
        const int32_t n = exchange.ReadModelNumber();
        const bool accept = r.size() >= 3 && At(r, 0) == 0xD6 && r[1] == r[2];
        Check(n == (accept ? At(r, 2) : -1));
        Check(comm.sent == std::vector<std::string>{std::string(1, '\xD6')});
        break;
    }
    case ReplyFuzzInput::kWriteModelNumber: {
        const bool ok = exchange.WriteModelNumber(in.argument);
        Check(ok == (r.size() >= 4 && At(r, 0) == 0xE6 && At(r, 3) == 0x06));
        const char n = static_cast<char>(in.argument);
        Check(comm.sent == std::vector<std::string>{std::string{'\xE6', n, n}});
        break;
    }
    case ReplyFuzzInput::kReadModel: {
        const auto image = exchange.ReadModel(model);
        bool accept = r.size() >= 50 && At(r, 0) == 0xD1 + model;
        unsigned sum = 0;
        for (size_t k = 1; accept && k <= 48; ++k) sum += At(r, k);
        accept = accept && (sum & 0xFF) == At(r, 49);
        Check(image.has_value() == accept);
        if (image) Check(std::equal(image->begin(), image->end(), r.begin() + 1, [](uint8_t a, char b) {
                             return a == static_cast<uint8_t>(b);
                         }));
        Check(comm.sent == std::vector<std::string>{std::string(1, static_cast<char>(0xD1 + model))});
        break;
    }
    case ReplyFuzzInput::kWriteModel: {
        const auto image = ReplyFuzzInput::WriteImage(model);
        const bool ok = exchange.WriteModel(model, image);
        Check(ok == (r.size() >= 51 && At(r, 0) == 0xE1 + model && At(r, 50) == 0x06));
        std::string frame(1, static_cast<char>(0xE1 + model));
        unsigned sum = 0;
        for (uint8_t b : image) {
            frame += static_cast<char>(b);
            sum += b;
        }
        frame += static_cast<char>(sum & 0xFF);
        Check(comm.sent == std::vector<std::string>{frame});
        break;
    }
    default:
        break;
    }
    Check(captions == 1);  // one exchange, one caption reset, accepted or not
    return 0;
}
