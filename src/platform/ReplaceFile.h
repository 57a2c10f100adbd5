// Renames a file over another one, replacing it in one step where the system allows.
#pragma once

#include <filesystem>

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
