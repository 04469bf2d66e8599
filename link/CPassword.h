// The PIN lockout file: remembers wrong PIN entries across runs so that a
// unit's PIN cannot be guessed by restarting the tool. Both the
// configuration tool and tavemo-cli use the same file, "~e2z9kd8.tmp" in the
// user's state folder (LockoutFile::StateDirectory: only the user can write
// it), 12 bytes as three little-endian 32-bit words:
//   K                  the complement of a random number 0..32767
//   block end XOR K    seconds since 1970 (signed 32-bit) until which
//                      connecting is refused
//   count XOR K        consecutive wrong PINs, 0..9999
// A missing file counts as "no block, count 0"; words missing from a short
// file read as 0. A block longer than the rules ever give (an hour) was not
// written by the tool: it is cut to an hour from now. Anything at the path
// that is not a regular file of the user's (a link, a FIFO, another user's
// file) is neither read nor replaced: connecting stays refused until it is
// removed, so that no one can reset the count by planting a file.
//
// The file is replaced by writing a temporary file in the same directory and
// renaming it over the old one, so a crash never leaves the tool without its
// record of wrong tries.
//
// Result codes: none at the boundary; isUnlocked answers yes or no (no also
// when the file can be neither read nor created), store reports nothing.
//
// Thread rules: an object is used by one thread at a time; recordWrongPinNow
// may be called on several objects of one file from several threads. The clock hook is
// process-wide; set it only while no other thread uses a CPassword (tests).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

class CPassword
{
public:
    static constexpr const char* kFileName = "~e2z9kd8.tmp";
    static constexpr int kMaxCount = 9999;
    // The longest block the rules give (BlockSecondsFor).
    static constexpr int kLongestBlockSeconds = 3600;

    // Seconds since 1970-01-01 UTC.
    using Clock = std::function<int64_t()>;

    // The file in the user's state folder (DefaultDirectory).
    CPassword();
    // The file in another directory (tests).
    explicit CPassword(const std::filesystem::path& directory);
    virtual ~CPassword();

    // Loads the wrong-PIN count into *wrongPinCount (when not null) and
    // answers whether connecting is allowed now. A missing file is created
    // with count 0 and no block first; false when that fails too.
    bool isUnlocked(int* wrongPinCount);

    // Writes a new file: connecting is refused for blockSeconds from now and
    // the count is wrongPinCount (below 0 or above 9999 becomes 9999).
    // Failures are not reported: the next isUnlocked sees the old state.
    void store(int blockSeconds, int wrongPinCount);

    // A wrong PIN after wrongPinCount earlier ones: stores the new count
    // and its block (BlockSecondsFor); returns the new count. A count that
    // is out of range (a damaged file) counts as the highest.
    int recordWrongPin(int wrongPinCount);
    // A wrong PIN counted on top of the count the file holds at this
    // moment, read and replaced under a hold that other threads and runs
    // share: ports tried at once each count theirs. Returns the new count.
    int recordWrongPinNow();
    // A right PIN: count 0, no block.
    void recordRightPin() { store(0, 0); }

    // Seconds until connecting is allowed again (0 when it is allowed now),
    // from the file as isUnlocked reads it; -1 when the file cannot be read
    // or created.
    int64_t remainingSeconds();

    const std::filesystem::path& path() const { return m_path; }
    // The user's state folder; empty when there is none that only the user
    // can write (then connecting stays refused).
    static std::filesystem::path DefaultDirectory();

    // How long a wrong PIN blocks connecting, by the count including it:
    // none for the first two, 10 s for the third, 600 s for the fourth and
    // an hour for every further one.
    static int BlockSecondsFor(int wrongPinCount);
    // After wrongPinCount wrong PINs: which further wrong PIN starts a block
    // (1 = the next one). Counts the lockout never saw (below 0) count as 0.
    static int TriesBeforeBlock(int wrongPinCount);

    // What the installer is told about the lockout, in plain words:
    // "Locked for 9:58 more." while a block runs (remainingSeconds > 0),
    // else "2 tries left, then connecting is locked for 10 s." once a
    // wrong PIN was counted, else "" (nothing to tell); a file that cannot
    // be used (remainingSeconds -1) says so.
    static std::string NoteText(int wrongPinCount, int64_t remainingSeconds);
    // A running block's rest as a clock: "0:09", "9:58", "1:00:00".
    static std::string ClockText(int64_t seconds);

    // The current time as the lockout sees it (32-bit seconds since 1970).
    static int32_t Now();
    // Replaces the clock (null restores the system clock); for tests.
    static void SetClock(Clock clock);

private:
    struct Words
    {
        uint32_t key = 0;
        uint32_t end = 0;
        uint32_t count = 0;
    };
    // Reads the file, creating it when missing, and cuts an overlong block;
    // false when the file cannot be used.
    bool load(Words& words);

    std::filesystem::path m_path;
};
