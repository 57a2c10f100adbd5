// Stands in for the system in tests: records message boxes, answers them and the file dialogs
// from scripts, and reports the module and data folders the test chooses. Folder operations
// work on the real (temporary) folders.
#pragma once

#include "platform/SystemServices.h"

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

struct ShownMessage {
    std::wstring text;
    std::wstring title;
    MessageIcon icon;
    MessageButtons buttons;
};

class FakeSystemServices : public SystemServices {
public:
    std::filesystem::path module;
    std::filesystem::path localData;
    std::deque<MessageAnswer> answers; // empty: every question is answered No
    std::vector<ShownMessage> messages;
    struct DialogScript {
        DialogResult result;
        std::filesystem::path path;
    };
    std::deque<DialogScript> dialogs; // empty: cancelled
    std::vector<FileDialogRequest> dialogRequests;
    std::vector<std::filesystem::path> openedFolders;
    bool noDialogProgram = false; // message boxes answer Unavailable, as on Linux without zenity/kdialog

    FakeSystemServices() { setSystemServices(this); }
    ~FakeSystemServices() override { setSystemServices(nullptr); }

    std::filesystem::path modulePath() override { return module; }
    std::filesystem::path localDataFolder() override { return localData; }
    bool folderExists(const std::filesystem::path& folder) override
    {
        return nativeSystemServices().folderExists(folder);
    }
    bool createFolder(const std::filesystem::path& folder) override
    {
        return nativeSystemServices().createFolder(folder);
    }
    std::vector<FolderEntry> listFolder(const std::filesystem::path& folder, const std::wstring& pattern) override
    {
        return nativeSystemServices().listFolder(folder, pattern);
    }
    MessageAnswer messageBox(void*, const std::wstring& text, const std::wstring& title, MessageIcon icon,
                             MessageButtons buttons) override
    {
        messages.push_back({text, title, icon, buttons});
        if (noDialogProgram)
            return MessageAnswer::Unavailable;
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (answers.empty())
            return MessageAnswer::No;
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    DialogResult fileDialog(void*, const FileDialogRequest& request, std::filesystem::path& chosen) override
    {
        dialogRequests.push_back(request);
        if (dialogs.empty())
            return DialogResult::Cancelled;
        DialogScript script = dialogs.front();
        dialogs.pop_front();
        chosen = script.path;
        return script.result;
    }
    std::wstring unavailableReason() override { return nativeSystemServices().unavailableReason(); }
    bool openFolder(const std::filesystem::path& folder) override
    {
        openedFolders.push_back(folder);
        return true;
    }
};

// A fresh temporary folder, removed with everything in it at the end of the test.
struct TemporaryFolder {
    std::filesystem::path path;
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvelline-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};
