#include "MidiMapFile.h"

#include "platform/AtomicFile.h"
#include "platform/TextLines.h"

#include <cstdio>
#include <cstdlib>

namespace {

#if defined(_WIN32)
constexpr const char* kLineBreak = "\r\n";
#else
constexpr const char* kLineBreak = "\n";
#endif

// The highest parameter index and controller number a line may name.
constexpr long kHighestParameter = 198;
constexpr long kHighestController = 119;

// Longer lines cannot hold a number the map accepts; their tail is not needed.
constexpr size_t kMaxLineLength = 256;

bool inRange(int lineIndex, long value)
{
    if (lineIndex < kNumMappableControllers)
        return value >= -1 && value <= kHighestParameter;
    return value >= -1 && value <= kHighestController;
}

void storeLine(int lineIndex, std::string_view line, MidiMap& map)
{
    const long value = parseMidiMapLine(line);
    if (!inRange(lineIndex, value))
        return;
    if (lineIndex < kNumMappableControllers)
        map.ccMap[lineIndex].store(int(value), std::memory_order_relaxed);
    else
        map.modCcNumber[lineIndex - kNumMappableControllers].store(int(value), std::memory_order_relaxed);
}

} // namespace

long parseMidiMapLine(std::string_view line)
{
    std::string text(line.substr(0, kMaxLineLength));
    return std::strtol(text.c_str(), nullptr, 0);
}

void readMidiMapText(std::string_view text, MidiMap& map)
{
    map.clear();
    int lineIndex = 0;
    size_t start = 0;
    while (start < text.size() && lineIndex < kMidiMapLines) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        storeLine(lineIndex++, text.substr(start, end - start), map);
        start = end + 1;
    }
}

void readMidiMap(const std::filesystem::path& file, MidiMap& map)
{
    map.clear();
    // Only the first 122 lines count; the reader refuses FIFOs and huge files and skips a
    // byte-order mark.
    LineReader reader(file);
    if (!reader.isOpen())
        return;
    std::string line;
    for (int lineIndex = 0; lineIndex < kMidiMapLines && !reader.atEnd(); ++lineIndex) {
        reader.readLine(line);
        if (reader.atEnd() && line.empty())
            break;
        storeLine(lineIndex, line, map);
    }
}

std::string formatMidiMap(const MidiMap& map)
{
    std::string text;
    text.reserve(kMidiMapLines * 6);
    char number[16];
    auto addLine = [&](int value) {
        std::snprintf(number, sizeof number, "%d", value);
        text += number;
        text += kLineBreak;
    };
    for (const auto& entry : map.ccMap)
        addLine(entry.load(std::memory_order_relaxed));
    for (const auto& entry : map.modCcNumber)
        addLine(entry.load(std::memory_order_relaxed));
    return text;
}

WriteResult writeMidiMap(const std::filesystem::path& file, const MidiMap& map, const std::filesystem::path& linkRoot)
{
    return replaceFileSafely(file, formatMidiMap(map), linkRoot);
}
