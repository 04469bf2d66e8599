// An in-process stand-in for the room unit's download side, written from the
// frame layout without the codec's dispatcher (which serves only one owner
// per process). It receives what the state machine transmits and queues its
// answers; the test hands them back one at a time through processRx, so the
// whole exchange runs on the test's thread, step by step.
#pragma once

#include "update/DnlCrc.h"
#include "update/Dnlp.h"
#include "update/ISwDlTx.h"
#include "update/Slip.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace dnltest {

using Bytes = std::vector<uint8_t>;

class FakeUnit : public ISwDlTx
{
public:
    // What the unit says and how it misbehaves.
    uint32_t deviceType = DNLP_DEVICE_TYPE;
    std::string version = "2.0.0";
    std::string name = "RU-Touch";
    std::map<int, std::vector<int>> blockCodes; // block index -> answers to its sendings in turn
    int finalizeCode = 0;
    int silentBlock = -1; // a block that is never answered
    bool portOpen = true;

    // What it saw.
    std::vector<Bytes> messages; // decoded messages without their CRC, in order
    std::vector<Bytes> raw;      // every transmit call as it came
    Bytes received;              // the data blocks appended
    std::deque<Bytes> answers;   // frames waiting to be handed to processRx

    bool transmit(const uint8_t* bytes, int32_t length) override
    {
        if (!portOpen)
            return false;
        raw.emplace_back(bytes, bytes + length);
        for (int32_t i = 0; i < length; ++i) {
            m_line.push_back(bytes[i]);
            if (bytes[i] == SLIP_END) {
                onLine(m_line);
                m_line.clear();
            }
        }
        return true;
    }

    // Counts the data blocks received (each sending counts).
    std::size_t sendings(uint8_t type) const
    {
        std::size_t n = 0;
        for (const auto& m : messages)
            n += !m.empty() && m[0] == type;
        return n;
    }

private:
    void onLine(Bytes line)
    {
        const int n = SLIP_Decode(line.data(), static_cast<uint32_t>(line.size()));
        if (n < 5 || DNLF_Crc(0, line.data(), static_cast<std::size_t>(n)) != 0)
            return; // CR LF and damage: a real unit would answer 3; nothing here sends damage
        Bytes m(line.begin(), line.begin() + n - 4);
        messages.push_back(m);
        switch (m[0]) {
        case DNLP_DEVICE_INFO_REQUEST: {
            Bytes info = {DNLP_DEVICE_INFO, 0, 0, 0, 0};
            DNLF_PutLe32(&info[1], deviceType);
            Text(info, version);
            Text(info, name);
            answer(info);
            break;
        }
        case DNLP_START_TRANSFER: answer({DNLP_RESPONSE, 0}); break;
        case DNLP_DATA_BLOCK: {
            const int index = m_blocks;
            if (index == silentBlock)
                break;
            int code = 0;
            auto it = blockCodes.find(index);
            if (it != blockCodes.end() && m_tries[index] < it->second.size())
                code = it->second[m_tries[index]++];
            if (code == 0) {
                received.insert(received.end(), m.begin() + 1, m.end());
                ++m_blocks;
            }
            answer({DNLP_RESPONSE, static_cast<uint8_t>(code)});
            break;
        }
        case DNLP_FINALIZE: answer({DNLP_RESPONSE, static_cast<uint8_t>(finalizeCode)}); break;
        case DNLP_REBOOT: answer({DNLP_RESPONSE, 0}); break;
        default: break;
        }
    }

    static void Text(Bytes& out, const std::string& text)
    {
        std::string field = text.substr(0, DNLP_TEXT_SIZE);
        field.resize(DNLP_TEXT_SIZE, '\0');
        out.insert(out.end(), field.begin(), field.end());
    }

    void answer(Bytes m)
    {
        uint8_t crc[4];
        DNLF_PutLe32(crc, DNLF_Crc(0, m.data(), m.size()));
        m.insert(m.end(), crc, crc + 4);
        const std::size_t n = m.size();
        m.resize(2 + 2 * n);
        m.resize(SLIP_Encode(m.data(), static_cast<uint32_t>(n)));
        answers.push_back(m);
    }

    Bytes m_line;
    int m_blocks = 0;
    std::map<int, std::size_t> m_tries;
};

} // namespace dnltest
