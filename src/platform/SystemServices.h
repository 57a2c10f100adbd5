// The operating-system services the settings and the program files need: the module's own
// path, the per-user data folder, folders, message boxes, file dialogs and the shell. Callers
// use only this interface; tests install a fake with setSystemServices.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

enum class MessageIcon { Error, Question, Information };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
// Unavailable: the system offers no way to ask (no dialog program installed); the caller treats
// it like a refusal and may show unavailableReason() elsewhere.
enum class MessageAnswer { Ok, Yes, No, Cancel, Unavailable };

struct FileDialogRequest {
    bool save = false;
    std::wstring title;                  // "Save Preset"
    std::wstring filterName;             // "Presets (*.hfp)"
    std::wstring filterPattern;          // "*.hfp"
    std::wstring defaultExtension;       // "hfp"
    std::filesystem::path initialFolder; // empty: the system's choice
    std::wstring initialName;
};

enum class DialogResult { Chosen, Cancelled, Unavailable };

struct FolderEntry {
    std::wstring name;
    bool isDirectory = false;
};

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // Full path of the library file holding this code (not the host's program); empty on failure.
    virtual std::filesystem::path modulePath() = 0;
    // The user's folder for local application data; empty when the system has none.
    virtual std::filesystem::path localDataFolder() = 0;
    virtual bool folderExists(const std::filesystem::path& folder) = 0;
    // Creates one folder level; true when it exists afterwards.
    virtual bool createFolder(const std::filesystem::path& folder) = 0;
    // Entries of a folder whose names match a pattern ("*" or "*.ext", extension without regard
    // to case), in the order the file system gives them; "." and ".." are left out.
    virtual std::vector<FolderEntry> listFolder(const std::filesystem::path& folder, const std::wstring& pattern) = 0;

    virtual MessageAnswer messageBox(void* owner, const std::wstring& text, const std::wstring& title, MessageIcon icon,
                                     MessageButtons buttons) = 0;
    virtual DialogResult fileDialog(void* owner, const FileDialogRequest& request, std::filesystem::path& chosen) = 0;
    // Shows a folder in the system's file browser.
    virtual bool openFolder(const std::filesystem::path& folder) = 0;
    // Why the last message box or dialog was Unavailable, for the editor to show.
    virtual std::wstring unavailableReason() { return {}; }
};

// The services in use: the system's own unless a test installed others.
SystemServices& systemServices();
// Installs replacement services (not owned); null restores the system's own.
void setSystemServices(SystemServices* services);
// The system's own implementation, one per platform.
SystemServices& nativeSystemServices();

// File names are kept as wide strings. On Windows they are the system's own UTF-16 names; on
// other systems each byte of the name becomes one wide character, so any name survives the
// round trip through the wide string and back unchanged.
std::wstring widenFileName(const std::filesystem::path& name);
std::filesystem::path fileNameToPath(const std::wstring& name);
// Narrows one to one (characters above 255 keep their low byte), as the text files store them.
std::string narrowOneToOne(const std::wstring& text);
std::wstring widenOneToOne(const std::string& text);
