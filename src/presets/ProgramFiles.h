// Preset (".hfp") and bank (".hfb") files: line-oriented text naming every value by its
// parameter's short name. These functions touch only the program records they are given, so a
// host-side tool can use them without a plug-in instance.
#pragma once

#include "params/ProgramStore.h"

#include <filesystem>
#include <string>
#include <string_view>

enum FileResult : int {
    kFileOk = 0,
    kFileCannotOpen = 1, // also: could not be written completely
    kFileWrongHeader = 2,
};

// What was wrong with a file, for the message that names it: the line (0: the file as a whole)
// and the reason ("the file ends before the program name").
struct FileProblem {
    int line = 0;
    std::string reason;
};

inline constexpr const char* kPresetHeader = "Morvelline Preset";
inline constexpr const char* kBankHeader = "Morvelline Preset Bank";

// The file texts, for writing and for tests.
std::string presetFileText(const ProgramRecord& program);
std::string bankFileText(const ProgramRecord* bank); // kNumPrograms records

// Parsing from memory; the loaders below use the same code on files. A preset is taken only
// whole: a wrong header or a file that ends before the empty line and the name (a file cut
// short) leaves the record as it was and gives kFileWrongHeader.
int parsePresetText(std::string_view text, ProgramRecord& program, FileProblem* problem = nullptr);
int parseBankText(std::string_view text, ProgramRecord* bank, FileProblem* problem = nullptr);

// Writes go to a temporary file renamed over the target: on failure the old file is intact. A
// read-only target is not replaced, and a target that is a symbolic link is followed only into
// linkRoot (the data folder; empty: never), see replaceFileSafely.
int savePresetFile(const ProgramRecord& program, const std::filesystem::path& path,
                   const std::filesystem::path& linkRoot = {}, FileProblem* problem = nullptr);
int loadPresetFile(ProgramRecord& program, const std::filesystem::path& path, FileProblem* problem = nullptr);
int saveBankFile(const ProgramRecord* bank, const std::filesystem::path& path,
                 const std::filesystem::path& linkRoot = {}, FileProblem* problem = nullptr);
int loadBankFile(ProgramRecord* bank, const std::filesystem::path& path, FileProblem* problem = nullptr);

// The same on a program store (programs 0 to 99; clipboards and undo are never touched).
inline int savePresetFile(const ProgramStore& store, int program, const std::filesystem::path& path)
{
    return savePresetFile(store.record(program), path);
}
inline int loadPresetFile(ProgramStore& store, int program, const std::filesystem::path& path)
{
    return loadPresetFile(store.record(program), path);
}
inline int saveBankFile(const ProgramStore& store, const std::filesystem::path& path)
{
    return saveBankFile(&store.record(0), path);
}
inline int loadBankFile(ProgramStore& store, const std::filesystem::path& path)
{
    return loadBankFile(&store.record(0), path);
}

// "%g" in the "C" locale whatever the host's locale is.
std::string formatValue(float value);
// C atof on the longest leading decimal number, "." as the decimal point in any locale; values
// that are not finite read as 0.
float parseValue(std::string_view token);
