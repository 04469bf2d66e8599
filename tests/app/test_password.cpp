// The PIN lockout file: its bytes, the block timeline, short and missing
// files, and that replacing it never leaves it missing.
#include "link/CPassword.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int64_t kT0 = 1700000000;

class PasswordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPassword::SetClock([this] { return now.load(); });
    }
    void TearDown() override { CPassword::SetClock(nullptr); }
    std::vector<unsigned char> bytes() const
    {
        std::ifstream in(dir / CPassword::kFileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static uint32_t word(const std::vector<unsigned char>& b, std::size_t at)
    {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
               uint32_t(b[at + 3]) << 24;
    }
    void writeBytes(const std::vector<unsigned char>& b)
    {
        std::ofstream out(dir / CPassword::kFileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }

    testsupport::TempDir temp;
    const fs::path dir = temp.path();
    std::atomic<int64_t> now{kT0};
};

TEST_F(PasswordTest, MissingFileIsCreatedUnlockedWithCountZero)
{
    CPassword password(dir);
    int count = -1;
    EXPECT_TRUE(password.isUnlocked(&count));
    EXPECT_EQ(count, 0);
    const auto b = bytes();
    ASSERT_EQ(b.size(), 12u);
    const uint32_t key = word(b, 0);
    EXPECT_EQ(word(b, 4) ^ key, uint32_t(kT0));
    EXPECT_EQ(word(b, 8) ^ key, 0u);
}

// Wrong PINs on several ports at once (one thread each, each its own object
// of the one file) all count: none overwrites another's.
TEST_F(PasswordTest, WrongPinsCountedAtOnceFromSeveralThreadsAllCount)
{
    constexpr int kThreads = 6, kEach = 5;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this] {
            CPassword password(dir);
            for (int i = 0; i < kEach; ++i)
                password.recordWrongPinNow();
        });
    for (std::thread& t : threads)
        t.join();
    int count = 0;
    EXPECT_FALSE(CPassword(dir).isUnlocked(&count));
    EXPECT_EQ(count, kThreads * kEach);
}

TEST_F(PasswordTest, FileHoldsKeyEndAndCountLittleEndian)
{
    CPassword password(dir);
    password.store(600, 4);
    const auto b = bytes();
    ASSERT_EQ(b.size(), 12u);
    const uint32_t key = word(b, 0);
    // The complement of a number 0..32767 has its upper 17 bits set.
    EXPECT_EQ(key & 0xFFFF8000u, 0xFFFF8000u);
    EXPECT_EQ(word(b, 4) ^ key, uint32_t(kT0 + 600));
    EXPECT_EQ(word(b, 8) ^ key, 4u);
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(PasswordTest, BlockLastsExactlyItsSeconds)
{
    CPassword password(dir);
    password.store(10, 3);
    int count = 0;
    EXPECT_FALSE(password.isUnlocked(&count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(password.remainingSeconds(), 10);
    now = kT0 + 9;
    EXPECT_FALSE(password.isUnlocked(&count));
    EXPECT_EQ(password.remainingSeconds(), 1);
    now = kT0 + 10;
    EXPECT_TRUE(password.isUnlocked(&count));
    EXPECT_EQ(count, 3); // the count stays until a right PIN clears it
    EXPECT_EQ(password.remainingSeconds(), 0);
}

TEST_F(PasswordTest, NoBlockLetsTheNextAttemptThroughAtOnce)
{
    // Stored and checked within the same second: a wrong try that blocks
    // for 0 s must not refuse the next connect.
    CPassword password(dir);
    password.store(0, 2);
    EXPECT_TRUE(password.isUnlocked(nullptr));
}

TEST_F(PasswordTest, CountOutsideItsRangeIsStoredAs9999)
{
    CPassword password(dir);
    for (int given : {-1, 10000}) {
        password.store(0, given);
        int count = 0;
        password.isUnlocked(&count);
        EXPECT_EQ(count, 9999) << given;
    }
}

TEST_F(PasswordTest, ShortFileReadsMissingWordsAsZero)
{
    const struct
    {
        std::vector<unsigned char> file;
        bool unlocked;
        int count;
    } rows[] = {
        {{}, true, 0},                                    // empty: end 0, count 0
        {{0x05, 0, 0, 0}, true, 5},                       // key 5: end 5 is long past
        {{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}, false, 0}, // end far in the future
        {{0, 0, 0, 0, 0, 0, 0, 0, 7, 0}, true, 7},        // half a count word
    };
    for (const auto& row : rows) {
        writeBytes(row.file);
        CPassword password(dir);
        int count = -1;
        const bool unlocked = password.isUnlocked(&count);
        EXPECT_EQ(unlocked, row.unlocked) << "size " << row.file.size();
        EXPECT_EQ(count, row.count) << "size " << row.file.size();
    }
}

TEST_F(PasswordTest, DeletingTheFileClearsCountAndBlock)
{
    CPassword password(dir);
    password.store(3600, 7);
    EXPECT_FALSE(password.isUnlocked(nullptr));
    fs::remove(password.path());
    int count = -1;
    EXPECT_TRUE(password.isUnlocked(&count));
    EXPECT_EQ(count, 0);
}

TEST_F(PasswordTest, UnusableDirectoryRefusesConnecting)
{
    CPassword password(dir / "missing" / "deeper");
    EXPECT_FALSE(password.isUnlocked(nullptr));
    EXPECT_EQ(password.remainingSeconds(), -1);
}

TEST_F(PasswordTest, ReplacingTheFileNeverLeavesItMissingOrShort)
{
    // A reader that looks while the file is replaced must always find the
    // whole old or the whole new record; deleting first and writing after
    // would expose a missing or empty file and forget every wrong try.
    CPassword writer(dir);
    writer.store(0, 1);
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!done) {
            std::error_code ec;
            const auto size = fs::file_size(dir / CPassword::kFileName, ec);
            if (ec || size != 12)
                ++bad;
        }
    });
    for (int i = 0; i < 100; ++i)
        writer.store(0, 1 + i % 5);
    done = true;
    reader.join();
    EXPECT_EQ(bad.load(), 0);
}

TEST(PasswordBlock, SecondsByWrongPinCount)
{
    const std::pair<int, int> rows[] = {{1, 0}, {2, 0}, {3, 10}, {4, 600}, {5, 3600}, {9999, 3600}};
    for (const auto& [count, seconds] : rows)
        EXPECT_EQ(CPassword::BlockSecondsFor(count), seconds) << count;
}

// What the installer reads about the lockout, by the wrong PINs counted so
// far and the seconds a block still runs.
TEST(PasswordNote, TellsTheTriesLeftOrTheRestOfTheBlock)
{
    const struct
    {
        int count;
        int64_t remaining;
        const char* note;
    } rows[] = {
        {0, 0, ""},
        {1, 0, "2 tries left, then connecting is locked for 10 s."},
        {2, 0, "1 try left: the next wrong PIN locks connecting for 10 s."},
        {3, 0, "1 try left: the next wrong PIN locks connecting for 10 min."},
        {4, 0, "1 try left: the next wrong PIN locks connecting for 1 h."},
        {9999, 0, "1 try left: the next wrong PIN locks connecting for 1 h."},
        // A damaged count says nothing; a file that cannot be used says so.
        {-7, 0, ""},
        {3, -1, "The PIN lockout file cannot be used (it is no file of yours, or the folder cannot be written): "
                "connecting stays locked until it is removed."},
        {3, 10, "Locked for 0:10 more."},
        {4, 598, "Locked for 9:58 more."},
        {5, 3600, "Locked for 1:00:00 more."},
        {6, 3599, "Locked for 59:59 more."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CPassword::NoteText(row.count, row.remaining), row.note)
            << row.count << " wrong, " << row.remaining << " s";
}

// The tries left must agree with the blocks recordWrongPin really stores.
TEST_F(PasswordTest, TriesLeftEndExactlyAtTheFirstBlock)
{
    CPassword password(dir);
    int count = 0;
    for (int wrong = 0; wrong < 6; ++wrong) {
        const int tries = CPassword::TriesBeforeBlock(count);
        for (int i = 1; i <= tries; ++i) {
            count = password.recordWrongPin(count);
            EXPECT_EQ(password.remainingSeconds() > 0, i == tries) << "after " << count << " wrong";
        }
        password.store(0, count); // the block has run out
    }
}

#ifndef _WIN32
// The POSIX side of the lockout file's guard; the Windows side keeps the
// file in the user's own temporary folder.
// Whatever else stands at the lockout path (planted by someone who wants the
// wrong tries forgotten, or the tool hung) is neither trusted nor replaced:
// connecting stays refused, at once, and the thing stays as it was.
TEST_F(PasswordTest, AnythingButTheUsersOwnRegularFileIsRefusedWithoutHanging)
{
    const fs::path file = dir / CPassword::kFileName;
    const fs::path elsewhere = dir / "elsewhere";
    fs::create_directory(elsewhere);
    CPassword(elsewhere).store(0, 0); // a fresh record with count 0 to point a link at
    struct Row
    {
        const char* what;
        void (*plant)(const fs::path& file, const fs::path& elsewhere);
        bool needsRoot;
    } rows[] = {
        {"a FIFO", [](const fs::path& f, const fs::path&) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }, false},
        {"a link to a fresh record",
         [](const fs::path& f, const fs::path& e) { fs::create_symlink(e / CPassword::kFileName, f); }, false},
        {"a folder", [](const fs::path& f, const fs::path&) { fs::create_directory(f); }, false},
        {"another user's file",
         [](const fs::path& f, const fs::path&) {
             std::ofstream(f, std::ios::binary).write("\0\0\0\0\0\0\0\0\0\0\0\0", 12);
             ASSERT_EQ(::chown(f.c_str(), 65534, 65534), 0);
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.needsRoot && ::geteuid() != 0)
            continue; // only root can give a file away
        fs::remove_all(file);
        row.plant(file, elsewhere);
        CPassword password(dir);
        int count = -1;
        EXPECT_FALSE(password.isUnlocked(&count));
        EXPECT_EQ(password.remainingSeconds(), -1);
        password.recordWrongPin(0);
        const auto status = fs::symlink_status(file);
        EXPECT_FALSE(fs::is_regular_file(status) && !row.needsRoot) << "replaced";
        if (row.needsRoot) {
            struct stat st = {};
            ASSERT_EQ(::lstat(file.c_str(), &st), 0);
            EXPECT_EQ(st.st_uid, 65534u) << "replaced";
        }
    }
    fs::remove_all(file);
}

// A block longer than the rules give was planted: it is cut to an hour from
// now, stored so, and the count stays.
TEST_F(PasswordTest, PlantedBlockIsCutToAnHour)
{
    CPassword password(dir);
    password.store(350550735, 4);
    EXPECT_EQ(password.remainingSeconds(), CPassword::kLongestBlockSeconds);
    now += 1800;
    EXPECT_EQ(password.remainingSeconds(), 1800) << "the cut block runs out, not cut again";
    now += 1800;
    int count = 0;
    EXPECT_TRUE(password.isUnlocked(&count));
    EXPECT_EQ(count, 4);
}

// The default folder is the user's state folder, made only the user's.
TEST(PasswordFolder, StateFolderIsTheUsersOwnOrNone)
{
    testsupport::TempDir temp;
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_STATE_HOME", temp.path().c_str(), 1);
    const fs::path dir = CPassword::DefaultDirectory();
    EXPECT_EQ(dir, temp.path() / "tavemo");
    struct stat st = {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(CPassword().isUnlocked(nullptr));

    // A folder others may write is not used: connecting stays refused.
    ::chmod(dir.c_str(), 0777);
    EXPECT_TRUE(CPassword::DefaultDirectory().empty());
    EXPECT_FALSE(CPassword().isUnlocked(nullptr));
    EXPECT_EQ(CPassword().remainingSeconds(), -1);
    ::chmod(dir.c_str(), 0700);
    if (saved)
        ::setenv("XDG_STATE_HOME", keep.c_str(), 1);
    else
        ::unsetenv("XDG_STATE_HOME");
}

#endif

} // namespace
