// Replacing files whole: concurrent writers, links, permissions and leftovers.
#include "platform/AtomicFile.h"

#include "support/FileText.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

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

TEST(AtomicFile, SavingThroughALinkReplacesItsTargetAndKeepsTheLink)
{
    TemporaryFolder folder;
    fs::create_directory(folder.path / "real");
    const fs::path real = folder.path / "real" / "Bank.hfb";
    const fs::path link = folder.path / "Bank.hfb";
    writeAll(real, "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, link);

    ASSERT_TRUE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), real);
    EXPECT_EQ(readAll(real), "new");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    expectOnlyEntries(folder.path / "real", {"Bank.hfb"});
}
