#include "link/CPassword.h"

#include "link/LockoutFile.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

std::mutex g_clockMutex;
CPassword::Clock g_clock;

int RandomUpTo32767()
{
    static std::mt19937 engine{std::random_device{}()};
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    return std::uniform_int_distribution<int>(0, 32767)(engine);
}

void PutWord(unsigned char* at, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(word >> (8 * i));
}

uint32_t GetWord(const unsigned char* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

} // namespace

CPassword::CPassword() : CPassword(DefaultDirectory()) {}

// Without a folder the path stays empty: nothing is read or written.
CPassword::CPassword(const fs::path& directory) : m_path(directory.empty() ? fs::path() : directory / kFileName) {}

fs::path CPassword::DefaultDirectory() { return LockoutFile::StateDirectory(); }

CPassword::~CPassword() = default;

int32_t CPassword::Now()
{
    int64_t seconds;
    {
        std::lock_guard lock(g_clockMutex);
        if (g_clock) {
            seconds = g_clock();
        } else {
            seconds = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
        }
    }
    // The file holds signed 32-bit seconds; compare in the same width.
    return static_cast<int32_t>(static_cast<uint32_t>(seconds));
}

void CPassword::SetClock(Clock clock)
{
    std::lock_guard lock(g_clockMutex);
    g_clock = std::move(clock);
}

int CPassword::BlockSecondsFor(int wrongPinCount)
{
    if (wrongPinCount >= 0 && wrongPinCount <= 2)
        return 0;
    if (wrongPinCount == 3)
        return 10;
    if (wrongPinCount == 4)
        return 600;
    return kLongestBlockSeconds;
}

int CPassword::TriesBeforeBlock(int wrongPinCount)
{
    const int count = std::clamp(wrongPinCount, 0, kMaxCount);
    int tries = 1;
    // Every count from 5 on blocks, so this ends within a few steps.
    while (count + tries < kMaxCount && BlockSecondsFor(count + tries) == 0)
        ++tries;
    return tries;
}

namespace {

// A block length as people say it: "10 s", "10 min", "1 h".
std::string LengthText(int seconds)
{
    if (seconds >= 3600 && seconds % 3600 == 0)
        return std::to_string(seconds / 3600) + " h";
    if (seconds >= 60 && seconds % 60 == 0)
        return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds) + " s";
}

std::string TwoDigits(int64_t value)
{
    std::string text = std::to_string(value);
    if (value < 10)
        text.insert(text.begin(), '0');
    return text;
}

} // namespace

std::string CPassword::ClockText(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    const int64_t hours = seconds / 3600;
    const int64_t minutes = seconds / 60 % 60;
    const std::string rest = TwoDigits(seconds % 60);
    if (hours > 0)
        return std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + rest;
    return std::to_string(minutes) + ":" + rest;
}

std::string CPassword::NoteText(int wrongPinCount, int64_t remainingSeconds)
{
    if (remainingSeconds < 0)
        return "The PIN lockout file cannot be used (it is no file of yours, or the folder cannot be written): "
               "connecting stays locked until it is removed.";
    if (remainingSeconds > 0)
        return "Locked for " + ClockText(remainingSeconds) + " more.";
    if (wrongPinCount <= 0)
        return {};
    const int tries = TriesBeforeBlock(wrongPinCount);
    const std::string length = LengthText(BlockSecondsFor(std::min(wrongPinCount, kMaxCount) + tries));
    if (tries == 1)
        return "1 try left: the next wrong PIN locks connecting for " + length + ".";
    return std::to_string(tries) + " tries left, then connecting is locked for " + length + ".";
}

int CPassword::recordWrongPin(int wrongPinCount)
{
    const int count = (wrongPinCount >= 0 && wrongPinCount < kMaxCount) ? wrongPinCount + 1 : kMaxCount;
    store(BlockSecondsFor(count), count);
    return count;
}

int CPassword::recordWrongPinNow()
{
    static std::mutex countMutex;
    const std::lock_guard lock(countMutex);
    const LockoutFile::FolderHold hold(m_path.parent_path());
    Words words;
    // A file that cannot be read counts as the highest count.
    const int count = load(words) ? static_cast<int32_t>(words.key ^ words.count) : kMaxCount;
    return recordWrongPin(count);
}

bool CPassword::load(Words& words)
{
    if (m_path.empty())
        return false;
    unsigned char bytes[12] = {};
    LockoutFile::ReadResult read = LockoutFile::Read(m_path, bytes, sizeof bytes);
    if (read == LockoutFile::ReadResult::Missing) {
        store(0, 0);
        read = LockoutFile::Read(m_path, bytes, sizeof bytes);
    }
    if (read != LockoutFile::ReadResult::Ok)
        return false;
    words.key = GetWord(bytes);
    words.end = GetWord(bytes + 4);
    words.count = GetWord(bytes + 8);
    const int32_t now = Now();
    const auto blockEnd = static_cast<int32_t>(words.key ^ words.end);
    if (int64_t(blockEnd) - now > kLongestBlockSeconds) {
        // Stored, so that the cut block ends an hour from now rather than
        // being cut again on every read.
        const auto count = static_cast<int32_t>(words.key ^ words.count);
        store(kLongestBlockSeconds, count);
        words.key = 0;
        words.end = static_cast<uint32_t>(static_cast<int32_t>(int64_t(now) + kLongestBlockSeconds));
        words.count = static_cast<uint32_t>(std::clamp(count, 0, kMaxCount));
    }
    return true;
}

bool CPassword::isUnlocked(int* wrongPinCount)
{
    Words words;
    if (!load(words))
        return false;
    if (wrongPinCount)
        *wrongPinCount = static_cast<int32_t>(words.key ^ words.count);
    // The block ends at its end second: a block of 0 s (a new file, the
    // first wrong tries) lets the next attempt through at once, and 10 s
    // are ten seconds.
    const auto blockEnd = static_cast<int32_t>(words.key ^ words.end);
    return Now() >= blockEnd;
}

int64_t CPassword::remainingSeconds()
{
    Words words;
    if (!load(words))
        return -1;
    const auto blockEnd = static_cast<int32_t>(words.key ^ words.end);
    const int32_t now = Now();
    return now >= blockEnd ? 0 : int64_t(blockEnd) - now;
}

void CPassword::store(int blockSeconds, int wrongPinCount)
{
    const uint32_t key = ~static_cast<uint32_t>(RandomUpTo32767());
    const auto end = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int64_t>(Now()) + blockSeconds));
    if (wrongPinCount < 0 || wrongPinCount > kMaxCount)
        wrongPinCount = kMaxCount;

    unsigned char bytes[12];
    PutWord(bytes, key);
    PutWord(bytes + 4, end ^ key);
    PutWord(bytes + 8, static_cast<uint32_t>(wrongPinCount) ^ key);

    if (m_path.empty())
        return;
    // What the tool did not write there itself stays, so that connecting
    // stays refused instead of starting over with a fresh count.
    unsigned char probe[12];
    if (LockoutFile::Read(m_path, probe, sizeof probe) == LockoutFile::ReadResult::Unusable)
        return;
    // The old record stays whole until the new one is complete on disk.
    LockoutFile::Replace(m_path, bytes, sizeof bytes);
}
