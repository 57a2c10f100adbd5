// Windows services: the shell and common dialogs.
#include "platform/SystemServices.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwctype>

namespace fs = std::filesystem;

namespace {

bool endsWithNoCase(const std::wstring& text, const std::wstring& ending)
{
    if (ending.size() > text.size())
        return false;
    for (size_t i = 0; i < ending.size(); ++i)
        if (std::towlower(text[text.size() - ending.size() + i]) != std::towlower(ending[i]))
            return false;
    return true;
}

class Win32Services final : public SystemServices {
public:
    fs::path modulePath() override
    {
        HMODULE module = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCWSTR>(&nativeSystemServices), &module))
            return {};
        std::wstring buffer(32768, L'\0');
        DWORD length = GetModuleFileNameW(module, buffer.data(), DWORD(buffer.size()));
        // A full buffer means the path was cut: treat it as unknown rather than use a wrong one.
        if (length == 0 || length >= buffer.size())
            return {};
        buffer.resize(length);
        return fs::path(buffer);
    }

    fs::path localDataFolder() override
    {
        wchar_t buffer[MAX_PATH] = {};
        if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
            return {};
        return fs::path(buffer);
    }

    bool folderExists(const fs::path& folder) override
    {
        if (!PathFileExistsW(folder.c_str()))
            return false;
        DWORD attributes = GetFileAttributesW(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool createFolder(const fs::path& folder) override
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        return folderExists(folder);
    }

    std::vector<FolderEntry> listFolder(const fs::path& folder, const std::wstring& pattern) override
    {
        std::vector<FolderEntry> entries;
        std::wstring query = folder.native() + L"\\" + pattern;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(query.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return entries;
        // The system also matches short 8.3 names ("*.hfb" finds "x.hfbak"); keep true matches.
        std::wstring extension = pattern.size() > 1 && pattern[0] == L'*' ? pattern.substr(1) : std::wstring();
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L".." || !endsWithNoCase(name, extension))
                continue;
            entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return entries;
    }

    MessageAnswer messageBox(void* owner, const std::wstring& text, const std::wstring& title, MessageIcon icon,
                             MessageButtons buttons) override
    {
        UINT type = icon == MessageIcon::Error      ? MB_ICONERROR
                    : icon == MessageIcon::Question ? MB_ICONQUESTION
                                                    : MB_ICONINFORMATION;
        type |= buttons == MessageButtons::Ok ? MB_OK : buttons == MessageButtons::YesNo ? MB_YESNO : MB_YESNOCANCEL;
        switch (MessageBoxW(static_cast<HWND>(owner), text.c_str(), title.c_str(), type)) {
        case IDOK:
            return MessageAnswer::Ok;
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        case IDCANCEL:
            return MessageAnswer::Cancel;
        default:
            return MessageAnswer::Unavailable;
        }
    }

    DialogResult fileDialog(void* owner, const FileDialogRequest& request, fs::path& chosen) override
    {
        wchar_t fileName[260] = {};
        request.initialName.copy(fileName, 259);
        std::wstring filter = request.filterName;
        filter += L'\0';
        filter += request.filterPattern;
        filter += L'\0';
        filter += L'\0';
        std::wstring initialFolder = request.initialFolder.native();

        OPENFILENAMEW dialog = {};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = static_cast<HWND>(owner);
        dialog.lpstrFilter = filter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = fileName;
        dialog.nMaxFile = 260;
        dialog.lpstrTitle = request.title.c_str();
        dialog.lpstrDefExt = request.defaultExtension.c_str();
        dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
        dialog.Flags = request.save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        BOOL ok = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
        if (!ok)
            return CommDlgExtendedError() == 0 ? DialogResult::Cancelled : DialogResult::Unavailable;
        chosen = fs::path(fileName);
        return DialogResult::Chosen;
    }

    bool openFolder(const fs::path& folder) override
    {
        auto result =
            reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    }
};

} // namespace

SystemServices& nativeSystemServices()
{
    static Win32Services services;
    return services;
}
