#include "update/Dnlp.h"

#include "diag/Result.h"
#include "update/DnlCrc.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

struct Registration
{
    void* context = nullptr;
    DNLP_Handlers handlers;
    DNLP_SendHook hook = nullptr;
    void* hookContext = nullptr;
};

std::mutex g_mutex;
Registration g_registration;

Registration Snapshot()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_registration;
}

int SendSingle(uint8_t* buffer, uint8_t type)
{
    buffer[0] = type;
    return DNLP_Send(buffer, 1);
}

// Answers a handler's result r: nothing for DNLP_NO_ANSWER, else Response r.
void Answer(uint8_t* reply, int r)
{
    if (r != DNLP_NO_ANSWER)
        DNLP_SendResponse(reply, static_cast<uint8_t>(r));
}

} // namespace

std::string_view DNLP_Text(const char (&field)[DNLP_TEXT_SIZE])
{
    const char* end = std::find(field, field + DNLP_TEXT_SIZE, '\0');
    return std::string_view(field, static_cast<std::size_t>(end - field));
}

void DNLP_SetText(char (&field)[DNLP_TEXT_SIZE], std::string_view text)
{
    std::memset(field, 0, DNLP_TEXT_SIZE);
    std::memcpy(field, text.data(), std::min<std::size_t>(text.size(), DNLP_TEXT_SIZE));
}

void DNLP_Register(void* context, const DNLP_Handlers& handlers)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_registration.context = context;
    g_registration.handlers = handlers;
}

void DNLP_SetSendHook(DNLP_SendHook hook, void* context)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_registration.hook = hook;
    g_registration.hookContext = context;
}

void DNLP_ClearRegistration()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_registration = Registration();
}

void DNLP_ClearRegistrationOf(void* context)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_registration.context == context || g_registration.hookContext == context)
        g_registration = Registration();
}

int DNLP_Send(uint8_t* buffer, uint32_t n)
{
    DNLP_SendHook hook;
    void* context;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        hook = g_registration.hook;
        context = g_registration.hookContext;
    }
    if (!hook)
        return Result::NoSendHook;
    if (n + DNLP_CRC_SIZE > DNLP_BUFFER_CAPACITY)
        return Result::FrameTooLarge;
    DNLF_PutLe32(buffer + n, DNLF_Crc(0, buffer, n));
    return hook(context, buffer, DNLP_BUFFER_CAPACITY, n + DNLP_CRC_SIZE);
}

int DNLP_SendDeviceInfoRequest(uint8_t* buffer) { return SendSingle(buffer, DNLP_DEVICE_INFO_REQUEST); }
int DNLP_SendFinalize(uint8_t* buffer) { return SendSingle(buffer, DNLP_FINALIZE); }
int DNLP_SendReboot(uint8_t* buffer) { return SendSingle(buffer, DNLP_REBOOT); }

int DNLP_SendDeviceInfo(uint8_t* buffer, const DeviceInfo* info)
{
    buffer[0] = DNLP_DEVICE_INFO;
    if (!info)
        return DNLP_Send(buffer, 1);
    DNLF_PutLe32(buffer + 1, info->deviceType);
    std::memcpy(buffer + 5, info->version, DNLP_TEXT_SIZE);
    std::memcpy(buffer + 5 + DNLP_TEXT_SIZE, info->deviceName, DNLP_TEXT_SIZE);
    return DNLP_Send(buffer, 1 + DNLP_DEVICE_INFO_SIZE);
}

int DNLP_SendStartTransfer(uint8_t* buffer, uint32_t length)
{
    buffer[0] = DNLP_START_TRANSFER;
    DNLF_PutLe32(buffer + 1, length);
    return DNLP_Send(buffer, 5);
}

int DNLP_SendResponse(uint8_t* buffer, uint8_t code)
{
    buffer[0] = DNLP_RESPONSE;
    buffer[1] = code;
    return DNLP_Send(buffer, 2);
}

int DNLP_Decode(const uint8_t* message, uint32_t length, uint8_t* reply)
{
    // Too short to hold a type and a CRC: damaged like a CRC failure (the
    // CRC of nothing would pass), so it is answered the same way.
    if (!message || length < DNLP_MIN_MESSAGE || DNLF_Crc(0, message, length) != 0) {
        DNLP_SendResponse(reply, DNLP_CRC_ERROR);
        return Result::FrameDamaged;
    }
    const Registration reg = Snapshot();
    const DNLP_Handlers& h = reg.handlers;
    const uint32_t afterType = length - 1; // bytes after the type, CRC included
    switch (message[0]) {
    case 0:
        break;
    case DNLP_DEVICE_INFO_REQUEST:
        if (!h.deviceInfoRequest) {
            Answer(reply, DNLP_NO_HANDLER);
        } else {
            DeviceInfo info;
            const int r = h.deviceInfoRequest(reg.context, info);
            if (r == DNLP_OK)
                DNLP_SendDeviceInfo(reply, &info);
            else
                Answer(reply, r);
        }
        break;
    case DNLP_RESPONSE:
        if (h.response)
            h.response(reg.context, message[1]);
        break;
    case DNLP_DEVICE_INFO:
        if (h.deviceInfo && afterType >= DNLP_DEVICE_INFO_SIZE + 1) {
            DeviceInfo info;
            info.deviceType = DNLF_GetLe32(message + 1);
            std::memcpy(info.version, message + 5, DNLP_TEXT_SIZE);
            std::memcpy(info.deviceName, message + 5 + DNLP_TEXT_SIZE, DNLP_TEXT_SIZE);
            h.deviceInfo(reg.context, info);
        }
        break;
    case DNLP_FINALIZE:
    case DNLP_REBOOT: {
        const DNLP_CommandHandler handler = message[0] == DNLP_FINALIZE ? h.finalize : h.reboot;
        Answer(reply, handler ? handler(reg.context) : DNLP_NO_HANDLER);
        break;
    }
    case DNLP_START_TRANSFER:
        if (!h.startTransfer)
            Answer(reply, DNLP_NO_HANDLER);
        else if (afterType >= 5)
            Answer(reply, h.startTransfer(reg.context, DNLF_GetLe32(message + 1)));
        break;
    case DNLP_DATA_BLOCK:
        Answer(reply, h.dataBlock ? h.dataBlock(reg.context, message + 1, length - 5) : DNLP_NO_HANDLER);
        break;
    default:
        Answer(reply, DNLP_UNKNOWN_TYPE);
        break;
    }
    return Result::Ok;
}
