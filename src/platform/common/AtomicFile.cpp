#include "platform/AtomicFile.h"

#include "platform/ReplaceFile.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool insideFolder(const fs::path& file, const fs::path& folder)
{
    std::error_code error;
    const fs::path root = fs::weakly_canonical(folder, error);
    if (error || root.empty())
        return false;
    const fs::path relative = file.lexically_relative(root);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

// Decides which file a save replaces, or why it must not.
WriteResult chooseTarget(const fs::path& requested, const fs::path& linkRoot, fs::path& target)
{
    std::error_code error;
    target = requested;
    if (fs::is_symlink(requested, error)) {
        const fs::path resolved = fs::weakly_canonical(requested, error);
        if (error || !fs::exists(resolved, error))
            return WriteResult::DanglingLink;
        if (linkRoot.empty() || !insideFolder(resolved, linkRoot))
            return WriteResult::LinkOutside;
        target = resolved;
    }
    if (fs::exists(target, error) && fileIsReadOnly(target))
        return WriteResult::ReadOnly;
    return WriteResult::Ok;
}

// Unique per writer: two instances, or two threads, saving the same file at once must never
// write into one temporary.
fs::path temporaryBeside(const fs::path& target)
{
    static std::atomic<unsigned long> counter{0};
    std::string suffix = ".";
    suffix += std::to_string(currentProcessId());
    suffix += '-';
    suffix += std::to_string(counter.fetch_add(1));
    suffix += ".tmp";
    fs::path temporary = target;
    temporary += suffix;
    return temporary;
}

// The temporary must be a new file: in a folder others may write, a link planted under its
// name would otherwise be followed ("x": exclusive creation, which never follows a link).
std::FILE* createForWriting(const fs::path& path)
{
#if defined(_WIN32)
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

// A replaced file keeps the permissions the user gave it.
void copyPermissions(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    const fs::file_status status = fs::status(from, error);
    if (!error && fs::exists(status))
        fs::permissions(to, status.permissions(), error);
}

} // namespace

WriteResult replaceFileSafely(const fs::path& requestedTarget, std::string_view contents, const fs::path& linkRoot)
{
    fs::path target;
    const WriteResult allowed = chooseTarget(requestedTarget, linkRoot, target);
    if (allowed != WriteResult::Ok)
        return allowed;
    const fs::path temporary = temporaryBeside(target);
    std::FILE* file = createForWriting(temporary);
    if (!file)
        return WriteResult::Failed;
    bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    // On disk before the rename, so a power cut leaves the old file or the new one, never an
    // empty one.
    written = std::fflush(file) == 0 && written;
    written = written && syncFileToDisk(file);
    written = std::fclose(file) == 0 && written;
    if (written) {
        copyPermissions(target, temporary);
        if (replaceFile(temporary, target))
            return WriteResult::Ok;
    }
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return WriteResult::Failed;
}

const char* writeRefusalText(WriteResult result)
{
    switch (result) {
    case WriteResult::ReadOnly:
        return "is read-only";
    case WriteResult::LinkOutside:
        return "is a link to a file outside the data folder";
    case WriteResult::DanglingLink:
        return "is a link to a file that does not exist";
    case WriteResult::Failed:
        return "could not be written";
    default:
        return "";
    }
}

bool writeFileAtomically(const fs::path& target, std::string_view contents)
{
    return replaceFileSafely(target, contents, {}) == WriteResult::Ok;
}
