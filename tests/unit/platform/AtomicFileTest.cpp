// Replacing files whole: concurrent writers, links, permissions and leftovers.
#include "platform/AtomicFile.h"
#include "platform/TextLines.h"

#include "support/FileText.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Only the named files remain: no temporary is left behind.
void expectOnlyEntries(const fs::path& folder, std::vector<std::string> names)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
}

} // namespace

TEST(AtomicFile, ManyWritersAtOnceLeaveOneCompleteVersion)
{
    TemporaryFolder folder;
    const fs::path target = folder.path / "Settings.txt";
    constexpr int kWriters = 16;
    std::vector<std::string> versions;
    for (int i = 0; i < kWriters; ++i)
        versions.push_back(std::string(20000 + i * 97, char('a' + i)));
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i)
        writers.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round)
                EXPECT_TRUE(writeFileAtomically(target, versions[size_t(i)]));
        });
    for (auto& writer : writers)
        writer.join();
    const std::string result = readAll(target);
    EXPECT_NE(std::find(versions.begin(), versions.end(), result), versions.end())
        << "a mix of versions, " << result.size() << " bytes";
    expectOnlyEntries(folder.path, {"Settings.txt"});
}

// A data folder beside a system-wide plug-in may be writable by others: a save follows a link
// only into the data folder, and never replaces a read-only file.
TEST(AtomicFile, LinksAreFollowedOnlyIntoTheDataFolderAndReadOnlyFilesAreKept)
{
    TemporaryFolder folder;
    const fs::path data = folder.path / "data";
    const fs::path elsewhere = folder.path / "elsewhere";
    fs::create_directories(data / "real");
    fs::create_directories(elsewhere);
    const fs::perms readWrite = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    struct Case {
        const char* what;
        fs::path target;     // the file the link names (empty: no link, the file itself)
        bool targetExists;
        fs::perms targetPerms;
        fs::path linkRoot;
        WriteResult expected;
    } cases[] = {
        {"link inside the data folder", data / "real" / "Bank.hfb", true, readWrite, data, WriteResult::Ok},
        {"link to a file elsewhere", elsewhere / "profile.sh", true, readWrite, data, WriteResult::LinkOutside},
        {"link with no data folder", data / "real" / "Other.hfb", true, readWrite, {}, WriteResult::LinkOutside},
        {"link out through ..", data / ".." / "elsewhere" / "x.txt", true, readWrite, data, WriteResult::LinkOutside},
        {"dangling link", data / "real" / "gone.hfb", false, readWrite, data, WriteResult::DanglingLink},
        {"read-only file", {}, true, readOnly, data, WriteResult::ReadOnly},
        {"link to a read-only file", data / "real" / "ro.hfb", true, readOnly, data, WriteResult::ReadOnly},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path saved = data / ("file" + std::to_string(n++) + ".txt");
        const fs::path real = c.target.empty() ? saved : c.target;
        if (c.targetExists) {
            writeAll(real, "old");
            fs::permissions(real, c.targetPerms);
        }
        if (!c.target.empty())
            fs::create_symlink(c.target, saved);

        EXPECT_EQ(replaceFileSafely(saved, "new", c.linkRoot), c.expected);
        EXPECT_EQ(fs::is_symlink(saved), !c.target.empty()) << "the link stays a link";
        if (c.targetExists) {
            EXPECT_EQ(readAll(real), c.expected == WriteResult::Ok ? "new" : "old");
            EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, c.targetPerms);
        } else {
            EXPECT_FALSE(fs::exists(real));
        }
        if (c.expected != WriteResult::Ok) {
            EXPECT_STRNE(writeRefusalText(c.expected), "");
        }
    }
    expectOnlyEntries(data / "real", {"Bank.hfb", "Other.hfb", "ro.hfb"});
}

// Files that are no text files of ours are refused at once, without reading or waiting: a FIFO
// would block the host, a huge file would take seconds.
TEST(TextFileReading, OnlyRegularFilesOfSaneSizeAreRead)
{
    TemporaryFolder folder;
    const fs::path fifo = folder.path / "Default.hfb";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path huge = folder.path / "huge.hfb";
    writeAll(huge, "Morvelline Preset Bank\n");
    fs::resize_file(huge, kMaxTextFileSize + 1); // sparse: costs no disk
    const fs::path limit = folder.path / "limit.txt";
    writeAll(limit, "");
    fs::resize_file(limit, kMaxTextFileSize);
    const struct {
        fs::path path;
        const char* problem; // null: opens
    } cases[] = {
        {fifo, "is not a regular file"},
        {folder.path, "is not a regular file"},
        {"/dev/zero", "is not a regular file"},
        {huge, "is larger than 16 MB"},
        {folder.path / "missing.hfb", "cannot be opened (No such file or directory)"},
        {limit, nullptr},
    };
    for (const auto& c : cases) {
        LineReader reader(c.path);
        EXPECT_EQ(reader.isOpen(), c.problem == nullptr) << c.path;
        EXPECT_EQ(reader.openProblem(), c.problem ? c.problem : "") << c.path;
    }
}

TEST(TextFileReading, AByteOrderMarkIsSkippedOnlyAtTheStart)
{
    LineReader reader(std::string_view("\xEF\xBB\xBFtheme=Compact\r\n\xEF\xBB\xBFscale=2\n"));
    std::string line;
    reader.readLine(line);
    EXPECT_EQ(line, "theme=Compact");
    reader.readLine(line);
    EXPECT_EQ(line, "\xEF\xBB\xBFscale=2");
}
