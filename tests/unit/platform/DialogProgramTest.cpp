// Message boxes and file dialogs through zenity or kdialog, played by fake programs on PATH.
#if !defined(_WIN32)
#include "platform/SystemServices.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

struct FakeDialogProgram {
    TemporaryFolder folder;
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    FakeDialogProgram() { ::setenv("PATH", folder.path.c_str(), 1); }
    ~FakeDialogProgram() { ::setenv("PATH", savedPath.c_str(), 1); }

    // The only dialog program on PATH: prints output and exits with exitCode.
    void install(const char* name, const std::string& output, int exitCode)
    {
        std::filesystem::path program = folder.path / name;
        std::filesystem::remove(folder.path / "zenity");
        std::filesystem::remove(folder.path / "kdialog");
        std::ofstream(program) << "#!/bin/sh\nprintf '%s' '" << output << "'\nexit " << exitCode << "\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    }
};

struct ChildSignal {
    struct sigaction saved {};
    explicit ChildSignal(bool ignored)
    {
        struct sigaction action {};
        action.sa_handler = ignored ? SIG_IGN : SIG_DFL;
        ::sigaction(SIGCHLD, &action, &saved);
    }
    ~ChildSignal() { ::sigaction(SIGCHLD, &saved, nullptr); }
};

} // namespace

TEST(DialogPrograms, AnAnswerThatCannotBeReadIsARefusal)
{
    struct Case {
        const char* program;
        int exitCode;
        MessageButtons buttons;
        bool ignoreChildren; // the host set SIGCHLD to SIG_IGN: exit statuses are lost
        MessageAnswer expected;
    };
    const Case cases[] = {
        {"zenity", 0, MessageButtons::YesNo, false, MessageAnswer::Yes},
        {"zenity", 1, MessageButtons::YesNo, false, MessageAnswer::No},
        {"kdialog", 0, MessageButtons::YesNo, false, MessageAnswer::Yes},
        {"zenity", 0, MessageButtons::YesNo, true, MessageAnswer::No},
        {"zenity", 0, MessageButtons::YesNoCancel, true, MessageAnswer::Cancel},
        {"kdialog", 0, MessageButtons::YesNo, true, MessageAnswer::No},
        {"kdialog", 0, MessageButtons::YesNoCancel, true, MessageAnswer::Cancel},
        {"zenity", 0, MessageButtons::Ok, true, MessageAnswer::Ok},
    };
    FakeDialogProgram fake;
    for (const Case& c : cases) {
        fake.install(c.program, "", c.exitCode);
        ChildSignal children(c.ignoreChildren);
        EXPECT_EQ(nativeSystemServices().messageBox(nullptr, L"Initialize?", L"Initialize Bank", MessageIcon::Question,
                                                    c.buttons),
                  c.expected)
            << c.program << " exit " << c.exitCode << (c.ignoreChildren ? " SIGCHLD ignored" : "");
    }

    // A file dialog prints the chosen path, and prints nothing when cancelled.
    ChildSignal children(true);
    FileDialogRequest request;
    request.title = L"Load Preset";
    std::filesystem::path chosen;
    fake.install("zenity", "/tmp/lead.hfp\n", 0);
    EXPECT_EQ(nativeSystemServices().fileDialog(nullptr, request, chosen), DialogResult::Chosen);
    EXPECT_EQ(chosen, "/tmp/lead.hfp");
    fake.install("zenity", "", 1);
    EXPECT_EQ(nativeSystemServices().fileDialog(nullptr, request, chosen), DialogResult::Cancelled);
}
#endif
