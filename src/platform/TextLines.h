// Line-by-line reading of the program's text files, from disk or from memory. A line ends at a
// line feed; a carriage return right before it (or at the very end) is dropped, any other one
// stays. Lines longer than kMaxLineLength keep only their beginning, so a hostile file cannot
// make the reader hold more than one bounded line in memory. A UTF-8 byte-order mark at the very
// start (as some Windows editors write) is skipped.
#pragma once

#include <cstdint>
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
    // Why the file could not be opened ("is not a regular file"); empty when it opened.
    const std::string& openProblem() const { return problem; }
    // Reads the next line into line (empty at the end). Afterwards atEnd() tells whether the
    // data ran out before a line feed was found.
    void readLine(std::string& line);
    // Reads a line of at most maxLength bytes; false (and the line's remainder left unread) when
    // it is longer, so a header check on a file without line breaks stops at once.
    bool readShortLine(std::string& line, size_t maxLength);
    bool atEnd() const { return ended; }
    // The number of the line read last, counting from 1.
    int lineNumber() const { return lines; }

private:
    bool fromMemory() const { return file == nullptr && !opened; }
    int nextByte();
    bool readLineUpTo(std::string& line, size_t keep, size_t stopAfter);

    std::string_view memory;
    size_t memoryPos = 0;
    std::FILE* file = nullptr;
    bool opened = false;
    bool ended = false;
    int lines = 0;
    size_t consumed = 0;
    std::string problem;
    unsigned char buffer[16384];
    size_t bufferPos = 0;
    size_t bufferFill = 0;
};

// Reads an integer like the C library's strtol with base 0 ("0x" hexadecimal, a leading "0"
// octal, no number: 0), kept inside the int range.
int readBase0Integer(const std::string& text);

// The largest text file the program reads: a bank is a few hundred kB. Larger files are refused
// before reading, and a reader never takes more than this from a file that grows meanwhile.
inline constexpr std::uintmax_t kMaxTextFileSize = 16u * 1024 * 1024;

// Opens a regular file of at most kMaxTextFileSize bytes for binary reading. Anything else (a
// FIFO, which would block, a device, a folder, a huge file) is refused without reading or
// waiting; problem, when given, then says why ("is not a regular file").
std::FILE* openFileForReading(const std::filesystem::path& path, std::string* problem = nullptr);

// The platform's text-file line break: CR LF on Windows, LF elsewhere.
#if defined(_WIN32)
inline constexpr const char* kPlatformLineBreak = "\r\n";
#else
inline constexpr const char* kPlatformLineBreak = "\n";
#endif
