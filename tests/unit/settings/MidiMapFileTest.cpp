// "Midi.txt": reading with range checks, writing the 122 lines, and failed writes.
#include "settings/MidiMapFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder()
    {
        path = fs::temp_directory_path() /
               ("morvelline-midimap-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, ignored);
        fs::remove_all(path, ignored);
    }
    fs::path path;

private:
    static inline int counter = 0;
};

void writeText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary);
    out << text;
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string lines(int count, const std::string& each)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += each + "\n";
    return text;
}

} // namespace

TEST(MidiMapLine, ReadsLikeWcstolWithBaseZero)
{
    EXPECT_EQ(parseMidiMapLine("0x10"), 16);
    EXPECT_EQ(parseMidiMapLine("010"), 8);
    EXPECT_EQ(parseMidiMapLine("  \t-1\r"), -1);
    EXPECT_EQ(parseMidiMapLine("+42 trailing"), 42);
    EXPECT_EQ(parseMidiMapLine("abc"), 0);
    EXPECT_EQ(parseMidiMapLine(""), 0);
    EXPECT_EQ(parseMidiMapLine("0x"), 0);
    EXPECT_EQ(parseMidiMapLine(std::string_view("12\0"
                                                "5",
                                                4)),
              12);
}

TEST(MidiMapRead, ValuesAreRangeCheckedPerLine)
{
    MidiMap s;
    std::string text = "0x10\nabc\n250\n198\n199\n-1\n-2\n";
    text += lines(113, "5");
    text += "119\n120\n"; // Mod CC 1 takes controller 119; 120 is no controller
    readMidiMapText(text, s);
    EXPECT_EQ(s.ccMap[0], 16);
    EXPECT_EQ(s.ccMap[1], 0);
    EXPECT_EQ(s.ccMap[2], -1);
    EXPECT_EQ(s.ccMap[3], 198);
    EXPECT_EQ(s.ccMap[4], -1);
    EXPECT_EQ(s.ccMap[5], -1);
    EXPECT_EQ(s.ccMap[6], -1);
    EXPECT_EQ(s.ccMap[119], 5);
    EXPECT_EQ(s.modCcNumber[0], 119);
    EXPECT_EQ(s.modCcNumber[1], -1);
}

TEST(MidiMapRead, ShortLongAndWindowsFiles)
{
    MidiMap s;
    readMidiMapText("7\n8", s); // the last line needs no line break
    EXPECT_EQ(s.ccMap[0], 7);
    EXPECT_EQ(s.ccMap[1], 8);
    EXPECT_EQ(s.ccMap[2], -1);
    EXPECT_EQ(s.modCcNumber[1], -1);

    readMidiMapText(lines(120, "3") + "1\n2\n" + lines(50, "9"), s); // lines after the 122nd are ignored
    EXPECT_EQ(s.ccMap[119], 3);
    EXPECT_EQ(s.modCcNumber[0], 1);
    EXPECT_EQ(s.modCcNumber[1], 2);

    readMidiMapText(lines(122, "4\r"), s);
    EXPECT_EQ(s.ccMap[60], 4);
    EXPECT_EQ(s.modCcNumber[1], 4);
}

TEST(MidiMapRead, FileReplacesTheWholeMapAndAMissingFileClearsIt)
{
    TempFolder folder;
    MidiMap s;
    s.ccMap[10] = 33;
    s.modCcNumber[0] = 7;
    writeText(folder.path / "Midi.txt", "12\n");
    readMidiMap(folder.path / "Midi.txt", s);
    EXPECT_EQ(s.ccMap[0], 12);
    EXPECT_EQ(s.ccMap[10], -1);
    EXPECT_EQ(s.modCcNumber[0], -1);

    s.ccMap[10] = 33;
    readMidiMap(folder.path / "Missing.txt", s);
    for (const auto& entry : s.ccMap)
        EXPECT_EQ(entry.load(), -1);
}

TEST(MidiMapRead, AHugeLineDoesNotShiftTheLinesAfterIt)
{
    TempFolder folder;
    MidiMap s;
    writeText(folder.path / "Midi.txt", "5" + std::string(100000, ' ') + "\n6\n");
    readMidiMap(folder.path / "Midi.txt", s);
    EXPECT_EQ(s.ccMap[0], 5);
    EXPECT_EQ(s.ccMap[1], 6);
}

TEST(MidiMapWrite, WritesOneHundredTwentyTwoLinesAndReadsBack)
{
    TempFolder folder;
    MidiMap empty;
    EXPECT_EQ(formatMidiMap(empty), lines(122, "-1"));

    MidiMap s;
    s.ccMap[0] = 0;
    s.ccMap[74] = 12;
    s.ccMap[119] = 198;
    s.modCcNumber[0] = 1;
    s.modCcNumber[1] = 119;
    const fs::path file = folder.path / "Midi.txt";
    ASSERT_EQ(writeMidiMap(file, s), WriteResult::Ok);
    const std::string text = readText(file);
    EXPECT_EQ(text.substr(0, 5), "0\n-1\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 122);

    MidiMap back;
    readMidiMap(file, back);
    for (int i = 0; i < kNumMappableControllers; ++i)
        EXPECT_EQ(back.ccMap[i], s.ccMap[i].load()) << "controller " << i;
    EXPECT_EQ(back.modCcNumber[0], 1);
    EXPECT_EQ(back.modCcNumber[1], 119);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1)
        << "no temporary left beside the map";
}

TEST(MidiMapWrite, ReadOnlyFolderKeepsTheOldFileAndReportsFailure)
{
    TempFolder folder;
    const fs::path file = folder.path / "Midi.txt";
    writeText(file, "old\n");
    fs::permissions(folder.path, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(folder.path.c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user can write into read-only folders";
    MidiMap s;
    EXPECT_NE(writeMidiMap(file, s), WriteResult::Ok);
    EXPECT_EQ(readText(file), "old\n");
}

TEST(MidiMapWrite, UnwritableTemporaryKeepsTheOldFileAndReportsFailure)
{
    // Works for every user, including one that may write anywhere: the disk "fills up" after a
    // few bytes of the temporary beside the target.
    TempFolder folder;
    const fs::path file = folder.path / "Midi.txt";
    writeText(file, "old\n");
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    MidiMap s;
    const bool written = writeMidiMap(file, s) == WriteResult::Ok;
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(readText(file), "old\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1);
}

TEST(MidiMapWrite, MissingFolderReportsFailure)
{
    TempFolder folder;
    MidiMap s;
    EXPECT_NE(writeMidiMap(folder.path / "no-such-folder" / "Midi.txt", s), WriteResult::Ok);
}
