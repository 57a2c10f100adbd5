// Every test process gets its own empty home and data folders, so no test can read or change
// the files of the user who runs it: plug-in instances locate their data folder there.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

struct TemporaryHome {
    std::filesystem::path folder;

    TemporaryHome()
    {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "morvelline-home-XXXXXX").string();
        if (error || !::mkdtemp(pattern.data())) {
            // No temporary folder: a home that cannot exist leaves instances without a data folder.
            ::setenv("HOME", "/nonexistent/morvelline-test-home", 1);
            ::unsetenv("XDG_DATA_HOME");
            return;
        }
        folder = pattern;
        ::setenv("HOME", folder.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder / "share").c_str(), 1);
    }

    ~TemporaryHome()
    {
        std::error_code error;
        if (!folder.empty())
            std::filesystem::remove_all(folder, error);
    }
};

TemporaryHome temporaryHome;

} // namespace
