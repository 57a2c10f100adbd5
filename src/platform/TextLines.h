// Line-by-line reading of the program's text files, from disk or from memory. A line ends at a
// line feed; a carriage return right before it (or at the very end) is dropped, any other one
// stays. Lines longer than kMaxLineLength keep only their beginning, so a hostile file cannot
// make the reader hold more than one bounded line in memory.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

class LineReader {
public:
    static constexpr size_t kMaxLineLength = 64 * 1024;

    explicit LineReader(std::string_view data) : memory(data) {}
    // Opens a file for reading; check isOpen().
    explicit LineReader(const std::filesystem::path& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return fromMemory() || file != nullptr; }
    // Reads the next line into line (empty at the end). Afterwards atEnd() tells whether the
    // data ran out before a line feed was found.
    void readLine(std::string& line);
    bool atEnd() const { return ended; }

private:
    bool fromMemory() const { return file == nullptr && !opened; }
    int nextByte();

    std::string_view memory;
    size_t memoryPos = 0;
    std::FILE* file = nullptr;
    bool opened = false;
    bool ended = false;
    unsigned char buffer[16384];
    size_t bufferPos = 0;
    size_t bufferFill = 0;
};

// Reads an integer like the C library's strtol with base 0 ("0x" hexadecimal, a leading "0"
// octal, no number: 0), kept inside the int range.
int readBase0Integer(const std::string& text);

// Opens a file for binary writing of text files on every system.
std::FILE* openFileForReading(const std::filesystem::path& path);

// The platform's text-file line break: CR LF on Windows, LF elsewhere.
#if defined(_WIN32)
inline constexpr const char* kPlatformLineBreak = "\r\n";
#else
inline constexpr const char* kPlatformLineBreak = "\n";
#endif
