#include "link/CModbus.h"

#include "diag/DebugOutput.h"
#include "diag/Result.h"
#include "link/CUnitState.h"
#include "link/ModbusReply.h"
#include "model/RegisterCatalogue.h"
#include "model/TextNumber.h"

#include <algorithm>
#include <charconv>
#include <cstring>

CModbus theModbus;

namespace {

// A small sscanf for the reply patterns the client re-reads: a blank in
// the pattern matches any run of blanks, other characters match exactly;
// conversions skip leading blanks.
class ReplyScanner
{
public:
    explicit ReplyScanner(const char* text) : m_p(text) {}

    // %d (base 10) or %i (base 0: 0x.. hex, 0.. octal), %u like %d;
    // the value saturates to 32 bits.
    bool integer(int32_t* out, TextNumber::Base base)
    {
        const TextNumber::Result n = TextNumber::Parse(m_p, {.base = base});
        if (n.digits == 0)
            return false;
        m_p += n.end;
        *out = n.value;
        return true;
    }

    bool literal(const char* text)
    {
        for (; *text; ++text) {
            if (TextNumber::IsBlank(*text)) {
                skipBlanks();
                continue;
            }
            if (*m_p != *text)
                return false;
            ++m_p;
        }
        return true;
    }

    // %f into a 32-bit float.
    bool real(float* out)
    {
        skipBlanks();
        const char* p = m_p;
        if (*p == '+')
            ++p;
        const char* end = p + std::strlen(p);
        float v = 0;
        const auto r = std::from_chars(p, end, v, std::chars_format::general);
        if (r.ec != std::errc() || r.ptr == p)
            return false;
        // from_chars takes no sign of its own beyond '-'; "+-1" is no number.
        if (p != m_p && *p == '-')
            return false;
        m_p = r.ptr;
        *out = v;
        return true;
    }

private:
    void skipBlanks()
    {
        while (TextNumber::IsBlank(*m_p))
            ++m_p;
    }
    const char* m_p;
};

// "%d = <function>(%u): " with the status stored when it converts;
// returns whether the whole prefix matched (the scanner then stands at the
// value).
bool ScanPrefix(ReplyScanner& scan, int32_t* status, const char* function, TextNumber::Base base)
{
    if (!scan.integer(status, base))
        return false;
    if (!scan.literal(" = ") || !scan.literal(function) || !scan.literal("("))
        return false;
    int32_t number = 0;
    return scan.integer(&number, base) && scan.literal("): ");
}

std::string Num(long long v) { return std::to_string(v); }

// An exchange that ended in silence after bytes no grammar accepted has no
// reply either: it must not read as the success code 0.
int NoReplyIsFailure(int transmitted) { return transmitted == 0 ? Result::NoReply : transmitted; }

// "%0.2f" without the locale's decimal separator.
std::string Fixed2(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0.00");
}

// A character-string word: four hex digits, no blanks, no sign.
constexpr std::size_t kHexWordDigits = 4;
constexpr TextNumber::Options kHexWord{
    .base = TextNumber::Base::Hex, .skipBlanks = false, .allowSign = false, .maxChars = kHexWordDigits};

std::string Hex4(uint16_t w)
{
    static const char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(w >> 12) & 15], kDigits[(w >> 8) & 15], kDigits[(w >> 4) & 15], kDigits[w & 15]};
}

// Leading characters of text that belong to the set, at most max of them.
std::string LeadingOf(const std::string& text, const char* set, std::size_t max)
{
    std::string out;
    for (char c : text) {
        if (out.size() >= max || !(TextNumber::IsDigit(c) || (c != '\0' && std::strchr(set, c))))
            break;
        out += c;
    }
    return out;
}

} // namespace

CModbus::~CModbus()
{
    closeTrace();
    close();
}

int CModbus::openTrace(const std::string& path)
{
    closeTrace();
    m_trace = std::fopen(path.c_str(), "wb");
    return m_trace ? Result::Ok : Result::TraceNotCreated;
}

void CModbus::closeTrace()
{
    if (m_trace)
        std::fclose(m_trace);
    m_trace = nullptr;
}

void CModbus::trace(const char* format, const char* name, int result)
{
    if (!m_trace)
        return;
    std::fprintf(m_trace, format, name, result);
    std::fflush(m_trace);
}

void CModbus::traffic(char mark, const char* text, std::size_t length, int result)
{
    // Tested first: with no debug window nothing is measured or formatted.
    if (!DebugOutput::Attached() || !text)
        return;
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        --length;
    const int shown = static_cast<int>(std::min(length, DebugOutput::kMaxLine));
    if (result < 0)
        DebugPrint("%c %.*s (%d)", mark, shown, text, result);
    else
        DebugPrint("%c %.*s", mark, shown, text);
}

int CModbus::connect(const std::string& portName, int baudRate, int stopBits, int parity)
{
    if (m_state && m_state->inDemoMode())
        return Result::DemoMode;
    const int result = open(portName, baudRate, stopBits, parity);
    trace("%s() : res = %d\r\n", "CModbus::connect", result);
    return result;
}

void CModbus::disconnect()
{
    close();
    trace("%s() : res = %d\r\n", "CModbus::disconnect", 0);
}

// ---- reply grammars --------------------------------------------------------

bool CModbus::takeReply(const char* line, ModbusReplyGrammar grammar)
{
    const std::optional<ModbusReply> reply = ParseModbusReply(line, grammar);
    if (!reply) {
        m_replyStatus = -1;
        return false;
    }
    // Register and object numbers and values are 16 bits wide on the wire.
    m_replyStatus = reply->status;
    m_replyAddress = static_cast<uint16_t>(reply->number);
    m_replyValue = static_cast<uint16_t>(reply->value);
    return true;
}

// ---- exchange ---------------------------------------------------------------

int CModbus::transmit(const char* command, int length, char* reply, int replySize, const char* logName,
                      ReplyGrammar grammar)
{
    const char* name = logName ? logName : "CModbus::transmit";
    if (sendNewLine() == Result::PortGone)
        return Result::PortGone;
    int result = 0;
    if (command && length != 0) {
        result = putArray(command, length);
        // After the write, so that the window's work overlaps the adapter's.
        traffic(kSentMark, command, static_cast<std::size_t>(length), result);
        trace("%s(TX) : res = %d\r\n", name, result);
    }
    if (!reply || replySize == 0 || result < 0)
        return result;
    // Every line that arrives is shown as received, the ones the grammar
    // refuses too (the port adds its own line for those).
    const auto parserFor = [this](ModbusReplyGrammar g) -> LineCallback {
        return [this, g](const char* line) {
            traffic(kReceivedMark, line, std::strlen(line), 0);
            return takeReply(line, g);
        };
    };
    LineCallback parser;
    switch (grammar) {
    case ReplyGrammar::Read: parser = parserFor(ModbusReplyGrammar::Read); break;
    case ReplyGrammar::Flag: parser = parserFor(ModbusReplyGrammar::Flag); break;
    case ReplyGrammar::Write: parser = parserFor(ModbusReplyGrammar::Write); break;
    case ReplyGrammar::None: break;
    }
    result = getArray(reply, replySize, parser, kReplyTimeoutMs);
    if (!parser && result > 0)
        traffic(kReceivedMark, reply, static_cast<std::size_t>(result), 0);
    trace("%s(RX) : res = %d\r\n", name, result);
    return result;
}

int CModbus::exchange(const std::string& command, const char* logName, ReplyGrammar grammar)
{
    return transmit(command.data(), static_cast<int>(command.size()), m_reply, kReplySize, logName, grammar);
}

bool CModbus::accepted(int transmitted, uint16_t number) const
{
    return transmitted > 0 && m_replyStatus >= 0 && m_replyAddress == number;
}

int CModbus::singleResult(int transmitted, uint16_t number) const
{
    return accepted(transmitted, number) ? m_replyStatus : NoReplyIsFailure(transmitted);
}

// The rule of the reads that try twice: each attempt sends an extra line
// break first (unless lineBreakFirst is false), then the command, and waits
// for a reply of the grammar for that number; take then reads the value
// from the reply and gives the result. A failed attempt leaves a line in the
// debug window with the value the caller's output holds (shown).
template <class Take, class Shown>
int CModbus::readTwice(const std::string& command, const char* logName, ReplyGrammar grammar, uint16_t number,
                       bool lineBreakFirst, Take take, Shown shown)
{
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (lineBreakFirst && sendNewLine() == Result::PortGone)
            return Result::PortGone;
        const int transmitted = exchange(command, logName, grammar);
        if (accepted(transmitted, number))
            return take();
        // A port that is gone will not answer a second attempt either.
        if (transmitted == Result::PortGone)
            return Result::PortGone;
        DebugPrint("Error: %5i - Addr: %5i Val: %5i", Result::ReadFailed, number, static_cast<int>(shown()));
    }
    return Result::ReadFailed;
}

// A read that tries twice and whose value is the reply's number, as T.
template <class T>
int CModbus::readNumber(const std::string& command, const char* logName, ReplyGrammar grammar,
                        uint16_t number, bool lineBreakFirst, T* value)
{
    if (!value)
        return Result::MissingArgument;
    return readTwice(
        command, logName, grammar, number, lineBreakFirst,
        [&] {
            *value = static_cast<T>(m_replyValue);
            return m_replyStatus;
        },
        [&] { return *value; });
}

// ---- Modbus -----------------------------------------------------------------

int CModbus::readHolding(uint16_t address, uint16_t* value)
{
    return readNumber("Mr" + Num(address) + "\r\n", "CModbus::readHolding", ReplyGrammar::Read, address, true,
                      value);
}

int CModbus::readHoldingSpecial(uint16_t address, uint16_t* value)
{
    // The special read repeats without the extra line break of the others.
    return readNumber("Xr" + Num(address) + "\r\n", "CModbus::readHoldingSpecial", ReplyGrammar::Read,
                      address, false, value);
}

int CModbus::writeHolding(uint16_t address, uint16_t value)
{
    const std::string command = "Mw" + Num(address) + " " + Num(value) + "\r\n";
    return singleResult(exchange(command, "CModbus::writeHolding", ReplyGrammar::Write), address);
}

int CModbus::writeMultiHoldings(uint16_t firstAddress, const uint16_t* values)
{
    if (!values)
        return Result::NoValues;
    std::string command = "Mw" + Num(firstAddress);
    for (int i = 0; i < kMultiWriteCount; ++i)
        command += " " + Num(values[i]);
    command += "\r\n";
    return singleResult(exchange(command, "CModbus::writeMultiHoldings", ReplyGrammar::Write), firstAddress);
}

int CModbus::writeHoldingSpecial(uint16_t address, uint16_t value)
{
    const std::string command = "Xw" + Num(address) + " " + Num(value) + "\r\n";
    return singleResult(exchange(command, "CModbus::writeHoldingSpecial", ReplyGrammar::Write), address);
}

int CModbus::readCoil(uint16_t address, bool* value)
{
    if (!value)
        return Result::MissingArgument;
    const int r = exchange("Mc" + Num(address) + "\r\n", "CModbus::readCoil", ReplyGrammar::Flag);
    if (accepted(r, address))
        *value = m_replyValue != 0;
    return singleResult(r, address);
}

int CModbus::writeCoil(uint16_t address, bool value)
{
    const std::string command = "Mx" + Num(address) + (value ? " 1" : " 0") + "\r\n";
    return singleResult(exchange(command, "CModbus::writeCoil", ReplyGrammar::Write), address);
}

int CModbus::readInput(uint16_t address, int16_t* value)
{
    if (!value)
        return Result::MissingArgument;
    const int r = exchange("Mi" + Num(address) + "\r\n", "CModbus::readInput", ReplyGrammar::Read);
    if (accepted(r, address))
        *value = static_cast<int16_t>(m_replyValue);
    return singleResult(r, address);
}

// ---- BACnet -----------------------------------------------------------------

int CModbus::readDouble(uint16_t object, double* value, const char* letters, const char* function,
                        const char* logName)
{
    if (!value)
        return Result::MissingArgument;
    return readTwice(
        letters + Num(object) + "\r\n", logName, ReplyGrammar::Read, object, true,
        [&] {
            // The value is a decimal number, so it is read again from the
            // line; a reply naming another function leaves it 0.
            float f = 0;
            ReplyScanner scan(m_reply);
            if (ScanPrefix(scan, &m_replyStatus, function, TextNumber::Base::Decimal))
                scan.real(&f);
            *value = f;
            return m_replyStatus;
        },
        [&] { return *value; });
}

int CModbus::readAvValue(uint16_t object, double* value)
{
    return readDouble(object, value, "Dr", "bnReadAvReg", "CModbus::readAvValue");
}

int CModbus::readAiValue(uint16_t object, double* value)
{
    return readDouble(object, value, "Di", "bnReadAiReg", "CModbus::readAiValue");
}

int CModbus::writeAvValue(uint16_t object, double value)
{
    const std::string command = "Dw" + Num(object) + " " + Fixed2(value) + "\r\n";
    return singleResult(exchange(command, "CModbus::writeAvValue", ReplyGrammar::Write), object);
}

int CModbus::readIvValue(uint16_t object, int16_t* value)
{
    return readNumber("DR" + Num(object) + "\r\n", "CModbus::readIvValue", ReplyGrammar::Read, object, true,
                      value);
}

int CModbus::writeIvValue(uint16_t object, int16_t value)
{
    const std::string command = "DW" + Num(object) + " " + Num(value) + "\r\n";
    return singleResult(exchange(command, "CModbus::writeIvValue", ReplyGrammar::Write), object);
}

int CModbus::readFlagValue(uint16_t object, bool* value, const char* letters, const char* logName)
{
    // Set or not: the flag grammar leaves 1 or 0.
    return readNumber(letters + Num(object) + "\r\n", logName, ReplyGrammar::Flag, object, true, value);
}

int CModbus::readBvValue(uint16_t object, bool* value)
{
    return readFlagValue(object, value, "Dc", "CModbus::readBvValue");
}

int CModbus::readBiValue(uint16_t object, bool* value)
{
    return readFlagValue(object, value, "DC", "CModbus::readBiValue");
}

int CModbus::writeBvValue(uint16_t object, int value)
{
    const std::string command = "Dx" + Num(object) + " " + Num(static_cast<uint16_t>(value)) + "\r\n";
    return singleResult(exchange(command, "CModbus::writeBvValue", ReplyGrammar::Write), object);
}

int CModbus::readTvValue(uint16_t object, std::string* text)
{
    if (!text)
        return Result::MissingArgument;
    return readTwice(
        "Dt" + Num(object) + "\r\n", "CModbus::readTvValue", ReplyGrammar::Read, object, true,
        [&] {
            ReplyScanner scan(m_reply);
            ScanPrefix(scan, &m_replyStatus, "bnReadTvReg", TextNumber::Base::Decimal);
            const char* value = std::strstr(m_reply, "): ");
            if (!value)
                return Result::ReplyWithoutValue;
            *text = LeadingOf(value + 3, ":", kMaxTimeText);
            return m_replyStatus;
        },
        [] { return 0; });
}

int CModbus::writeTvValue(uint16_t object, const std::string& text)
{
    const std::string command = "DT" + Num(object) + " " + LeadingOf(text, ":", kMaxTimeText) + "\r\n";
    return singleResult(exchange(command, "CModbus::writeTvValue", ReplyGrammar::Write), object);
}

int CModbus::readDtvValue(uint16_t object, std::string* text)
{
    if (!text)
        return Result::MissingArgument;
    text->clear();
    return readTwice(
        "Dd" + Num(object) + "\r\n", "CModbus::readDtvValue", ReplyGrammar::Read, object, true,
        [&] {
            if (const char* value = std::strstr(m_reply, "): "))
                *text = LeadingOf(value + 3, ":. ", kMaxDateTimeText);
            return m_replyStatus;
        },
        [] { return 0; });
}

int CModbus::writeDtvValue(uint16_t object, const std::string& text)
{
    const std::string command = "DD" + Num(object) + " " + LeadingOf(text, ":. ", kMaxDateTimeText) + "\r\n";
    return singleResult(exchange(command, "CModbus::writeDtvValue", ReplyGrammar::Write), object);
}

int CModbus::readCsvValue(uint16_t object, uint16_t* words, uint16_t* count)
{
    if (!words || !count)
        return Result::MissingArgument;
    const int capacity = std::min<int>(*count, kMaxCsvReadWords);
    // Never more words than the caller has room for, even here.
    for (int i = 0; i < std::min(2, static_cast<int>(*count)); ++i)
        words[i] = 0;
    return readTwice(
        "Ds" + Num(object) + "\r\n", "CModbus::readCsvValue", ReplyGrammar::Read, object, true,
        [&] {
            ReplyScanner scan(m_reply);
            ScanPrefix(scan, &m_replyStatus, "bnReadCsvReg", TextNumber::Base::Auto);
            const char* value = std::strstr(m_reply, "): ");
            if (!value || value[3] == '\0')
                return m_replyStatus;
            const char* p = value + 3;
            int built = 0;
            while (built < capacity) {
                const TextNumber::Result word = TextNumber::Parse(p, kHexWord);
                words[built++] = static_cast<uint16_t>(word.value);
                // A character that is no hex digit ends the word and the value.
                if (word.digits < kHexWordDigits)
                    break;
                p += word.end;
            }
            *count = static_cast<uint16_t>(built);
            return m_replyStatus;
        },
        [&] { return *count > 0 ? words[0] : 0; });
}

int CModbus::writeCsvValue(uint16_t object, const uint16_t* words, int count)
{
    if (!words && count > 0)
        return Result::MissingArgument;
    std::string command = "DS" + Num(object) + " ";
    for (int i = 0; i < std::min(count, kMaxCsvWriteWords); ++i)
        command += Hex4(words[i]);
    command += "0000\r\n";
    return singleResult(exchange(command, "CModbus::writeCsvValue", ReplyGrammar::Write), object);
}

void CModbus::sendUnlock(int pin)
{
    const std::string command = "u " + Num(pin) + "\r\n";
    transmit(command.data(), static_cast<int>(command.size()), nullptr, 0, "CModbus::sendUnlock", ReplyGrammar::None);
}

// ---- range-limited writes ----------------------------------------------------

int CModbus::holdingInRange(uint32_t address, int32_t value)
{
    if (address == 0 || address >= static_cast<uint32_t>(RegisterCatalogue::kHoldingCount))
        return Result::NoSuchRegister;
    if (!m_catalogue)
        return Result::NoLink; // no unit identified: no limits known
    if (m_catalogue->InRange(address, value))
        return Result::Ok;
    m_catalogue->Clamp(address, value, nullptr);
    return Result::OutOfLimits;
}

int CModbus::writeHoldingChecked(uint32_t address, int32_t value)
{
    if (address == 0)
        return Result::NoSuchRegister;
    if (const int r = holdingInRange(address, value); r < 0)
        return r;
    return writeHolding(static_cast<uint16_t>(address), static_cast<uint16_t>(value));
}

int CModbus::writeHoldingSpecialChecked(uint32_t address, int32_t value)
{
    if (address == 0)
        return Result::NoSuchRegister;
    if (const int r = holdingInRange(address, value); r < 0)
        return r;
    const int r = writeHoldingSpecial(static_cast<uint16_t>(address), static_cast<uint16_t>(value));
    if (r == 0)
        m_catalogue->Holding(static_cast<uint16_t>(address)).value = static_cast<uint16_t>(value);
    return r;
}

int CModbus::writeMultiHoldingsChecked(uint32_t firstAddress, const uint16_t* values)
{
    if (firstAddress == 0 || firstAddress >= static_cast<uint32_t>(RegisterCatalogue::kHoldingCount))
        return Result::NoSuchRegister;
    if (!values)
        return Result::NoValues;
    if (!m_catalogue)
        return Result::NoLink;
    const bool unitKnown = m_state && m_state->deviceKnown();
    for (uint32_t i = 0; i < static_cast<uint32_t>(kMultiWriteCount); ++i) {
        if (unitKnown) {
            if (const int r = holdingInRange(firstAddress + i, values[i]); r < 0)
                return r;
        } else if (RegisterEntry* e = m_catalogue->Entry(RegisterTableKind::Holding, firstAddress + i)) {
            e->value = values[i];
        }
    }
    return writeMultiHoldings(static_cast<uint16_t>(firstAddress), values);
}
