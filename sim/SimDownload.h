// The room unit's side of the firmware download in tavemo-unitsim. The
// simulator hands it every received line that starts with the frame byte
// 0x01; it decodes the frame with the tool's own codec, with handlers for
// the messages a unit receives:
//   5  Device-info request: answers with device type, firmware version and
//      device name;
//   28 Start transfer: takes the announced length, starts an empty image;
//   31 Data block: appends the block (blocks carry no offset);
//   23 Finalize: checks that the announced length arrived and that the
//      payload's own CRC (over all but its leading word) holds; answers
//      kFinalizeShort or kFinalizeCrc otherwise;
//   25 Reboot: answers, then goes silent for the reboot time and comes back
//      reporting the new firmware version.
// Faults on request: a CRC-error Response (3) for chosen blocks, a block
// that is never answered, an error code on Finalize. With wire-speed
// emulation each frame costs the time its bytes take at 115200 baud
// (10 bits per byte) in both directions, so transfer times are realistic.
//
// Thread rules: the simulator's one thread.
#pragma once

#include "update/Dnlp.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct SimDownloadOptions
{
    uint32_t deviceType = 0x42000001;
    std::string version;               // empty: from the firmware register (see FirmwareText)
    std::string deviceName = "RU-Touch";
    std::string newVersion;            // reported after a reboot; empty: unchanged
    std::map<int, int> crcErrorBlocks; // block index -> how many sendings get Response 3
    std::map<int, int> blockCodes;     // block index -> a Response code for its first sending
    int silentBlock = -1;              // block index never answered
    int finalizeCode = 0;              // forced Finalize answer (0: check and answer)
    int rebootMs = 1500;               // silence after Reboot
    int baud = 0;                      // wire-speed emulation; 0 = as fast as the pty goes
    std::string saveImage;             // write the payload received here at Finalize
};

// What the simulator lends the unit.
struct SimDownloadHost
{
    std::function<void(const uint8_t*, std::size_t)> write; // raw bytes to the tool
    std::function<void(int ms)> goSilent;                    // no answers for a while (rebooting)
    std::function<void(const std::string&)> setVersion;      // the firmware version the unit reports
    std::function<void(const std::string&)> note;            // a line for the simulator's transcript
};

class CSimDownload
{
public:
    static constexpr int kFinalizeShort = 8; // fewer or more bytes than announced
    static constexpr int kFinalizeCrc = 9;   // the payload's CRC does not hold
    static constexpr int kNotStarted = 10;   // a block or Finalize without Start transfer

    CSimDownload(const SimDownloadOptions& options, const SimDownloadHost& host);
    ~CSimDownload();
    CSimDownload(const CSimDownload&) = delete;
    CSimDownload& operator=(const CSimDownload&) = delete;

    // One received line starting with 0x01 (it should end with 0x0A).
    // Returns true when it was taken as a frame.
    bool onFrame(const uint8_t* line, std::size_t length);

    // Parses the simulator's download options; returns true when arg (and
    // perhaps the next argument, consumed through i) was one of them, with
    // error set when its value is wrong.
    static bool ParseOption(int argc, char** argv, int& i, SimDownloadOptions& options, std::string& error);
    static const char* Usage();

    // The firmware register 2001 holds the version as one number, major in
    // the thousands, minor in the hundreds, patch below: 2105 is 2.1.5.
    static std::string FirmwareText(uint16_t value);
    static uint16_t FirmwareNumber(const std::string& text);

    const std::vector<uint8_t>& image() const { return m_image; }
    const std::string& version() const { return m_version; }

private:
    static int OnRequest(void* self, DeviceInfo& info);
    static int OnStart(void* self, uint32_t length);
    static int OnBlock(void* self, const uint8_t* data, uint32_t length);
    static int OnFinalize(void* self);
    static int OnReboot(void* self);
    static int SendHook(void* self, uint8_t* buffer, uint32_t capacity, uint32_t length);
    void wireDelay(std::size_t bytes) const;

    SimDownloadOptions m_options;
    SimDownloadHost m_host;
    std::string m_version;
    bool m_started = false;
    uint32_t m_announced = 0;
    std::vector<uint8_t> m_image;
    int m_block = 0; // index of the next block to append
    std::map<int, int> m_sendings;
    bool m_rebootPending = false;
    std::vector<uint8_t> m_reply;
};
