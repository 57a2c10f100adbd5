#include "platform/AtomicFile.h"

#include "platform/ReplaceFile.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Saving through a symbolic link writes the file it points to and keeps the link.
fs::path resolveLinks(const fs::path& target)
{
    std::error_code error;
    if (!fs::is_symlink(target, error))
        return target;
    const fs::path resolved = fs::weakly_canonical(target, error);
    return error ? target : resolved;
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

std::FILE* createForWriting(const fs::path& path)
{
#if defined(_WIN32)
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
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

bool writeFileAtomically(const fs::path& requestedTarget, std::string_view contents)
{
    const fs::path target = resolveLinks(requestedTarget);
    const fs::path temporary = temporaryBeside(target);
    std::FILE* file = createForWriting(temporary);
    if (!file)
        return false;
    bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    // On disk before the rename, so a power cut leaves the old file or the new one, never an
    // empty one.
    written = std::fflush(file) == 0 && written;
    written = written && syncFileToDisk(file);
    written = std::fclose(file) == 0 && written;
    if (written) {
        copyPermissions(target, temporary);
        if (replaceFile(temporary, target))
            return true;
    }
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
}
