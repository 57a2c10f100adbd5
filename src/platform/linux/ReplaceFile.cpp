#include "platform/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool syncFileToDisk(std::FILE* file)
{
    return fsync(fileno(file)) == 0;
}

namespace {

// A rename is an entry in the folder: until the folder reaches the disk, a power cut can bring
// back the old entry. Some file systems cannot sync a folder; the data itself is safe by then.
void syncFolder(const std::filesystem::path& folder)
{
    const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    close(descriptor);
}

} // namespace

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return false;
    syncFolder(to.parent_path());
    return true;
}

bool fileIsReadOnly(const std::filesystem::path& file)
{
    struct stat status;
    if (stat(file.c_str(), &status) != 0)
        return false;
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(file.c_str(), W_OK) != 0;
}

unsigned long currentProcessId()
{
    return static_cast<unsigned long>(getpid());
}
