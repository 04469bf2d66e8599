// The firmware download state machine. It checks that the unit on the line
// is one the loaded file is meant for and not newer than the file, announces
// the payload length, sends the payload in blocks of at most 512 bytes, each
// acknowledged by the unit before the next goes out (the blocks carry no
// offset: the unit appends them in order), then has the unit finalize and
// reboot.
//
//   Idle -> Init (Start: CR LF, Device-info request)
//        -> Started (unit matches: Start transfer)
//        -> Transfer (Response 0: blocks, one per Response 0)
//        -> Finalize (Response 0 to the last block)
//        -> Reboot (Response 0: Reboot sent, machine reset; final)
//   Error (final): wrong unit or older file, a Response other than 0 or 3,
//   a sixth resend request in a row, a failed resend.
// A Response 3 (the unit got a damaged frame) resends the last frame as it
// was encoded. tick, called periodically by whoever drives the download,
// treats 10 s without an answer like a Response 3, so a unit that stops
// answering ends in Error after five resends instead of leaving the
// download waiting for ever.
//
// Result codes (diag/Result.h): LoadDNL Ok, else the file's failure
// (CDnlFile.h); Start Ok, NoValidFile. The send hook gives Ok,
// FrameTooLarge, NoSendHook (no transmitter) or FrameNotWritten (the
// transmitter refused the frame). processRx: true when the line was a frame
// (consumed).
//
// Thread rules: Start, processRx and tick may be called from different
// threads (the download worker, the receive thread, the driver); one mutex
// serialises them, and the transmitter is called under it, so a transmitter
// must never call back into this object. state(), getProgress(),
// transferOffset() read atomics and may be called from any thread at any
// time. The codec registration is process-wide: one download at a time.
#pragma once

#include "update/CDnlFile.h"
#include "update/Dnlp.h"
#include "update/IOsThreadCB.h"
#include "update/ISwDlTx.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

enum class SwDlState : int32_t {
    Error = 1,
    Idle = 2,
    Init = 3,
    Started = 4,
    Transfer = 5,
    Finalize = 6,
    Reboot = 7,
};

class CSwDl : public IOsThreadCB
{
public:
    // The unit answers every frame within a few hundred milliseconds; after
    // 10 s of silence the frame is taken as lost and sent again.
    static constexpr uint32_t kResponseTimeoutMs = 10000;
    // Resends in a row before the download is given up (six sendings).
    static constexpr uint32_t kMaxRetries = 5;
    static constexpr uint32_t kBlockSize = DNLP_MAX_BLOCK;
    static constexpr uint32_t kTxBufferSize = DNLP_BUFFER_CAPACITY;

    using Clock = uint32_t (*)(); // millisecond tick count

    CSwDl();
    ~CSwDl() override;
    CSwDl(const CSwDl&) = delete;
    CSwDl& operator=(const CSwDl&) = delete;

    // The transmitter is not owned. Set it before Start.
    void setTransmitter(ISwDlTx* tx) { m_transmitter = tx; }
    // Replaces the millisecond clock (tests use a clock they move by hand).
    void setClock(Clock clock) { m_clock = clock ? clock : &CSwDl::SystemMs; }

    int LoadDNL(std::string path);
    int Start();
    bool processRx(uint8_t* line, int length);

    // The response time-out check; arguments ignored; returns false.
    bool tick(uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) override;
    void idleTick(uint32_t, uint32_t, uint32_t) override {}

    // 0..100: Idle 0, Init 2, Started 4, Transfer 6..95, Finalize 98,
    // Error and Reboot 100.
    int getProgress();
    int32_t state() const { return m_state.load(); }
    // Payload bytes the unit has acknowledged so far.
    uint32_t transferOffset() const { return m_offset.load(); }
    uint32_t payloadLength() const { return m_file.payloadLength(); }
    const CDnlFile& file() const { return m_file; }
    // Why the download ended in Error, in words for the user; read it once
    // state() reports Error (it is written before the state).
    const std::string& errorText() const { return m_errorText; }

    // The state as the download page shows it ("eIdle", ..., "eUndefined").
    static const char* StateText(int32_t state);
    static uint32_t SystemMs();

    // Clears the codec registration and returns to Idle (the destructor and
    // the download link use it when a download ends or is abandoned).
    void reset();

private:
    void reset(int32_t finalState); // under the lock
    void setState(int32_t s);
    void advance();
    bool transferNext(); // true when the payload is complete
    void onResponse(uint8_t code, bool timedOut = false);
    void onDeviceInfo(const DeviceInfo& info);
    int sendHook(uint8_t* buffer, uint32_t capacity, uint32_t length);
    int resend();
    void enterError(std::string why);

    static void ResponseCb(void* self, uint8_t code);
    static void DeviceInfoCb(void* self, const DeviceInfo& info);
    static int SendHookCb(void* self, uint8_t* buffer, uint32_t capacity, uint32_t length);

    std::mutex m_mutex;
    Clock m_clock = &CSwDl::SystemMs;
    std::atomic<uint32_t> m_sendTime{0};
    bool m_awaiting = false;
    std::atomic<uint32_t> m_offset{0};
    uint32_t m_blockSize = 0;
    CDnlFile m_file;
    std::atomic<int32_t> m_state{int32_t(SwDlState::Idle)};
    uint32_t m_retries = 0;
    uint8_t m_txBuffer[kTxBufferSize] = {};
    uint32_t m_frameLength = 0;
    ISwDlTx* m_transmitter = nullptr;
    std::string m_errorText;
};
