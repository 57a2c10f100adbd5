// Writing a file so that a failed or interrupted write never destroys the old one: the contents
// go to a temporary file beside the target, reach the disk, and are then renamed over it. A
// target that is a symbolic link stays one: the file it points to is replaced.
#pragma once

#include <filesystem>
#include <string_view>

// True only when the whole contents reached the disk and replaced the target.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view contents);
