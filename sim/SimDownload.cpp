#include "sim/SimDownload.h"

#include "diag/Result.h"
#include "update/DnlCrc.h"
#include "update/Dnlp.h"
#include "update/Slip.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

bool ParseNumber(const std::string& text, long long& out)
{
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data() + start, end, out, base);
    return ec == std::errc() && p == end && start < text.size();
}

} // namespace

CSimDownload::CSimDownload(const SimDownloadOptions& options, const SimDownloadHost& host)
    : m_options(options), m_host(host), m_version(options.version), m_reply(DNLP_BUFFER_CAPACITY)
{
    DNLP_Handlers h;
    h.deviceInfoRequest = &CSimDownload::OnRequest;
    h.startTransfer = &CSimDownload::OnStart;
    h.dataBlock = &CSimDownload::OnBlock;
    h.finalize = &CSimDownload::OnFinalize;
    h.reboot = &CSimDownload::OnReboot;
    DNLP_Register(this, h);
    DNLP_SetSendHook(&CSimDownload::SendHook, this);
}

CSimDownload::~CSimDownload() { DNLP_ClearRegistrationOf(this); }

void CSimDownload::wireDelay(std::size_t bytes) const
{
    if (m_options.baud <= 0)
        return;
    // 8 data bits, a start and a stop bit per byte.
    const auto us = static_cast<long long>(bytes) * 10 * 1000000 / m_options.baud;
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

bool CSimDownload::onFrame(const uint8_t* line, std::size_t length)
{
    if (!line || length < 2 || line[0] != SLIP_START || line[length - 1] != SLIP_END ||
        length > 2 * DNLP_BUFFER_CAPACITY)
        return false;
    // The frame has only now finished arriving at the emulated wire speed.
    wireDelay(length);
    std::vector<uint8_t> message(line, line + length);
    const int m = SLIP_Decode(message.data(), static_cast<uint32_t>(length));
    if (m < 0)
        return false;
    DNLP_Decode(message.data(), static_cast<uint32_t>(m), m_reply.data());
    if (m_rebootPending) {
        m_rebootPending = false;
        if (!m_options.newVersion.empty()) {
            m_version = m_options.newVersion;
            if (m_host.setVersion)
                m_host.setVersion(m_version);
        }
        if (m_host.note)
            m_host.note("download: rebooting, back with version " + m_version);
        if (m_host.goSilent)
            m_host.goSilent(m_options.rebootMs);
    }
    return true;
}

int CSimDownload::SendHook(void* self, uint8_t* buffer, uint32_t capacity, uint32_t length)
{
    auto* me = static_cast<CSimDownload*>(self);
    if (SLIP_EncodedSize(buffer, length) >= capacity)
        return Result::FrameTooLarge;
    const uint32_t n = SLIP_Encode(buffer, length);
    me->wireDelay(n);
    if (me->m_host.write)
        me->m_host.write(buffer, n);
    return 0;
}

int CSimDownload::OnRequest(void* self, DeviceInfo& info)
{
    auto* me = static_cast<CSimDownload*>(self);
    info.deviceType = me->m_options.deviceType;
    DNLP_SetText(info.version, me->m_version);
    DNLP_SetText(info.deviceName, me->m_options.deviceName);
    return DNLP_OK;
}

int CSimDownload::OnStart(void* self, uint32_t length)
{
    auto* me = static_cast<CSimDownload*>(self);
    me->m_started = true;
    me->m_announced = length;
    me->m_image.clear();
    me->m_block = 0;
    me->m_sendings.clear();
    if (me->m_host.note)
        me->m_host.note("download: start transfer " + std::to_string(length));
    return DNLP_OK;
}

int CSimDownload::OnBlock(void* self, const uint8_t* data, uint32_t length)
{
    auto* me = static_cast<CSimDownload*>(self);
    if (!me->m_started)
        return kNotStarted;
    const int block = me->m_block;
    const int sending = me->m_sendings[block]++;
    if (block == me->m_options.silentBlock)
        return DNLP_NO_ANSWER;
    auto crc = me->m_options.crcErrorBlocks.find(block);
    if (crc != me->m_options.crcErrorBlocks.end() && sending < crc->second)
        return DNLP_CRC_ERROR;
    auto code = me->m_options.blockCodes.find(block);
    if (code != me->m_options.blockCodes.end() && sending == 0)
        return code->second;
    me->m_image.insert(me->m_image.end(), data, data + length);
    ++me->m_block;
    return DNLP_OK;
}

int CSimDownload::OnFinalize(void* self)
{
    auto* me = static_cast<CSimDownload*>(self);
    if (!me->m_options.saveImage.empty()) {
        if (std::FILE* f = std::fopen(me->m_options.saveImage.c_str(), "wb")) {
            std::fwrite(me->m_image.data(), 1, me->m_image.size(), f);
            std::fclose(f);
        }
    }
    if (me->m_options.finalizeCode != 0)
        return me->m_options.finalizeCode;
    if (!me->m_started)
        return kNotStarted;
    if (me->m_image.size() != me->m_announced || me->m_image.size() < 8)
        return kFinalizeShort;
    // The payload: a leading word for the boot loader, the image, its CRC.
    if (DNLF_Crc(0, me->m_image.data() + 4, me->m_image.size() - 4) != 0)
        return kFinalizeCrc;
    if (me->m_host.note)
        me->m_host.note("download: image of " + std::to_string(me->m_image.size()) + " bytes accepted");
    return DNLP_OK;
}

int CSimDownload::OnReboot(void* self)
{
    // Answered first; the silence begins once the answer is out.
    static_cast<CSimDownload*>(self)->m_rebootPending = true;
    return DNLP_OK;
}

std::string CSimDownload::FirmwareText(uint16_t value)
{
    return std::to_string(value / 1000) + "." + std::to_string(value / 100 % 10) + "." + std::to_string(value % 100);
}

uint16_t CSimDownload::FirmwareNumber(const std::string& text)
{
    long long part[3] = {0, 0, 0};
    std::size_t i = 0;
    for (long long& p : part) {
        const char* end = text.data() + text.size();
        const auto r = std::from_chars(text.data() + i, end, p);
        i = static_cast<std::size_t>(r.ptr - text.data());
        if (i >= text.size() || text[i] != '.')
            break;
        ++i;
    }
    const long long v = part[0] * 1000 + part[1] * 100 + part[2];
    return static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v);
}

const char* CSimDownload::Usage()
{
    return "  --dl-device-type N      device type in Device info (default 0x42000001)\n"
           "  --dl-version X.Y.Z      firmware version before a download (default from --firmware)\n"
           "  --dl-name TEXT          device name (default RU-Touch)\n"
           "  --dl-new-version X.Y.Z  firmware version after the reboot (default: unchanged)\n"
           "  --dl-crc-error B[xN]    answer block B (from 0) with a CRC error N times (default 1)\n"
           "  --dl-block-error B:C    answer the first sending of block B with code C\n"
           "  --dl-silent-block B     never answer block B\n"
           "  --dl-finalize-error C   answer Finalize with code C\n"
           "  --dl-reboot-ms MS       silence after Reboot (default 1500)\n"
           "  --dl-baud BAUD          emulate the wire speed (115200 for a real line)\n"
           "  --dl-save FILE          write the received payload to FILE at Finalize\n";
}

bool CSimDownload::ParseOption(int argc, char** argv, int& i, SimDownloadOptions& o, std::string& error)
{
    const std::string arg = argv[i];
    static const char* const kNames[] = {"--dl-device-type", "--dl-version",     "--dl-name",
                                         "--dl-new-version", "--dl-crc-error",   "--dl-block-error",
                                         "--dl-silent-block", "--dl-finalize-error", "--dl-reboot-ms",
                                         "--dl-baud",        "--dl-save"};
    bool known = false;
    for (const char* n : kNames)
        known = known || arg == n;
    if (!known)
        return false;
    if (i + 1 >= argc) {
        error = arg + " needs a value";
        return true;
    }
    const std::string value = argv[++i];
    long long a = 0, b = 0;
    auto bad = [&]() { error = arg + ": bad value '" + value + "'"; };
    if (arg == "--dl-device-type") {
        if (!ParseNumber(value, a) || a < 0 || a > 0xFFFFFFFFll)
            return bad(), true;
        o.deviceType = static_cast<uint32_t>(a);
    } else if (arg == "--dl-version") {
        o.version = value;
    } else if (arg == "--dl-name") {
        o.deviceName = value;
    } else if (arg == "--dl-new-version") {
        o.newVersion = value;
    } else if (arg == "--dl-crc-error") {
        const auto x = value.find('x');
        b = 1;
        if (!ParseNumber(value.substr(0, x), a) || a < 0 ||
            (x != std::string::npos && (!ParseNumber(value.substr(x + 1), b) || b < 0)))
            return bad(), true;
        o.crcErrorBlocks[static_cast<int>(a)] = static_cast<int>(b);
    } else if (arg == "--dl-block-error") {
        const auto c = value.find(':');
        if (c == std::string::npos || !ParseNumber(value.substr(0, c), a) || a < 0 ||
            !ParseNumber(value.substr(c + 1), b) || b < 0 || b > 255)
            return bad(), true;
        o.blockCodes[static_cast<int>(a)] = static_cast<int>(b);
    } else if (arg == "--dl-silent-block") {
        if (!ParseNumber(value, a) || a < 0)
            return bad(), true;
        o.silentBlock = static_cast<int>(a);
    } else if (arg == "--dl-finalize-error") {
        if (!ParseNumber(value, a) || a < 0 || a > 255)
            return bad(), true;
        o.finalizeCode = static_cast<int>(a);
    } else if (arg == "--dl-reboot-ms") {
        if (!ParseNumber(value, a) || a < 0 || a > 600000)
            return bad(), true;
        o.rebootMs = static_cast<int>(a);
    } else if (arg == "--dl-baud") {
        if (!ParseNumber(value, a) || a < 0 || a > 4000000)
            return bad(), true;
        o.baud = static_cast<int>(a);
    } else if (arg == "--dl-save") {
        o.saveImage = value;
    }
    return true;
}
