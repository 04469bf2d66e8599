// The download protocol on top of the frame layer. A message is one type
// byte, a body and the download CRC over both (4 bytes, little-endian). On
// receipt a message is checked and dispatched to the handler registered for
// its type; the codec answers with a Response where the protocol asks for
// one. The codec serves both ends of the link: the tool registers handlers
// for Response and Device info, the unit (the simulator) for the others.
//
// Response codes: 0 accepted; 1 no handler for the type; 3 the frame failed
// its CRC, send it again; 4 unknown type; any other value is a handler's own
// code. A handler returning DNLP_NO_ANSWER (5) has nothing sent for it.
//
// The Response codes above are bytes on the wire, the unit's own numbers;
// the result codes below are the tool's (diag/Result.h). DNLP_Send returns
// the send hook's result (Ok sent), NoSendHook when no hook is set, or
// FrameTooLarge when the message does not fit the buffer. DNLP_Decode
// returns Ok, or FrameDamaged when the message failed its CRC check (also
// when it is too short to carry one).
//
// Thread rules: one registration per process. Register and clear it only
// while no frames are expected (before a download starts and when it ends);
// the registration is copied under a small lock, so decoding on one thread
// while another clears it is safe: a frame already being decoded still
// reaches the handlers it started with.
#pragma once

#include <cstdint>
#include <string_view>

constexpr uint32_t DNLP_BUFFER_CAPACITY = 1050; // largest frame + 1 with room to spare
constexpr uint32_t DNLP_CRC_SIZE = 4;
constexpr uint32_t DNLP_MIN_MESSAGE = 1 + DNLP_CRC_SIZE;
constexpr uint32_t DNLP_MAX_BLOCK = 512;
constexpr uint32_t DNLP_DEVICE_TYPE = 0x42000001; // the room units this tool updates

constexpr uint8_t DNLP_DEVICE_INFO_REQUEST = 5;
constexpr uint8_t DNLP_RESPONSE = 6;
constexpr uint8_t DNLP_DEVICE_INFO = 22;
constexpr uint8_t DNLP_FINALIZE = 23;
constexpr uint8_t DNLP_REBOOT = 25;
constexpr uint8_t DNLP_START_TRANSFER = 28;
constexpr uint8_t DNLP_DATA_BLOCK = 31;

constexpr int DNLP_OK = 0;
constexpr int DNLP_NO_HANDLER = 1;
constexpr int DNLP_CRC_ERROR = 3;
constexpr int DNLP_UNKNOWN_TYPE = 4;
constexpr int DNLP_NO_ANSWER = 5;

constexpr uint32_t DNLP_TEXT_SIZE = 24;
constexpr uint32_t DNLP_DEVICE_INFO_SIZE = 52;

// What a unit says about itself. Texts are NUL-padded; one that fills all
// 24 bytes has no NUL.
struct DeviceInfo
{
    uint32_t deviceType = 0;
    char version[DNLP_TEXT_SIZE] = {};
    char deviceName[DNLP_TEXT_SIZE] = {};
};

// A 24-byte text field as a string (up to the first NUL, at most 24 chars).
std::string_view DNLP_Text(const char (&field)[DNLP_TEXT_SIZE]);
// Copies text into a field, NUL-padded, cut at 24 characters.
void DNLP_SetText(char (&field)[DNLP_TEXT_SIZE], std::string_view text);

// Every handler gets the registered context first.
using DNLP_DeviceInfoRequestHandler = int (*)(void* context, DeviceInfo& info);
using DNLP_ResponseHandler = void (*)(void* context, uint8_t code);
using DNLP_DeviceInfoHandler = void (*)(void* context, const DeviceInfo& info);
using DNLP_CommandHandler = int (*)(void* context); // Finalize, Reboot
using DNLP_StartTransferHandler = int (*)(void* context, uint32_t length);
using DNLP_DataBlockHandler = int (*)(void* context, const uint8_t* data, uint32_t length);

struct DNLP_Handlers
{
    DNLP_DeviceInfoRequestHandler deviceInfoRequest = nullptr; // 5
    DNLP_ResponseHandler response = nullptr;                   // 6
    DNLP_DeviceInfoHandler deviceInfo = nullptr;               // 22
    DNLP_CommandHandler finalize = nullptr;                    // 23
    DNLP_CommandHandler reboot = nullptr;                      // 25
    DNLP_StartTransferHandler startTransfer = nullptr;         // 28
    DNLP_DataBlockHandler dataBlock = nullptr;                 // 31
};

// Frames and writes a message: (context, buffer, capacity, message length
// including the CRC). Returns Ok when sent, else a negative result code.
using DNLP_SendHook = int (*)(void* context, uint8_t* buffer, uint32_t capacity, uint32_t length);

void DNLP_Register(void* context, const DNLP_Handlers& handlers);
void DNLP_SetSendHook(DNLP_SendHook hook, void* context);
// Empties every handler slot, the context and the send hook.
void DNLP_ClearRegistration();
// Clears the registration only if context registered it or set the hook, so
// that an old owner going away never unhooks a newer one.
void DNLP_ClearRegistrationOf(void* context);

// Appends the CRC over the n message bytes and hands the message to the send
// hook. The buffer must hold DNLP_BUFFER_CAPACITY bytes: the hook frames it
// in place.
int DNLP_Send(uint8_t* buffer, uint32_t n);

// Message builders: each writes its message at the front of buffer (of
// DNLP_BUFFER_CAPACITY bytes) and sends it. info null: the type byte alone.
int DNLP_SendDeviceInfoRequest(uint8_t* buffer);
int DNLP_SendDeviceInfo(uint8_t* buffer, const DeviceInfo* info);
int DNLP_SendFinalize(uint8_t* buffer);
int DNLP_SendReboot(uint8_t* buffer);
int DNLP_SendStartTransfer(uint8_t* buffer, uint32_t length);
int DNLP_SendResponse(uint8_t* buffer, uint8_t code);

// Checks and dispatches one decoded message of length bytes (CRC included).
// Responses are built in reply (DNLP_BUFFER_CAPACITY bytes, not the message's
// own buffer).
int DNLP_Decode(const uint8_t* message, uint32_t length, uint8_t* reply);
