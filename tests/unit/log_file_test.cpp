// The trace log file: the directory switch, the file's name, appending, flushing
// and the closing notice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "GuardPage.h"
#include "LogTestSupport.h"
#include "MonitorPaths.h"
#include "ParaAnalyze.h"
#include "TraceLogFile.h"
#include "TwainLog.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        CleanupTwainLogQuietly();
        g_cParaAnalyze.SetTwainStatus(0);
    }
    void TearDown() override {
        CleanupTwainLogQuietly();
        g_cParaAnalyze.SetTwainStatus(0);
    }

    std::string OnlyFile() {
        std::vector<std::string> names = m_dir.Entries();
        if (names.size() != 1) {
            ADD_FAILURE() << "expected one file in the log directory, found " << names.size();
            return {};
        }
        return m_dir.Path() + "/" + names[0];
    }

    static void Write(const std::string& text) {
        WriteLogFile(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    }

    // Logging on without a file: the logger exists and the state is 3, writes are
    // dropped, and clean-up has nothing to announce.
    static void ExpectLoggingWithoutAFile(const std::string& directory) {
        g_cParaAnalyze.SetTwainStatus(0);
        CCapturedStderr captured;
        setupTwainLogIn(directory.c_str());
        EXPECT_EQ(g_pLogFile, nullptr);
        EXPECT_NE(g_pcTwainLog, nullptr);
        EXPECT_EQ(g_cParaAnalyze.GetTwainStatus(), 3);
        Write("[00001] [APP] dropped\r\n");
        cleanupTwainLog();
        EXPECT_EQ(g_pcTwainLog, nullptr);
        EXPECT_EQ(captured.Text(), "");
    }

    CTempDirectory m_dir;
    CFixedLogClock m_clock;
};

TEST(MonitorPathsTest, AreTheInstalledLocationsUnderTheBuildRoot) {
    static_assert(sizeof(kTwainLogDirectory) == 256);
    EXPECT_STREQ(kTwainLogDirectory, TWAIN_MONITOR_ROOT "/Users/Shared/NORVA/Lumora/LOG/TWAIN");
    EXPECT_STREQ(kTwainWrapperBundlePath,
                 TWAIN_MONITOR_ROOT "/Library/Image Capture/Support/NORVA/Lumora/Core/TwainWrapper.bundle");
    // The rest of the 256 characters are zeros.
    for (size_t i = strlen(kTwainLogDirectory); i < sizeof(kTwainLogDirectory); ++i) {
        ASSERT_EQ(kTwainLogDirectory[i], '\0') << i;
    }
}

// Each of these leaves logging off: no file, no logger, the state untouched, and
// nothing on the standard error stream, not even at clean-up.
TEST_F(LogFileTest, WithoutTheDirectoryLoggingStaysOffSilently) {
    CGuardedBlock unterminated(256, 1);  // 256 characters and no NUL before the guard page
    memset(unterminated.data(), 'a', unterminated.size());
    std::string missing = m_dir.Path() + "/TWAIN";
    struct Case {
        const char* name;
        const char* directory;
    } cases[] = {
        {"missing directory", missing.c_str()},
        {"null path", nullptr},
        {"path without NUL in 256 characters", reinterpret_cast<const char*>(unterminated.data())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_cParaAnalyze.SetTwainStatus(5);
        CCapturedStderr captured;
        setupTwainLogIn(c.directory);
        EXPECT_EQ(g_pLogFile, nullptr);
        EXPECT_EQ(g_pcTwainLog, nullptr);
        EXPECT_EQ(g_cParaAnalyze.GetTwainStatus(), 5);
        Write("dropped\r\n");
        cleanupTwainLog();
        EXPECT_EQ(captured.Text(), "");
        EXPECT_THAT(m_dir.Entries(), IsEmpty());
    }
}

TEST_F(LogFileTest, WithTheDirectoryOpensATimestampedFileAndSetsStateThree) {
    g_fnReadLogClock = ReadSystemClock;
    setupTwainLogIn(m_dir.Path().c_str());
    ASSERT_NE(g_pLogFile, nullptr);
    EXPECT_NE(g_pcTwainLog, nullptr);
    EXPECT_EQ(g_cParaAnalyze.GetTwainStatus(), 3);
    EXPECT_THAT(OnlyFile(), MatchesRegex(m_dir.Path() + "/Twainlog_[0-9]{8}_[0-9]{6}_[0-9]{4}\\.txt"));
}

TEST_F(LogFileTest, FileNameCarriesLocalTimeAndNearestMillisecond) {
    struct Case {
        time_t seconds;
        long microseconds;
        const char* name;
    } cases[] = {
        {kLastSecondOfJanuary2024, 0, "Twainlog_20240131_235959_0000.txt"},
        {kLastSecondOfJanuary2024, 499, "Twainlog_20240131_235959_0000.txt"},
        {kLastSecondOfJanuary2024, 500, "Twainlog_20240131_235959_0001.txt"},
        {kLastSecondOfJanuary2024, 41500, "Twainlog_20240131_235959_0042.txt"},
        {kLastSecondOfJanuary2024, 999499, "Twainlog_20240131_235959_0999.txt"},
        // Rounds up to 1000 without carrying into the seconds.
        {kLastSecondOfJanuary2024, 999500, "Twainlog_20240131_235959_1000.txt"},
        {kLastSecondOfJanuary2024, 999999, "Twainlog_20240131_235959_1000.txt"},
        {kEarlyFebruary2009, 7000, "Twainlog_20090203_040506_0007.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.Set(c.seconds, c.microseconds);
        setupTwainLogIn(m_dir.Path().c_str());
        EXPECT_EQ(OnlyFile(), m_dir.Path() + "/" + c.name);
        CleanupTwainLogQuietly();
        std::filesystem::remove(m_dir.Path() + "/" + c.name);
    }
}

TEST_F(LogFileTest, AppendsToAnExistingFileOfTheSameName) {
    m_clock.Set(kLastSecondOfJanuary2024, 41500);
    std::string path = m_dir.Path() + "/Twainlog_20240131_235959_0042.txt";
    WriteWholeFile(path, "[00001] [APP] earlier load\r\n");
    setupTwainLogIn(m_dir.Path().c_str());
    Write("[00001] [APP] this load\r\n");
    EXPECT_EQ(ReadWholeFile(path), "[00001] [APP] earlier load\r\n[00001] [APP] this load\r\n");
}

// The file is read back while it is still open: every write must already be there.
TEST_F(LogFileTest, EveryWriteReachesTheFileAtOnce) {
    setupTwainLogIn(m_dir.Path().c_str());
    std::string path = OnlyFile();

    Write("[00001] [APP] DG_CONTROL/DAT_PARENT/MSG_OPENDSM\r\n");
    EXPECT_EQ(ReadWholeFile(path), "[00001] [APP] DG_CONTROL/DAT_PARENT/MSG_OPENDSM\r\n");

    static const unsigned char kBytesWithNul[] = {'a', '\0', 'b', 'c'};
    WriteLogFile(kBytesWithNul, 3);  // the bytes as given, NUL included
    WriteLogFile(kBytesWithNul, 0);
    WriteLogFile(nullptr, 10);
    using namespace std::string_literals;
    EXPECT_EQ(ReadWholeFile(path), "[00001] [APP] DG_CONTROL/DAT_PARENT/MSG_OPENDSM\r\na\0b"s);

    g_pcTwainLog->OutputDebugString("message\n");
    g_pcTwainLog->OutputDebugString(nullptr);
    EXPECT_EQ(ReadWholeFile(path), "[00001] [APP] DG_CONTROL/DAT_PARENT/MSG_OPENDSM\r\na\0bmessage\n"s);
}

TEST_F(LogFileTest, ASecondSetupKeepsTheOpenFileAndResetsTheState) {
    setupTwainLogIn(m_dir.Path().c_str());
    std::string path = OnlyFile();
    Write("first\r\n");
    g_cParaAnalyze.SetTwainStatus(6);
    m_clock.Set(kEarlyFebruary2009, 0);

    setupTwainLogIn(m_dir.Path().c_str());
    EXPECT_NE(g_pcTwainLog, nullptr);
    EXPECT_EQ(g_cParaAnalyze.GetTwainStatus(), 3);
    Write("second\r\n");
    EXPECT_EQ(OnlyFile(), path);
    EXPECT_EQ(ReadWholeFile(path), "first\r\nsecond\r\n");
}

// The directory is there but no file can be made in it.
TEST_F(LogFileTest, AFileThatCannotBeOpenedDropsWritesSilently) {
    std::string notADirectory = m_dir.Path() + "/plain-file";
    WriteWholeFile(notADirectory, "");
    // Long enough that directory, "/Twainlog_", timestamp and ".txt" pass 255 characters.
    std::string longName(230 - m_dir.Path().size() - 1, 'd');
    std::string longDirectory = m_dir.Path() + "/" + longName;
    ASSERT_EQ(mkdir(longDirectory.c_str(), 0700), 0);
    struct Case {
        const char* name;
        std::string directory;
    } cases[] = {
        {"directory is a plain file", notADirectory},
        {"file name longer than 255 characters", longDirectory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectLoggingWithoutAFile(c.directory);
    }
    EXPECT_THAT(m_dir.Entries(), ElementsAre(longName, "plain-file"));
    EXPECT_TRUE(std::filesystem::is_empty(longDirectory));
}

// Another local user plants something under the name of a future trace file in the
// shared directory: a symbolic link to a file of ours or to where one would be
// made, a hard link to a file of ours, or a pipe that someone reads. None is
// written to or through; logging goes on as for a file that cannot be opened.
TEST_F(LogFileTest, ALinkOrPipePlantedInTheFilesPlaceIsRefused) {
    CTempDirectory victim;
    const std::string target = victim.Path() + "/profile";
    const std::string missing = victim.Path() + "/not-yet";
    const std::string planted = m_dir.Path() + "/Twainlog_20240131_235959_0000.txt";
    const struct {
        const char* name;
        int (*plant)(const std::string& target, const std::string& missing, const std::string& planted);
    } cases[] = {
        {"symbolic link to a file", [](auto& t, auto&, auto& p) { return symlink(t.c_str(), p.c_str()); }},
        {"symbolic link to no file", [](auto&, auto& m, auto& p) { return symlink(m.c_str(), p.c_str()); }},
        {"hard link", [](auto& t, auto&, auto& p) { return link(t.c_str(), p.c_str()); }},
        {"pipe", [](auto&, auto&, auto& p) { return mkfifo(p.c_str(), 0600); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWholeFile(target, "export PATH=/usr/bin\n");
        ASSERT_EQ(c.plant(target, missing, planted), 0);
        // With a reader at the pipe's other end, opening it for writing would not fail.
        const int reader = std::filesystem::is_fifo(planted) ? open(planted.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        ExpectLoggingWithoutAFile(m_dir.Path());
        EXPECT_EQ(ReadWholeFile(target), "export PATH=/usr/bin\n");
        EXPECT_FALSE(std::filesystem::exists(missing));
        if (reader >= 0) {
            char byte;
            EXPECT_LE(read(reader, &byte, 1), 0);
            close(reader);
        }
        std::filesystem::remove(planted);
    }
}

TEST_F(LogFileTest, CleanupAnnouncesTheCloseOnceAndKeepsWhatWasWritten) {
    setupTwainLogIn(m_dir.Path().c_str());
    std::string path = OnlyFile();
    Write("[00001] [APP] DG_CONTROL/DAT_PARENT/MSG_CLOSEDSM\r\n");

    CCapturedStderr captured;
    cleanupTwainLog();
    cleanupTwainLog();
    EXPECT_EQ(captured.Text(), "Close Log File.\n");
    EXPECT_EQ(g_pLogFile, nullptr);
    EXPECT_EQ(g_pcTwainLog, nullptr);
    Write("after clean-up\r\n");
    EXPECT_EQ(ReadWholeFile(path), "[00001] [APP] DG_CONTROL/DAT_PARENT/MSG_CLOSEDSM\r\n");
}

// A full disk: the writes fail, the host hears nothing, and clean-up goes on as usual.
TEST_F(LogFileTest, WriteErrorsAreIgnored) {
    g_pLogFile = fopen("/dev/full", "a");
    ASSERT_NE(g_pLogFile, nullptr);
    CCapturedStderr captured;
    Write("lost\r\n");
    Write("lost as well\r\n");
    cleanupTwainLog();
    EXPECT_EQ(captured.Text(), "Close Log File.\n");
    EXPECT_EQ(g_pLogFile, nullptr);
}

}  // namespace
