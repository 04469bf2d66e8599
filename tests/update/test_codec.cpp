// Frame layer and download protocol: the worked frames byte for byte, every
// escape through encoder and decoder, and the dispatch rules of the decoder.
#include "RowName.h"
#include "diag/Result.h"
#include "update/CSwDl.h"
#include "update/DnlCrc.h"
#include "update/Dnlp.h"
#include "update/Slip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// What the codec sent and which handlers it called.
struct Recorder
{
    std::vector<Bytes> frames; // framed, as they would go on the wire
    std::vector<std::string> calls;
    int result = 0; // what the unit-side handlers return
    DeviceInfo info;
    Bytes block;
    uint32_t length = 0;
};

int CaptureHook(void* ctx, uint8_t* buffer, uint32_t capacity, uint32_t length)
{
    auto* r = static_cast<Recorder*>(ctx);
    EXPECT_EQ(capacity, DNLP_BUFFER_CAPACITY);
    const uint32_t n = SLIP_Encode(buffer, length);
    r->frames.emplace_back(buffer, buffer + n);
    return 0;
}

DNLP_Handlers AllHandlers()
{
    DNLP_Handlers h;
    h.deviceInfoRequest = [](void* c, DeviceInfo& info) {
        auto* r = static_cast<Recorder*>(c);
        r->calls.push_back("request");
        info = r->info;
        return r->result;
    };
    h.response = [](void* c, uint8_t code) {
        static_cast<Recorder*>(c)->calls.push_back("response " + std::to_string(code));
    };
    h.deviceInfo = [](void* c, const DeviceInfo& info) {
        auto* r = static_cast<Recorder*>(c);
        r->calls.push_back("info");
        r->info = info;
    };
    h.finalize = [](void* c) {
        auto* r = static_cast<Recorder*>(c);
        r->calls.push_back("finalize");
        return r->result;
    };
    h.reboot = [](void* c) {
        auto* r = static_cast<Recorder*>(c);
        r->calls.push_back("reboot");
        return r->result;
    };
    h.startTransfer = [](void* c, uint32_t length) {
        auto* r = static_cast<Recorder*>(c);
        r->calls.push_back("start");
        r->length = length;
        return r->result;
    };
    h.dataBlock = [](void* c, const uint8_t* data, uint32_t length) {
        auto* r = static_cast<Recorder*>(c);
        r->calls.push_back("block");
        r->block.assign(data, data + length);
        return r->result;
    };
    return h;
}

Bytes WithCrc(Bytes m)
{
    uint8_t crc[4];
    DNLF_PutLe32(crc, DNLF_Crc(0, m.data(), m.size()));
    m.insert(m.end(), crc, crc + 4);
    return m;
}

// The Response frame with this code, built by hand from the layout.
Bytes ResponseFrame(uint8_t code)
{
    Bytes m = WithCrc({DNLP_RESPONSE, code});
    Bytes buf(DNLP_BUFFER_CAPACITY);
    std::copy(m.begin(), m.end(), buf.begin());
    buf.resize(SLIP_Encode(buf.data(), static_cast<uint32_t>(m.size())));
    return buf;
}

class Codec : public testing::Test
{
protected:
    void SetUp() override
    {
        DNLP_ClearRegistration();
        DNLP_SetSendHook(&CaptureHook, &rec);
    }
    void TearDown() override { DNLP_ClearRegistration(); }

    // Decodes a message given without its CRC (the CRC is appended), from a
    // heap block of exactly its size so that a read past it is caught.
    int Decode(const Bytes& body, bool appendCrc = true)
    {
        const Bytes m = appendCrc ? WithCrc(body) : body;
        auto exact = std::make_unique<uint8_t[]>(m.size() + 1);
        std::copy(m.begin(), m.end(), exact.get());
        return DNLP_Decode(exact.get(), static_cast<uint32_t>(m.size()), reply);
    }

    Recorder rec;
    uint8_t reply[DNLP_BUFFER_CAPACITY] = {};
};

} // namespace

TEST_F(Codec, WorkedFramesMatchByteForByte)
{
    uint8_t buf[DNLP_BUFFER_CAPACITY];
    DNLP_SendDeviceInfoRequest(buf);
    DNLP_SendResponse(buf, 0);
    DNLP_SendResponse(buf, 1);
    DNLP_SendResponse(buf, 3);
    ASSERT_EQ(rec.frames.size(), 4u);
    EXPECT_EQ(rec.frames[0], (Bytes{0x01, 0x05, 0x8F, 0xF4, 0x6A, 0x70, 0x0A}));
    EXPECT_EQ(rec.frames[1], (Bytes{0x01, 0x06, 0x1B, 0x34, 0x86, 0xA7, 0x5A, 0x56, 0x0A}));
    EXPECT_EQ(rec.frames[2], (Bytes{0x01, 0x06, 0x1B, 0x31, 0x10, 0x97, 0x5D, 0x1B, 0x37, 0x0A}));
    EXPECT_EQ(rec.frames[3], (Bytes{0x01, 0x06, 0x03, 0x3C, 0xF6, 0x53, 0xCF, 0x0A}));
    const uint8_t request[] = {0x05, 0x8F, 0xF4, 0x6A, 0x70};
    EXPECT_EQ(SLIP_EncodedSize(request, 5), 7u);
}

TEST_F(Codec, BuildersLayOutTheirBodies)
{
    uint8_t buf[DNLP_BUFFER_CAPACITY];
    DNLP_SendStartTransfer(buf, 0x00040000);
    DNLP_SendFinalize(buf);
    DNLP_SendReboot(buf);
    DeviceInfo info;
    info.deviceType = DNLP_DEVICE_TYPE;
    DNLP_SetText(info.version, "2.1.0");
    DNLP_SetText(info.deviceName, "RU-Touch");
    DNLP_SendDeviceInfo(buf, &info);
    DNLP_SendDeviceInfo(buf, nullptr);
    ASSERT_EQ(rec.frames.size(), 5u);
    auto message = [&](std::size_t i) {
        Bytes f = rec.frames[i];
        f.resize(SLIP_Decode(f.data(), static_cast<uint32_t>(f.size())));
        EXPECT_EQ(DNLF_Crc(0, f.data(), f.size()), 0u);
        f.resize(f.size() - 4);
        return f;
    };
    EXPECT_EQ(message(0), (Bytes{28, 0x00, 0x00, 0x04, 0x00}));
    EXPECT_EQ(message(1), Bytes{23});
    EXPECT_EQ(message(2), Bytes{25});
    Bytes expected = {22, 0x01, 0x00, 0x00, 0x42, '2', '.', '1', '.', '0'};
    expected.resize(1 + 4 + 24, 0);
    for (char c : std::string("RU-Touch"))
        expected.push_back(static_cast<uint8_t>(c));
    expected.resize(1 + 52, 0);
    EXPECT_EQ(message(3), expected);
    EXPECT_EQ(message(4), Bytes{22});
}

TEST(Slip, EscapesTheTableInItsOrderAndLeavesOthersRaw)
{
    Bytes buf = {0x1B, 0x01, 0x0A, 0x0D, 0x00, 0x08, 0x7F, 0x21, 0x3F, 0xFF, 0x30};
    buf.resize(32);
    const uint32_t n = SLIP_Encode(buf.data(), 11);
    buf.resize(n);
    EXPECT_EQ(buf, (Bytes{0x01, 0x1B, '0', 0x1B, '1', 0x1B, '2', 0x1B, '3', 0x1B, '4', 0x1B, '5', 0x1B, '6',
                          0x1B, '7', 0x1B, '8', 0xFF, 0x30, 0x0A}));
}

TEST(Slip, EveryByteAndEveryPairRoundTrips)
{
    auto roundTrip = [](const Bytes& m) {
        Bytes buf = m;
        buf.resize(2 + 2 * m.size());
        const uint32_t n = SLIP_Encode(buf.data(), static_cast<uint32_t>(m.size()));
        ASSERT_EQ(n, SLIP_EncodedSize(m.data(), static_cast<uint32_t>(m.size())));
        // Start and end bytes only at the ends; no CR or NUL anywhere.
        EXPECT_EQ(buf[0], SLIP_START);
        EXPECT_EQ(buf[n - 1], SLIP_END);
        for (uint32_t i = 1; i + 1 < n; ++i)
            ASSERT_TRUE(buf[i] != 0x01 && buf[i] != 0x0A && buf[i] != 0x0D && buf[i] != 0x00) << i;
        const int d = SLIP_Decode(buf.data(), n);
        ASSERT_EQ(d, static_cast<int>(m.size()));
        EXPECT_TRUE(std::equal(m.begin(), m.end(), buf.begin()));
    };
    Bytes all;
    for (int a = 0; a < 256; ++a) {
        all.push_back(static_cast<uint8_t>(a));
        for (int b = 0; b < 256; ++b)
            roundTrip({static_cast<uint8_t>(a), static_cast<uint8_t>(b)});
    }
    roundTrip(all);
    roundTrip({});
}

TEST(Slip, DecodeRefusesNonFramesAndStaysInside)
{
    struct Row
    {
        Bytes in;
        int result;
        Bytes out;
    } rows[] = {
        {{}, Result::NotAFrame, {}},
        {{0x01}, Result::NotAFrame, {}},
        {{0x0A}, Result::NotAFrame, {}},
        {{0x02, 0x0A}, Result::NotAFrame, {}},
        {{0x01, 0x05}, Result::NotAFrame, {}},
        {{0x01, 0x0A}, 0, {}},
        {{0x01, 0x1B, 0x0A}, 1, {0x1B}},     // escape right before the end
        {{0x01, 0x1B, '9', 0x0A}, 1, {'9'}}, // code outside the table
        {{0x01, 0x1B, '8', 0x1B, '0', 0x0A}, 2, {0x3F, 0x1B}},
    };
    for (const Row& r : rows) {
        auto exact = std::make_unique<uint8_t[]>(r.in.size() + 1);
        std::copy(r.in.begin(), r.in.end(), exact.get());
        const int d = SLIP_Decode(r.in.empty() ? nullptr : exact.get(), static_cast<uint32_t>(r.in.size()));
        EXPECT_EQ(d, r.result);
        if (d >= 0) {
            EXPECT_EQ(Bytes(exact.get(), exact.get() + d), r.out);
        }
    }
}

struct DispatchRow
{
    const char* name;
    Bytes body;              // message without CRC
    bool registered;         // unit-side handlers present
    int handlerResult;       // what they return
    std::string call;        // handler expected to run ("" none)
    std::optional<int> answer; // Response code sent, or none
};
TAVEMO_ROW_PRINTS_NAME(DispatchRow)

class DnlpDispatch : public Codec, public testing::WithParamInterface<DispatchRow>
{};

TEST_P(DnlpDispatch, CallsHandlerAndAnswers)
{
    const DispatchRow& row = GetParam();
    if (row.registered)
        DNLP_Register(&rec, AllHandlers());
    rec.result = row.handlerResult;
    EXPECT_EQ(Decode(row.body), 0);
    EXPECT_EQ(rec.calls, row.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.call});
    if (row.answer) {
        ASSERT_EQ(rec.frames.size(), 1u);
        EXPECT_EQ(rec.frames[0], ResponseFrame(static_cast<uint8_t>(*row.answer)));
    } else {
        EXPECT_TRUE(rec.frames.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DnlpDispatch,
    testing::Values(DispatchRow{"TypeZeroIsSilent", {0}, true, 0, "", std::nullopt},
                    DispatchRow{"UnknownType", {99, 1, 2}, true, 0, "", 4},
                    DispatchRow{"RequestWithoutHandler", {5}, false, 0, "", 1},
                    DispatchRow{"RequestHandlerRefuses", {5}, true, 7, "request", 7},
                    DispatchRow{"RequestHandlerSilent", {5}, true, 5, "request", std::nullopt},
                    DispatchRow{"ResponseIsNeverAnswered", {6, 3}, true, 0, "response 3", std::nullopt},
                    DispatchRow{"ResponseWithoutHandler", {6, 0}, false, 0, "", std::nullopt},
                    DispatchRow{"DeviceInfoWithoutHandler", Bytes(53, 22), false, 0, "", std::nullopt},
                    DispatchRow{"DeviceInfoTooShort", Bytes(49, 22), true, 0, "", std::nullopt},
                    DispatchRow{"FinalizeWithoutHandler", {23}, false, 0, "", 1},
                    DispatchRow{"FinalizeAccepted", {23}, true, 0, "finalize", 0},
                    DispatchRow{"FinalizeOwnCode", {23}, true, 9, "finalize", 9},
                    DispatchRow{"RebootWithoutHandler", {25}, false, 0, "", 1},
                    DispatchRow{"RebootSilent", {25}, true, 5, "reboot", std::nullopt},
                    DispatchRow{"StartWithoutHandler", {28, 1, 2, 3, 4}, false, 0, "", 1},
                    DispatchRow{"StartTooShort", {28}, true, 0, "", std::nullopt},
                    DispatchRow{"StartAccepted", {28, 0, 4, 0, 0}, true, 0, "start", 0},
                    DispatchRow{"BlockWithoutHandler", {31, 1}, false, 0, "", 1},
                    DispatchRow{"BlockAccepted", {31, 1, 2, 3}, true, 0, "block", 0},
                    DispatchRow{"EmptyBlockAccepted", {31}, true, 0, "block", 0}),
    RowName());

TEST_F(Codec, HandlersReceiveTheirFields)
{
    DNLP_Register(&rec, AllHandlers());
    Decode({28, 0x78, 0x56, 0x34, 0x12});
    EXPECT_EQ(rec.length, 0x12345678u);
    Decode({31, 0x0A, 0x00, 0xFF});
    EXPECT_EQ(rec.block, (Bytes{0x0A, 0x00, 0xFF}));

    Bytes info = {22, 0x01, 0x00, 0x00, 0x42};
    for (char c : std::string("2.0.0"))
        info.push_back(static_cast<uint8_t>(c));
    info.resize(29, 0);
    for (int i = 0; i < 24; ++i) // a name that fills its field: no NUL
        info.push_back(static_cast<uint8_t>('A' + i));
    Decode(info);
    EXPECT_EQ(rec.info.deviceType, 0x42000001u);
    EXPECT_EQ(DNLP_Text(rec.info.version), "2.0.0");
    EXPECT_EQ(DNLP_Text(rec.info.deviceName), "ABCDEFGHIJKLMNOPQRSTUVWX");

    // The request handler's record goes back as a Device info message.
    rec.frames.clear();
    rec.result = 0;
    Decode({5});
    ASSERT_EQ(rec.frames.size(), 1u);
    Bytes m = rec.frames[0];
    m.resize(SLIP_Decode(m.data(), static_cast<uint32_t>(m.size())));
    ASSERT_EQ(m.size(), 57u);
    EXPECT_EQ(m[0], 22);
    EXPECT_EQ(DNLF_GetLe32(&m[1]), 0x42000001u);
}

TEST_F(Codec, DamagedOrShortMessagesAreAnsweredWithCodeThree)
{
    DNLP_Register(&rec, AllHandlers());
    Bytes bad = WithCrc({23});
    bad[2] ^= 0x40;
    EXPECT_EQ(Decode(bad, false), Result::FrameDamaged);
    // Shorter than a type and a CRC: refused without reading past the end.
    for (std::size_t n = 0; n < 5; ++n)
        EXPECT_EQ(Decode(Bytes(n, 0), false), Result::FrameDamaged) << n;
    EXPECT_TRUE(rec.calls.empty());
    ASSERT_EQ(rec.frames.size(), 6u);
    for (const Bytes& f : rec.frames)
        EXPECT_EQ(f, (Bytes{0x01, 0x06, 0x03, 0x3C, 0xF6, 0x53, 0xCF, 0x0A}));
}

TEST(Dnlp, SendWithoutHookWritesNothing)
{
    DNLP_ClearRegistration();
    uint8_t buf[DNLP_BUFFER_CAPACITY] = {};
    EXPECT_EQ(DNLP_SendResponse(buf, 0), Result::NoSendHook);
    EXPECT_EQ(DNLP_Send(buf, DNLP_BUFFER_CAPACITY - 3), Result::NoSendHook);
    Recorder rec;
    DNLP_SetSendHook(&CaptureHook, &rec);
    EXPECT_EQ(DNLP_Send(buf, DNLP_BUFFER_CAPACITY - 3), Result::FrameTooLarge); // no room for the CRC
    DNLP_ClearRegistration();
}

TEST(ProcessRx, TakesOnlyFrames)
{
    DNLP_ClearRegistration();
    CSwDl swdl;
    auto offer = [&](Bytes line) { return swdl.processRx(line.data(), static_cast<int>(line.size())); };
    const std::string reply = "0 = readHolding(2000): 42\n";
    EXPECT_FALSE(offer({0x0A}));
    EXPECT_FALSE(offer(Bytes(reply.begin(), reply.end())));
    EXPECT_FALSE(offer({0x01, 'a', 'b', '\r'}));
    EXPECT_FALSE(swdl.processRx(nullptr, 5));
    // A Response while nothing is registered is consumed and changes nothing.
    EXPECT_TRUE(offer(ResponseFrame(0)));
    EXPECT_TRUE(offer({0x01, 0x0A}));
    EXPECT_EQ(swdl.state(), int32_t(SwDlState::Idle));
}
