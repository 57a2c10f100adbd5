#include "MidiMapFile.h"

#include "platform/AtomicFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

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
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return;
    // Only the first 122 lines count, and of each only its head: a huge file costs nothing.
    std::string text;
    int lines = 0;
    size_t lineLength = 0;
    char c;
    while (lines < kMidiMapLines && in.get(c)) {
        if (c == '\n') {
            text.push_back(c);
            ++lines;
            lineLength = 0;
        } else if (lineLength < kMaxLineLength) {
            text.push_back(c);
            ++lineLength;
        }
    }
    readMidiMapText(text, map);
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

bool writeMidiMap(const std::filesystem::path& file, const MidiMap& map)
{
    return writeFileAtomically(file, formatMidiMap(map));
}
