// The system steps of a durable file replacement: sync a written file to disk, rename it over
// another one in one step, and name temporaries so that writers never share one.
#pragma once

#include <cstdio>
#include <filesystem>

// Pushes the file's written data to the disk; false when the system reports an error.
bool syncFileToDisk(std::FILE* file);
// Renames a file over another one, replacing it in one step where the system allows, and makes
// the rename itself durable where the system needs a separate step for that.
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
// True when an existing file may not be replaced by us: the read-only attribute on Windows, no
// write permission (or no write bit at all, which root would otherwise ignore) elsewhere.
bool fileIsReadOnly(const std::filesystem::path& file);
// This process's number, part of temporary file names.
unsigned long currentProcessId();
