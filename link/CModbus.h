// The client of the serial interface adapter's line protocol. The adapter
// runs each command against the room unit, by Modbus (holding and input
// registers, coils) or by BACnet objects (AV, IV, AI, BV, BI, TV, DTV, CSV),
// and answers with one text line:
//   reads   "<status> = <function>(<number>): <value>"
//   writes  "<status> = <function>(<number>,<value>)"
// Every command ends with CR LF and is preceded by a CR LF of its own (the
// adapter starts from an empty line, stale input is discarded). Lines the
// expected grammar does not match are skipped and the next one is awaited.
// All numbers on the wire are written and read without regard to the
// process locale ("Dw3 21.46" also under a German locale).
//
// There is one process-wide instance, theModbus. Pages connect it, run a
// series of operations and disconnect it; the port is not held open between
// user actions.
//
// Result codes (diag/Result.h; negative = failure):
//   0 or a positive status  success (reads; writes with status >= 0)
//   positive, other         write: the adapter answered with a negative
//                           status or for another number (the reply line's
//                           length); single-attempt reads (readCoil,
//                           readInput) likewise
//   NoLink            port closed; range-limited wrappers without a catalogue
//   MissingArgument   null output or input
//   NoSuchRegister    address 0 or >= 10000 in the range-limited wrappers
//   OutOfLimits       value outside the catalogue limits (the entry holds the
//                     clamped value)
//   ReplyWithoutValue readTvValue: the accepted line has no "): "
//   NoReply           no reply within 2000 ms (also when only lines no
//                     grammar accepts came)
//   WriteStalled      the command could not be written
//   ReadFailed        a read failed in both attempts
//   NoValues          writeMultiHoldings(Checked) without values
//   DemoMode          connect in demo mode
//   connect also returns the CComPort::open codes; openTrace TraceNotCreated.
// ResultText (diag/Result.h) turns them into words.
//
// Every command line sent and every reply line received also goes to the
// debug window (diag/DebugOutput.h) when one is attached, marked "> " and
// "< "; with none attached this costs one test per line.
//
// Thread rules: one thread (the user-interface thread, or the command-line
// tool's only thread) uses an instance; the reply parser (ModbusReply.h)
// runs inside its read loop. Each instance keeps its own reply fields.
#pragma once

#include "link/CComPort.h"
#include "link/ModbusReply.h"

#include <cstdint>
#include <cstdio>
#include <string>

class CUnitState;
class RegisterCatalogue;

class CModbus : public CComPort
{
public:
    enum class ReplyGrammar { None, Read, Flag, Write };

    static constexpr int kReplySize = 2048;
    // The adapter answers well within this; a silent adapter costs it per attempt.
    static constexpr int kReplyTimeoutMs = 2000;
    static constexpr int kReadAttempts = 2;
    static constexpr int kMultiWriteCount = 12;   // one 12-register text
    static constexpr int kMaxTimeText = 8;        // "hh:mm:ss"
    static constexpr int kMaxDateTimeText = 19;   // date and time
    static constexpr int kMaxCsvWriteWords = 12;
    static constexpr int kMaxCsvReadWords = 64;
    // How the debug window marks the traffic: "> Mr2001", "< 0 = mbReadHoldingReg(2001): 1042".
    static constexpr char kSentMark = '>';
    static constexpr char kReceivedMark = '<';

    CModbus() = default;
    ~CModbus() override;

    // The shared unit state (demo flag, device type) and the catalogue the
    // range-limited wrappers check against. Null: no demo mode, no unit
    // known, no catalogue.
    void setUnitState(CUnitState* state) { m_state = state; }
    CUnitState* unitState() const { return m_state; }
    void setCatalogue(RegisterCatalogue* catalogue) { m_catalogue = catalogue; }
    RegisterCatalogue* catalogue() const { return m_catalogue; }

    // The trace stream: one line per connect, send, receive and disconnect,
    // flushed line by line. Not open unless asked for. Ok, or
    // TraceNotCreated.
    int openTrace(const std::string& path);
    void closeTrace();

    // Ok, the CComPort::open codes, DemoMode (the port untouched).
    int connect(const std::string& portName, int baudRate = 115200, int stopBits = kStopBitsOne,
                int parity = kParityNone);
    void disconnect();

    // One exchange: CR LF and purge; the command (when given); then, when a
    // reply buffer (of replySize + 1 bytes) is given, the reply read with the
    // grammar's parser. Returns the write result when nothing is to be read
    // or the write failed, else the accepted line's length (> 0), 0 when
    // bytes came but no line was accepted, NoReply when nothing came in
    // 2000 ms, NoLink when the port is closed. logName names the operation in the trace.
    int transmit(const char* command, int length, char* reply, int replySize, const char* logName,
                 ReplyGrammar grammar);

    // Modbus. Reads of holding registers and BACnet objects try twice.
    int readHolding(uint16_t address, uint16_t* value);
    int writeHolding(uint16_t address, uint16_t value);
    int writeMultiHoldings(uint16_t firstAddress, const uint16_t* values); // 12 values; NoValues when null
    int readHoldingSpecial(uint16_t address, uint16_t* value);
    int writeHoldingSpecial(uint16_t address, uint16_t value);
    int readCoil(uint16_t address, bool* value);
    int writeCoil(uint16_t address, bool value);
    int readInput(uint16_t address, int16_t* value);

    // BACnet objects.
    int readAvValue(uint16_t object, double* value);
    int writeAvValue(uint16_t object, double value); // sent with two decimals
    int readIvValue(uint16_t object, int16_t* value);
    int writeIvValue(uint16_t object, int16_t value);
    int readAiValue(uint16_t object, double* value);
    int readBvValue(uint16_t object, bool* value);
    int writeBvValue(uint16_t object, int value); // sent as unsigned 16-bit
    int readBiValue(uint16_t object, bool* value);
    // Time: at most 8 leading digits and ':'. Date-time: at most 19 leading
    // digits, ':', '.' and spaces. Both are cut at the first other character.
    int readTvValue(uint16_t object, std::string* text);
    int writeTvValue(uint16_t object, const std::string& text);
    int readDtvValue(uint16_t object, std::string* text);
    int writeDtvValue(uint16_t object, const std::string& text);
    // Character strings travel as 16-bit codes, four upper-case hex digits
    // each. count: capacity of words on entry (at most 64 are built), the
    // number of words read on return (the terminating word included).
    int readCsvValue(uint16_t object, uint16_t* words, uint16_t* count);
    // At most 12 words; MissingArgument when words is null.
    int writeCsvValue(uint16_t object, const uint16_t* words, int count);

    // "u <pin>": reads no reply; whether the PIN was right shows in the
    // next register read.
    void sendUnlock(int pin);

    // Range-limited writes against the attached catalogue.
    int holdingInRange(uint32_t address, int32_t value);
    int writeHoldingChecked(uint32_t address, int32_t value);
    int writeHoldingSpecialChecked(uint32_t address, int32_t value);
    int writeMultiHoldingsChecked(uint32_t firstAddress, const uint16_t* values);

    // The last accepted reply line (replyStatus -1 after a rejected line).
    int replyStatus() const { return m_replyStatus; }
    uint16_t replyAddress() const { return m_replyAddress; }
    uint16_t replyValue() const { return m_replyValue; }
    const char* replyText() const { return m_reply; }

private:
    // Parses one reply line with the grammar (ModbusReply.h) and takes its
    // status, number and value; a rejected line sets replyStatus -1.
    bool takeReply(const char* line, ModbusReplyGrammar grammar);
    int exchange(const std::string& command, const char* logName, ReplyGrammar grammar);
    // Whether the exchange brought an accepted reply for that number.
    bool accepted(int transmitted, uint16_t number) const;
    // The result of a write or single-attempt read: the reply's status, else
    // the exchange's failure (a reply that never came is no success).
    int singleResult(int transmitted, uint16_t number) const;
    template <class Take, class Shown>
    int readTwice(const std::string& command, const char* logName, ReplyGrammar grammar, uint16_t number,
                  bool lineBreakFirst, Take take, Shown shown);
    template <class T>
    int readNumber(const std::string& command, const char* logName, ReplyGrammar grammar, uint16_t number,
                   bool lineBreakFirst, T* value);
    void trace(const char* format, const char* name, int result);
    // Shows a line of the traffic in the debug window, marked as sent or
    // received, without its line break; a failed write adds its code.
    void traffic(char mark, const char* text, std::size_t length, int result);
    int readDouble(uint16_t object, double* value, const char* letters, const char* function, const char* logName);
    int readFlagValue(uint16_t object, bool* value, const char* letters, const char* logName);

    CUnitState* m_state = nullptr;
    RegisterCatalogue* m_catalogue = nullptr;
    std::FILE* m_trace = nullptr;

    int32_t m_replyStatus = 0;
    uint16_t m_replyAddress = 0;
    uint16_t m_replyValue = 0;
    char m_reply[kReplySize + 1] = {};
};

extern CModbus theModbus;
