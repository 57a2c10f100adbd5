#include "platform/TextLines.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

int readBase0Integer(const std::string& text)
{
    errno = 0;
    long value = std::strtol(text.c_str(), nullptr, 0);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int(value);
}

std::FILE* openFileForReading(const std::filesystem::path& path)
{
    // A folder opens on some systems and then reads as empty; it is no file to read.
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return nullptr;
#if defined(_WIN32)
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

LineReader::LineReader(const std::filesystem::path& path) : file(openFileForReading(path)), opened(true) {}

LineReader::~LineReader()
{
    if (file)
        std::fclose(file);
}

int LineReader::nextByte()
{
    if (!opened) {
        if (memoryPos >= memory.size())
            return EOF;
        return static_cast<unsigned char>(memory[memoryPos++]);
    }
    if (bufferPos == bufferFill) {
        if (!file)
            return EOF;
        bufferFill = std::fread(buffer, 1, sizeof buffer, file);
        bufferPos = 0;
        if (bufferFill == 0)
            return EOF;
    }
    return buffer[bufferPos++];
}

void LineReader::readLine(std::string& line)
{
    line.clear();
    if (ended)
        return;
    for (;;) {
        int c = nextByte();
        if (c == EOF) {
            ended = true;
            break;
        }
        if (c == '\n')
            break;
        if (line.size() < kMaxLineLength)
            line += char(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
}
