#include "platform/TextLines.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr const char kByteOrderMark[] = "\xEF\xBB\xBF";

const char* const kNotRegular = "is not a regular file";
const char* const kTooLarge = "is larger than 16 MB";

void setProblem(std::string* problem, const std::string& text)
{
    if (problem)
        *problem = text;
}

} // namespace

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

std::FILE* openFileForReading(const std::filesystem::path& path, std::string* problem)
{
#if defined(_WIN32)
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) {
        setProblem(problem, "does not exist");
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status)) {
        setProblem(problem, kNotRegular);
        return nullptr;
    }
    if (std::filesystem::file_size(path, error) > kMaxTextFileSize) {
        setProblem(problem, kTooLarge);
        return nullptr;
    }
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        setProblem(problem, "cannot be opened");
    return file;
#else
    // Non-blocking, so that opening a FIFO returns at once; the kind is checked on what was
    // opened, not on the name, which may change in between.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        setProblem(problem, std::string("cannot be opened (") + std::strerror(errno) + ")");
        return nullptr;
    }
    struct stat status;
    const char* refusal = nullptr;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        refusal = kNotRegular;
    else if (std::uintmax_t(status.st_size) > kMaxTextFileSize)
        refusal = kTooLarge;
    std::FILE* file = refusal ? nullptr : fdopen(descriptor, "rb");
    if (!file) {
        setProblem(problem, refusal ? refusal : "cannot be opened");
        close(descriptor);
    }
    return file;
#endif
}

LineReader::LineReader(const std::filesystem::path& path) : opened(true)
{
    file = openFileForReading(path, &problem);
}

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
        if (!file || consumed >= kMaxTextFileSize)
            return EOF;
        bufferFill = std::fread(buffer, 1, sizeof buffer, file);
        bufferPos = 0;
        consumed += bufferFill;
        if (bufferFill == 0)
            return EOF;
    }
    return buffer[bufferPos++];
}

bool LineReader::readLineUpTo(std::string& line, size_t keep, size_t stopAfter)
{
    line.clear();
    if (ended)
        return true;
    ++lines;
    size_t length = 0;
    bool complete = true;
    for (;;) {
        if (length == stopAfter) {
            complete = false;
            break;
        }
        int c = nextByte();
        if (c == EOF) {
            ended = true;
            break;
        }
        if (c == '\n')
            break;
        ++length;
        if (line.size() < keep)
            line += char(c);
    }
    if (lines == 1 && line.compare(0, 3, kByteOrderMark) == 0)
        line.erase(0, 3);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return complete;
}

void LineReader::readLine(std::string& line)
{
    readLineUpTo(line, kMaxLineLength, SIZE_MAX);
}

bool LineReader::readShortLine(std::string& line, size_t maxLength)
{
    return readLineUpTo(line, maxLength, maxLength);
}
