#include "update/CDnlFile.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "update/DnlCrc.h"
#include "update/SwdlLog.h"

#include <cstdio>
#include <filesystem>
#include <new>

namespace {

// Closes the file on every way out of Load.
struct FileCloser
{
    std::FILE* f;
    ~FileCloser()
    {
        if (f)
            std::fclose(f);
    }
};

} // namespace

int CDnlFile::Load(const std::string& path)
{
    m_buffer.reset();
    SWDL_LOG("DNLF: Load Download File %s", path.c_str());

    std::FILE* f = LocalSystem::OpenForReading(LocalSystem::Utf8Path(path));
    FileCloser closer{f};
    if (!f) {
        SWDL_LOG("DNLF: unable to open file %s", path.c_str());
        return Result::FileNotOpened;
    }
    long long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        SWDL_LOG("DNLF: unable to open file %s", path.c_str());
        return Result::FileNotOpened;
    }
    if (size == 0) {
        SWDL_LOG("DNLF: empty file %s", path.c_str());
        return Result::FileEmpty;
    }
    if (size > kMaxFileSize) {
        SWDL_LOG("DNLF: file %s too large %lld>%d", path.c_str(), size, int(kMaxFileSize));
        return Result::FileTooLarge;
    }
    auto buffer = std::unique_ptr<CByteReader>(new (std::nothrow) CByteReader);
    if (!buffer || buffer->Create(static_cast<uint32_t>(size)) != 0) {
        SWDL_LOG("DNLF: failed to allocate file buffer");
        return Result::NoMemory;
    }
    m_buffer = std::move(buffer);
    if (std::fread(m_buffer->Data(), 1, m_buffer->Size(), f) != m_buffer->Size()) {
        SWDL_LOG("DNLF: failed to read file");
        return Result::FileShortRead;
    }
    SWDL_LOG("DNLF: file read successfully");
    return Result::Ok;
}

int CDnlFile::Parse()
{
    m_crcFound = 0;
    m_crcExpected = 0;
    if (!m_buffer) {
        SWDL_LOG("DNLF: missing deserializer");
        return Result::FileNotLoaded;
    }
    CByteReader& in = *m_buffer;
    if (in.Size() == 0) {
        SWDL_LOG("DNLF: no data");
        return Result::FileEmpty;
    }
    SWDL_LOG("DNLF: parsing ..");

    // The overall CRC comes first: nothing in a damaged file is trusted.
    if (DNLF_Crc(0, in.Data(), in.Size()) != 0) {
        // The residue check runs over the stored CRC too; for the message,
        // the CRC the file carries and the one its bytes give.
        if (in.Size() >= 4) {
            m_crcFound = DNLF_GetLe32(in.Data() + in.Size() - 4);
            m_crcExpected = DNLF_Crc(0, in.Data(), in.Size() - 4);
        }
        SWDL_LOG("DNLF: overall CRC error");
        SWDL_LOG("DNLF: CRC found x%x, expected x%x", m_crcFound, m_crcExpected);
        return Result::FileCrcWrong;
    }
    SWDL_LOG("DNLF: overall CRC OK");

    char magic[5] = {' ', ' ', ' ', ' ', 0};
    in.ReadBytes(magic, 4);
    const auto* m = reinterpret_cast<const unsigned char*>(magic);
    SWDL_LOG("DNLF: found magic %x %x %x %x   %c %c %c %c", m[0], m[1], m[2], m[3], magic[0], magic[1], magic[2],
        magic[3]);
    if (std::string(magic, 4) != "Orv1") {
        SWDL_LOG("DNLF: unexpected file format '%s'", magic);
        return Result::NotADownloadFile;
    }
    SWDL_LOG("DNLF: found magic '%s'", magic);

    uint32_t header = 0;
    in.ReadU32(header);
    SWDL_LOG("DNLF: header length %d", int(header));
    in.ReadText(m_version);
    SWDL_LOG("DNLF: sw version '%s'", m_version.c_str());
    in.Align4();

    uint32_t count = 0;
    in.ReadU32(count);
    SWDL_LOG("DNLF: num devices %d", int(count));
    // Every entry needs at least its 4-byte length inside the stated header
    // (and inside the file): a count beyond that is refused before the list
    // is sized for it.
    const uint32_t headerEnd = header < in.Size() ? header : in.Size();
    const uint32_t room = headerEnd > in.Position() ? headerEnd - in.Position() : 0;
    if (count > room / 4) {
        SWDL_LOG("DNLF: header length mismatch %d / %d", int(header), int(in.Position()));
        return Result::FileHeaderWrong;
    }
    m_devices.assign(count, std::string());
    for (uint32_t i = 0; i < count; ++i) {
        in.ReadText(m_devices[i]);
        in.Align4();
        SWDL_LOG("DNLF: device[%d] '%s'", int(i), m_devices[i].c_str());
    }
    if (header != in.Position()) {
        SWDL_LOG("DNLF: header length mismatch %d / %d", int(header), int(in.Position()));
        return Result::FileHeaderWrong;
    }

    // header == position <= size, so this cannot wrap below -4.
    const long long payload = static_cast<long long>(in.Size()) - header - 4;
    m_headerLength = header;
    m_payloadLength = payload > 0 ? static_cast<uint32_t>(payload) : 0;
    SWDL_LOG("DNLF: %d - %d", int(header), int(payload));

    if (payload < kMinPayload) {
        SWDL_LOG("DNLF: payload CRC error");
        return Result::ImageCrcWrong;
    }
    const uint8_t* p = in.Data() + header;
    const uint32_t imageCrc = DNLF_Crc(0, p + 4, m_payloadLength - 8);
    const uint8_t* stored = p + m_payloadLength - 4;
    if (DNLF_Crc(imageCrc, stored, 4) != 0) {
        m_crcFound = DNLF_GetLe32(stored);
        m_crcExpected = imageCrc;
        SWDL_LOG("DNLF: payload CRC error");
        SWDL_LOG("DNLF: CRC found x%x, expected x%x", m_crcFound, m_crcExpected);
        return Result::ImageCrcWrong;
    }
    SWDL_LOG("DNLF: payload CRC OK - x%x | x%x x%x x%x x%x", imageCrc, stored[0], stored[1], stored[2], stored[3]);
    m_valid = true;
    return Result::Ok;
}

void CDnlFile::ClearParsed()
{
    m_valid = false;
    m_version.clear();
    m_devices.clear();
    m_headerLength = 0;
    m_payloadLength = 0;
    m_crcFound = 0;
    m_crcExpected = 0;
}

int CDnlFile::LoadAndParse(const std::string& path)
{
    ClearParsed();
    if (m_buffer)
        m_buffer->Clear();
    const int rc = Load(path);
    return rc != Result::Ok ? rc : Parse();
}

int CDnlFile::ParseBytes(std::vector<uint8_t> bytes)
{
    ClearParsed();
    m_buffer = std::make_unique<CByteReader>();
    m_buffer->Assign(std::move(bytes));
    return Parse();
}

std::string CDnlFile::device(std::size_t index) const
{
    return index < m_devices.size() ? m_devices[index] : std::string("invalid");
}

const uint8_t* CDnlFile::payload() const
{
    return m_valid && m_buffer ? m_buffer->Data() + m_headerLength : nullptr;
}
