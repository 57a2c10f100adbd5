#include "platform/AtomicFile.h"

#include "platform/ReplaceFile.h"

#include <cstdio>
#include <system_error>

bool writeFileAtomically(const std::filesystem::path& target, std::string_view contents)
{
    std::filesystem::path temporary = target;
    temporary += ".tmp";
#if defined(_WIN32)
    FILE* file = _wfopen(temporary.c_str(), L"wb");
#else
    FILE* file = std::fopen(temporary.c_str(), "wb");
#endif
    if (!file)
        return false;
    bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (written && replaceFile(temporary, target))
        return true;
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
}
