// Writing a file so that a failed or interrupted write never destroys the old one: the contents
// go to a temporary file beside the target, reach the disk, and are then renamed over it.
#pragma once

#include <filesystem>
#include <string_view>

enum class WriteResult {
    Ok,
    Failed,       // could not be created, written completely or renamed
    ReadOnly,     // the existing file is read-only: it is not replaced
    LinkOutside,  // a symbolic link to a file outside the allowed folder: link and file are kept
    DanglingLink, // a symbolic link that leads to no file: it is kept
};

// A target that is a symbolic link is followed (the file it points to is replaced, the link kept)
// only when that file lies inside linkRoot. A data folder beside a plug-in may be writable by
// other users; a link there must not let a save overwrite files elsewhere. With an empty
// linkRoot no link is followed.
WriteResult replaceFileSafely(const std::filesystem::path& target, std::string_view contents,
                              const std::filesystem::path& linkRoot);
// Why a write failed, to follow the file's name in a message ("is read-only"); empty for Ok.
const char* writeRefusalText(WriteResult result);

// The same without any link followed; true only when the whole contents replaced the target.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view contents);
