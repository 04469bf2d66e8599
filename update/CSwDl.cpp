#include "update/CSwDl.h"

#include "diag/Result.h"
#include "update/Slip.h"
#include "update/SwdlLog.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// major.minor.patch; a missing or non-numeric part counts as 0, a number
// too large for 32 bits saturates.
std::array<uint32_t, 3> ParseVersion(std::string_view text)
{
    std::array<uint32_t, 3> parts{};
    std::size_t i = 0;
    for (std::size_t p = 0; p < 3; ++p) {
        uint64_t v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            v = std::min<uint64_t>(v * 10 + uint64_t(text[i] - '0'), 0xFFFFFFFFu);
            ++i;
        }
        parts[p] = static_cast<uint32_t>(v);
        if (i >= text.size() || text[i] != '.')
            break;
        ++i;
    }
    return parts;
}

} // namespace

CSwDl::CSwDl() { m_sendTime = m_clock(); }

CSwDl::~CSwDl()
{
    // Never leave the codec pointing at a dead object.
    DNLP_ClearRegistrationOf(this);
}

uint32_t CSwDl::SystemMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

const char* CSwDl::StateText(int32_t state)
{
    switch (state) {
    case 1: return "eError";
    case 2: return "eIdle";
    case 3: return "eInit";
    case 4: return "eStarted";
    case 5: return "eTransfer";
    case 6: return "eFinalize";
    case 7: return "eReboot";
    default: return "eUndefined";
    }
}

int CSwDl::LoadDNL(std::string path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SWDL_LOG("SwDl: Load Download File %s", path.c_str());
    const int rc = m_file.LoadAndParse(path);
    if (m_file.valid() && m_file.payloadLength() != 0) {
        m_offset = 0;
        m_blockSize = 0;
        return Result::Ok;
    }
    SWDL_LOG("SwDl: LoadDNL - invalid file");
    const int why = rc != Result::Ok ? rc : Result::NoValidFile;
    SWDL_LOG("SwDl: LoadDNL - %s (%d)", ResultText(why).c_str(), why);
    return why;
}

int CSwDl::Start()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_file.valid() || m_file.payloadLength() == 0) {
        SWDL_LOG("SwDl: Start - invalid file");
        return Result::NoValidFile;
    }
    SWDL_LOG("SwDl: Start Download (%d)..", int(m_file.payloadLength()));
    // A download starts afresh, also on an object that ended in Error before.
    m_offset = 0;
    m_blockSize = 0;
    m_retries = 0;
    m_errorText.clear();
    setState(int32_t(SwDlState::Init));
    return Result::Ok;
}

bool CSwDl::processRx(uint8_t* line, int length)
{
    if (!line || length < 2 || line[0] != SLIP_START || line[length - 1] != SLIP_END)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    const int m = SLIP_Decode(line, static_cast<uint32_t>(length));
    SWDL_LOG("processRx: Slip frame %d received, content=%d bytes, start=x%x", length, m, m > 0 ? line[0] : 0);
    const int rc = DNLP_Decode(line, static_cast<uint32_t>(m), m_txBuffer);
    SWDL_LOG("processRx: DNLP_Decode returns %d", rc);
    return true;
}

void CSwDl::setState(int32_t s)
{
    switch (s) {
    case int32_t(SwDlState::Idle):
        SWDL_LOG("SwDl: new state Idle");
        break;
    case int32_t(SwDlState::Init): {
        SWDL_LOG("SwDl: new state Init");
        // An empty line first, so that the adapter drops any half-typed
        // command before the first frame.
        if (m_transmitter)
            m_transmitter->transmit(reinterpret_cast<const uint8_t*>("\r\n"), 2);
        DNLP_Handlers handlers;
        handlers.response = &CSwDl::ResponseCb;
        handlers.deviceInfo = &CSwDl::DeviceInfoCb;
        DNLP_Register(this, handlers);
        DNLP_SetSendHook(&CSwDl::SendHookCb, this);
        DNLP_SendDeviceInfoRequest(m_txBuffer);
        break;
    }
    case int32_t(SwDlState::Started):
        SWDL_LOG("SwDl: new state Started, payload=%d", int(m_file.payloadLength()));
        DNLP_SendStartTransfer(m_txBuffer, m_file.payloadLength());
        break;
    case int32_t(SwDlState::Transfer):
        SWDL_LOG("SwDl: new state Transfer");
        transferNext(); // the payload is never empty: this sends the first block
        break;
    case int32_t(SwDlState::Finalize):
        SWDL_LOG("SwDl: new state Finalize");
        DNLP_SendFinalize(m_txBuffer);
        break;
    case int32_t(SwDlState::Reboot):
        SWDL_LOG("SwDl: new state Reboot");
        DNLP_SendReboot(m_txBuffer);
        reset(s);
        return;
    default:
        SWDL_LOG("SwDl: new state Error");
        reset(s);
        return;
    }
    m_state = s;
}

void CSwDl::advance()
{
    switch (SwDlState(m_state.load())) {
    case SwDlState::Init:
        setState(int32_t(SwDlState::Started));
        break;
    case SwDlState::Started:
        setState(int32_t(SwDlState::Transfer));
        break;
    case SwDlState::Transfer:
        if (transferNext())
            setState(int32_t(SwDlState::Finalize));
        break;
    case SwDlState::Finalize:
        setState(int32_t(SwDlState::Reboot));
        break;
    default:
        break;
    }
}

bool CSwDl::transferNext()
{
    const uint32_t total = m_file.payloadLength();
    const uint32_t offset = m_offset + m_blockSize;
    m_offset = offset;
    if (offset >= total) {
        SWDL_LOG("SwDl: transfer done (%d/%d)", int(offset), int(total));
        return true;
    }
    m_blockSize = std::min(kBlockSize, total - offset);
    SWDL_LOG("SwDl: transfer %d (%d/%d)", int(m_blockSize), int(offset), int(total));
    m_txBuffer[0] = DNLP_DATA_BLOCK;
    std::memcpy(m_txBuffer + 1, m_file.payload() + offset, m_blockSize);
    DNLP_Send(m_txBuffer, m_blockSize + 1);
    return false;
}

void CSwDl::onDeviceInfo(const DeviceInfo& info)
{
    // Device info only answers the request sent in Init. A late duplicate
    // (the unit answering a resent request twice) must not move the machine
    // on, or it would send a block nobody acknowledged.
    if (m_state.load() != int32_t(SwDlState::Init)) {
        SWDL_LOG("DeviceInfo ignored in state %d", int(m_state.load()));
        return;
    }
    if (info.deviceType != DNLP_DEVICE_TYPE) {
        SWDL_LOG("DeviceType mismatch");
        char why[96];
        std::snprintf(why, sizeof why, "the unit is of another kind (device type 0x%08x)",
                      unsigned(info.deviceType));
        m_errorText = why;
        setState(int32_t(SwDlState::Error));
        return;
    }
    const std::string_view version = DNLP_Text(info.version);
    const std::string_view name = DNLP_Text(info.deviceName);
    SWDL_LOG("DeviceInfo: '%x' '%.*s' '%.*s'", info.deviceType, int(version.size()), version.data(),
             int(name.size()), name.data());
    const auto unit = ParseVersion(version);
    const auto file = ParseVersion(m_file.version());
    const auto& devices = m_file.devices();
    const bool listed = std::find(devices.begin(), devices.end(), name) != devices.end();
    if (listed && file >= unit) { // lexicographic: major, then minor, then patch
        SWDL_LOG("Device match!");
        advance();
    } else {
        SWDL_LOG("no compatible device found or new FW is older than current FW on device");
        m_errorText = "the unit '" + std::string(name) + "' with firmware " + std::string(version) +
                      (listed ? " has newer firmware than the file (" + m_file.version() + ")"
                              : " is not one the file is meant for");
        setState(int32_t(SwDlState::Error));
    }
}

void CSwDl::enterError(std::string why)
{
    m_errorText = std::move(why);
    SWDL_LOG("SwDl: new state Error");
    reset(int32_t(SwDlState::Error));
}

void CSwDl::onResponse(uint8_t code, bool timedOut)
{
    SWDL_LOG("SwDl Response = %d", code);
    SWDL_LOG(" ");
    if (code == DNLP_OK) {
        m_retries = 0;
        advance();
    } else if (code == DNLP_CRC_ERROR) {
        if (++m_retries > kMaxRetries) {
            SWDL_LOG("SwDl error to many retries");
            enterError(timedOut ? "the unit stopped answering" : "the unit asked for a frame again too often");
            return;
        }
        m_sendTime = m_clock();
        if (resend() != Result::Ok) {
            SWDL_LOG("SwDl error resending frame");
            enterError("the frame could not be written to the port");
        }
    } else {
        enterError("the unit refused with code " + std::to_string(code));
    }
}

int CSwDl::sendHook(uint8_t* buffer, uint32_t capacity, uint32_t length)
{
    m_frameLength = 0;
    if (SLIP_EncodedSize(buffer, length) >= capacity) {
        SWDL_LOG("Sending download message failed, buffer to small");
        return Result::FrameTooLarge;
    }
    const uint32_t frame = SLIP_Encode(buffer, length);
    buffer[frame] = 0;
    SWDL_LOG("Sending download message (%d -> %d)", int(length), int(frame));
    if (!m_transmitter)
        return Result::NoSendHook;
    if (!m_transmitter->transmit(buffer, static_cast<int32_t>(frame)))
        return Result::FrameNotWritten;
    m_awaiting = true;
    m_sendTime = m_clock();
    if (buffer == m_txBuffer)
        m_frameLength = frame;
    else
        SWDL_LOG("Sending download message from foreign buffer");
    return Result::Ok;
}

int CSwDl::resend()
{
    SWDL_LOG("Re-Send download message (%d)", int(m_frameLength));
    if (!m_transmitter)
        return Result::NoSendHook;
    return m_transmitter->transmit(m_txBuffer, static_cast<int32_t>(m_frameLength)) ? Result::Ok
                                                                                    : Result::FrameNotWritten;
}

void CSwDl::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    reset(int32_t(SwDlState::Idle));
}

void CSwDl::reset(int32_t finalState)
{
    DNLP_ClearRegistrationOf(this);
    m_awaiting = false;
    m_sendTime = m_clock();
    m_offset = 0;
    m_blockSize = 0;
    // Straight to the final state: a reader on another thread never sees a
    // finished download pass through Idle.
    m_state = finalState;
}

bool CSwDl::tick(uint32_t, uint32_t, uint32_t)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state.load() != int32_t(SwDlState::Idle) && m_awaiting &&
        uint32_t(m_clock() - m_sendTime.load()) > kResponseTimeoutMs) {
        SWDL_LOG("SwDl: timeout, resend ...");
        onResponse(DNLP_CRC_ERROR, true);
    }
    return false;
}

int CSwDl::getProgress()
{
    SWDL_LOG("SwDl: Download progress");
    switch (SwDlState(m_state.load())) {
    case SwDlState::Idle: return 0;
    case SwDlState::Init: return 2;
    case SwDlState::Started: return 4;
    case SwDlState::Transfer: {
        const uint64_t total = m_file.payloadLength();
        return total == 0 ? 0 : static_cast<int>(uint64_t(m_offset.load()) * 90 / total + 6);
    }
    case SwDlState::Finalize: return 98;
    default: return 100;
    }
}

void CSwDl::ResponseCb(void* self, uint8_t code) { static_cast<CSwDl*>(self)->onResponse(code); }

void CSwDl::DeviceInfoCb(void* self, const DeviceInfo& info) { static_cast<CSwDl*>(self)->onDeviceInfo(info); }

int CSwDl::SendHookCb(void* self, uint8_t* buffer, uint32_t capacity, uint32_t length)
{
    if (!self)
        return Result::NoSendHook;
    return static_cast<CSwDl*>(self)->sendHook(buffer, capacity, length);
}
