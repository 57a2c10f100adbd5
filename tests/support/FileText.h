// Whole-file reads and writes for tests that check what landed on disk.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeAll(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}
