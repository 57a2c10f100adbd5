// Linux services: the module found with dladdr, the XDG data folder, std::filesystem for folders,
// and zenity or kdialog for message boxes and file dialogs.
#include "platform/SystemServices.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <system_error>

extern char** environ;

namespace fs = std::filesystem;

namespace {

bool isExecutableFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string findProgram(const char* name)
{
    const char* searchPath = std::getenv("PATH");
    std::string paths = searchPath ? searchPath : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= paths.size()) {
        size_t end = paths.find(':', start);
        if (end == std::string::npos)
            end = paths.size();
        std::string folder = paths.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + name;
            if (isExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

struct RunResult {
    bool started = false;
    // False when the exit status could not be read: a host that ignores SIGCHLD has its
    // children reaped by the kernel, and waitpid fails with ECHILD.
    bool statusKnown = false;
    int exitCode = -1;
    std::string output;
};

// Runs a program without a shell (arguments are passed as they are, so no text can be taken
// as a command) and collects what it prints.
RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    RunResult result;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The program gets the default SIGCHLD whatever the host set, so that its own children
    // (xdg-open's browser, say) can be waited for.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    pid_t child = 0;
    int spawnError = ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawnError != 0) {
        ::close(pipeEnds[0]);
        return result;
    }
    result.started = true;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n > 0) {
            if (result.output.size() < 65536)
                result.output.append(buffer, size_t(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    pid_t waited;
    while ((waited = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    result.statusKnown = waited == child;
    result.exitCode = result.statusKnown && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string utf8Text(const std::wstring& text)
{
    // Texts shown to the user: drop carriage returns, encode as UTF-8 for the dialog programs.
    std::string out;
    for (wchar_t c : text) {
        auto code = static_cast<unsigned long>(c);
        if (c == L'\r')
            continue;
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xc0 | (code >> 6));
            out += char(0x80 | (code & 0x3f));
        } else if (code < 0x10000) {
            out += char(0xe0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3f));
            out += char(0x80 | (code & 0x3f));
        } else {
            out += char(0xf0 | ((code >> 18) & 0x07));
            out += char(0x80 | ((code >> 12) & 0x3f));
            out += char(0x80 | ((code >> 6) & 0x3f));
            out += char(0x80 | (code & 0x3f));
        }
    }
    return out;
}

std::string patternExtension(const std::wstring& pattern)
{
    // "*.hfp" -> ".hfp"; "*" -> "".
    return pattern.size() > 1 && pattern[0] == L'*' ? narrowOneToOne(pattern.substr(1)) : std::string();
}

bool endsWithNoCase(const std::string& text, const std::string& ending)
{
    if (ending.size() > text.size())
        return false;
    for (size_t i = 0; i < ending.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(text[text.size() - ending.size() + i]);
        unsigned char b = static_cast<unsigned char>(ending[i]);
        if (std::tolower(a) != std::tolower(b))
            return false;
    }
    return true;
}

// The user answered, but the exit status that says how is lost: a question whose answer cannot
// be read is refused, so nothing runs that the user may have declined.
MessageAnswer unreadableAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        break;
    }
    return MessageAnswer::No;
}

class LinuxServices final : public SystemServices {
public:
    fs::path modulePath() override
    {
        Dl_info info{};
        link_map* module = nullptr;
        if (::dladdr1(reinterpret_cast<void*>(&nativeSystemServices), &info, reinterpret_cast<void**>(&module),
                      RTLD_DL_LINKMAP) == 0 ||
            !info.dli_fname || !*info.dli_fname)
            return {};
        std::error_code error;
        // Linked into a program (not a plug-in): the loader names it as it was typed, which may
        // be a bare name found on PATH, so ask the system for the real file.
        if (module && module->l_name && !*module->l_name) {
            fs::path program = fs::read_symlink("/proc/self/exe", error);
            if (!error)
                return program;
            error.clear();
        }
        fs::path path = fs::absolute(info.dli_fname, error);
        return error ? fs::path() : path;
    }

    fs::path localDataFolder() override
    {
        fs::path folder;
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        if (dataHome && dataHome[0] == '/') {
            folder = dataHome;
        } else {
            std::string home = homeFolder();
            if (home.empty())
                return {};
            folder = fs::path(home) / ".local" / "share";
        }
        std::error_code error;
        fs::create_directories(folder, error);
        return fs::is_directory(folder, error) ? folder : fs::path();
    }

    bool folderExists(const fs::path& folder) override
    {
        std::error_code error;
        return fs::is_directory(folder, error);
    }

    bool createFolder(const fs::path& folder) override
    {
        std::error_code error;
        fs::create_directory(folder, error);
        return folderExists(folder);
    }

    std::vector<FolderEntry> listFolder(const fs::path& folder, const std::wstring& pattern) override
    {
        std::vector<FolderEntry> entries;
        std::string extension = patternExtension(pattern);
        std::error_code error;
        fs::directory_iterator it(folder, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error)) {
            std::string name = it->path().filename().native();
            if (name == "." || name == ".." || !endsWithNoCase(name, extension))
                continue;
            std::error_code typeError;
            entries.push_back({widenOneToOne(name), it->is_directory(typeError)});
        }
        return entries;
    }

    MessageAnswer messageBox(void* owner, const std::wstring& text, const std::wstring& title, MessageIcon icon,
                             MessageButtons buttons) override
    {
        std::string zenity = findProgram("zenity");
        if (!zenity.empty()) {
            std::vector<std::string> args;
            if (buttons == MessageButtons::Ok)
                args.push_back(icon == MessageIcon::Error      ? "--error"
                               : icon == MessageIcon::Question ? "--warning"
                                                               : "--info");
            else
                args.push_back("--question");
            args.insert(args.end(), {"--no-markup", "--title=" + utf8Text(title), "--text=" + utf8Text(text)});
            if (buttons != MessageButtons::Ok)
                args.insert(args.end(), {"--ok-label=Yes", "--cancel-label=No"});
            if (buttons == MessageButtons::YesNoCancel)
                args.push_back("--extra-button=Cancel");
            addOwner(args, owner, "--attach=");
            RunResult run = runProgram(zenity, args);
            if (run.started && !run.statusKnown)
                return unreadableAnswer(buttons);
            if (run.started && run.exitCode >= 0 && run.exitCode <= 1) {
                if (buttons == MessageButtons::Ok)
                    return MessageAnswer::Ok;
                if (run.exitCode == 0)
                    return MessageAnswer::Yes;
                if (buttons == MessageButtons::YesNoCancel && run.output.rfind("Cancel", 0) == 0)
                    return MessageAnswer::Cancel;
                // Closing the window is a refusal: Cancel where there is one, else No.
                if (buttons == MessageButtons::YesNoCancel && run.output.empty())
                    return MessageAnswer::Cancel;
                return MessageAnswer::No;
            }
        }
        std::string kdialog = findProgram("kdialog");
        if (!kdialog.empty()) {
            std::vector<std::string> args{"--title", utf8Text(title)};
            addOwner(args, owner, "--attach=");
            if (buttons == MessageButtons::Ok)
                args.push_back(icon == MessageIcon::Error ? "--error" : "--msgbox");
            else
                args.push_back(buttons == MessageButtons::YesNo ? "--yesno" : "--yesnocancel");
            args.push_back(utf8Text(text));
            RunResult run = runProgram(kdialog, args);
            if (run.started && !run.statusKnown)
                return unreadableAnswer(buttons);
            if (run.started && run.exitCode >= 0) {
                if (buttons == MessageButtons::Ok)
                    return MessageAnswer::Ok;
                if (run.exitCode == 0)
                    return MessageAnswer::Yes;
                if (run.exitCode == 1)
                    return MessageAnswer::No;
                return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::No;
            }
        }
        return MessageAnswer::Unavailable;
    }

    DialogResult fileDialog(void* owner, const FileDialogRequest& request, fs::path& chosen) override
    {
        fs::path start = request.initialFolder;
        std::string startText = start.empty() ? std::string() : start.native() + "/";
        startText += utf8Text(request.initialName);
        std::string filterName = utf8Text(request.filterName);
        std::string filterPattern = utf8Text(request.filterPattern);

        RunResult run;
        std::string zenity = findProgram("zenity");
        std::string kdialog = zenity.empty() ? findProgram("kdialog") : std::string();
        if (!zenity.empty()) {
            std::vector<std::string> args{"--file-selection", "--title=" + utf8Text(request.title),
                                          "--file-filter=" + filterName + " | " + filterPattern};
            if (request.save)
                args.insert(args.end(), {"--save", "--confirm-overwrite"});
            if (!startText.empty())
                args.push_back("--filename=" + startText);
            addOwner(args, owner, "--attach=");
            run = runProgram(zenity, args);
        } else if (!kdialog.empty()) {
            std::vector<std::string> args{"--title", utf8Text(request.title)};
            addOwner(args, owner, "--attach=");
            args.push_back(request.save ? "--getsavefilename" : "--getopenfilename");
            args.push_back(startText.empty() ? std::string(".") : startText);
            args.push_back(filterPattern + "|" + filterName);
            run = runProgram(kdialog, args);
        } else {
            return DialogResult::Unavailable;
        }
        if (!run.started || (run.statusKnown && (run.exitCode < 0 || run.exitCode > 1)))
            return DialogResult::Unavailable;
        std::string path = run.output;
        while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
            path.pop_back();
        // Without an exit status the printed path is the answer: both programs print one only
        // when a file was chosen.
        if ((run.statusKnown && run.exitCode != 0) || path.empty())
            return DialogResult::Cancelled;
        chosen = path;
        if (request.save && !request.defaultExtension.empty() && !chosen.has_extension())
            chosen.replace_extension(narrowOneToOne(request.defaultExtension));
        return DialogResult::Chosen;
    }

    bool openFolder(const fs::path& folder) override
    {
        std::string opener = findProgram("xdg-open");
        if (opener.empty())
            return false;
        RunResult run = runProgram(opener, {folder.native()});
        return run.started && run.exitCode == 0;
    }

    std::wstring unavailableReason() override
    {
        // Short lines: the editor may show this in its own window, which does not wrap text.
        return L"No file dialog program is installed.\nInstall zenity or kdialog (e.g. with\n"
               L"\"sudo apt install zenity\") to load and save files.";
    }

private:
    static std::string homeFolder()
    {
        const char* home = std::getenv("HOME");
        if (home && *home)
            return home;
        struct passwd entry;
        struct passwd* found = nullptr;
        char buffer[4096];
        if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
            return found->pw_dir;
        return {};
    }

    static void addOwner(std::vector<std::string>& args, void* owner, const char* option)
    {
        if (owner)
            args.push_back(option + std::to_string(reinterpret_cast<uintptr_t>(owner)));
    }
};

} // namespace

SystemServices& nativeSystemServices()
{
    static LinuxServices services;
    return services;
}
