#include "presets/ProgramFiles.h"

#include "platform/AtomicFile.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Reads the next whitespace-delimited token starting at pos; empty when the line is exhausted.
std::string_view nextToken(std::string_view line, size_t& pos)
{
    while (pos < line.size() && isSpace(line[pos]))
        ++pos;
    size_t start = pos;
    while (pos < line.size() && !isSpace(line[pos]))
        ++pos;
    return line.substr(start, pos - start);
}

// Splits off the key (up to the first space) and finds its parameter; -1 for unknown keys.
int lineParameter(const std::string& line, size_t& rest)
{
    size_t space = line.find(' ');
    std::string key = line.substr(0, space);
    rest = space == std::string::npos ? line.size() : space;
    return findParamByShortName(key.c_str());
}

void setName(ProgramRecord& program, const std::string& text)
{
    size_t n = std::min(text.size(), size_t(kProgramNameSize - 1));
    std::memcpy(program.name, text.data(), n);
    program.name[n] = 0;
}

// A name goes on one line: a line break inside it would shift every line after it.
std::string nameLine(const ProgramRecord& program)
{
    const char* end = std::find(program.name, program.name + kProgramNameSize - 1, '\0');
    std::string name(program.name, end);
    for (char& c : name)
        if (c == '\r' || c == '\n')
            c = ' ';
    return name;
}

// Checks the header, then hands each value line up to the empty line that ends them to
// takeValues with the line, the parameter index its key names and the position after the key.
// Lines with unknown keys are skipped.
template <typename TakeValues>
bool readValueLines(LineReader& reader, const char* header, std::string& line, TakeValues takeValues)
{
    // Room for a byte-order mark and a CR; a longer first line is no header, however long it is.
    if (!reader.readShortLine(line, std::strlen(header) + 8) || line != header)
        return false;
    while (!reader.atEnd()) {
        reader.readLine(line);
        if (line.empty())
            break;
        size_t pos = 0;
        int index = lineParameter(line, pos);
        if (index >= 0)
            takeValues(line, index, pos);
    }
    return true;
}

int refuse(FileProblem* problem, int line, const char* reason)
{
    if (problem) {
        problem->line = line;
        problem->reason = reason;
    }
    return kFileWrongHeader;
}

int readPreset(LineReader& reader, ProgramRecord& program, FileProblem* problem)
{
    // Into a scratch copy: a file that turns out broken must not change the program at all.
    ProgramRecord scratch;
    scratch.copyFrom(program);
    std::string line;
    const bool isPreset = readValueLines(reader, kPresetHeader, line, [&](const std::string& l, int index, size_t pos) {
        scratch.set(index, parseValue(nextToken(l, pos)));
    });
    if (!isPreset)
        return refuse(problem, 1, "the first line is not \"Morvelline Preset\"");
    // The value lines end with an empty line and the name follows; a file that stops before the
    // empty line was cut short, and its last value may be cut too.
    if (reader.atEnd())
        return refuse(problem, reader.lineNumber(), "the file ends before the empty line and the program name");
    reader.readLine(line);
    setName(scratch, line);
    program.copyFrom(scratch);
    return kFileOk;
}

int readBank(LineReader& reader, ProgramRecord* bank, FileProblem* problem)
{
    std::string line;
    const bool isBank = readValueLines(reader, kBankHeader, line, [&](const std::string& l, int index, size_t pos) {
        for (int program = 0; program < kNumPrograms; ++program) {
            std::string_view token = nextToken(l, pos);
            if (token.empty())
                break;
            bank[program].set(index, parseValue(token));
        }
    });
    if (!isBank)
        return refuse(problem, 1, "the first line is not \"Morvelline Preset Bank\"");
    for (int program = 0; program < kNumPrograms && !reader.atEnd(); ++program) {
        reader.readLine(line);
        setName(bank[program], line);
    }
    return kFileOk;
}

} // namespace

std::string formatValue(float value)
{
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, double(value), std::chars_format::general, 6);
    return std::string(text, result.ptr);
}

float parseValue(std::string_view token)
{
    size_t pos = 0;
    while (pos < token.size() && isSpace(token[pos]))
        ++pos;
    bool negative = false;
    if (pos < token.size() && (token[pos] == '+' || token[pos] == '-')) {
        negative = token[pos] == '-';
        ++pos;
    }
    // Only plain decimal numbers: "inf", "nan" and the like are not values a program can use.
    if (pos >= token.size() || !(std::isdigit(static_cast<unsigned char>(token[pos])) || token[pos] == '.'))
        return 0.0f;
    double value = 0.0;
    auto result = std::from_chars(token.data() + pos, token.data() + token.size(), value, std::chars_format::general);
    if (result.ec != std::errc())
        return 0.0f;
    float narrowed = float(negative ? -value : value);
    return std::isfinite(narrowed) ? narrowed : 0.0f;
}

std::string presetFileText(const ProgramRecord& program)
{
    std::string text = kPresetHeader;
    text += "\r\n";
    for (int i = 0; i < kNumParams; ++i) {
        text += kParamTable[i].shortName;
        text += ' ';
        text += formatValue(program.get(i));
        text += "\r\n";
    }
    text += "\r\n";
    text += nameLine(program);
    text += "\r\n";
    return text;
}

std::string bankFileText(const ProgramRecord* bank)
{
    std::string text = kBankHeader;
    text += "\r\n";
    for (int i = 0; i < kNumParams; ++i) {
        text += kParamTable[i].shortName;
        for (int program = 0; program < kNumPrograms; ++program) {
            text += ' ';
            text += formatValue(bank[program].get(i));
        }
        text += "\r\n";
    }
    text += "\r\n";
    for (int program = 0; program < kNumPrograms; ++program) {
        text += nameLine(bank[program]);
        text += "\r\n";
    }
    return text;
}

int parsePresetText(std::string_view text, ProgramRecord& program, FileProblem* problem)
{
    LineReader reader(text);
    return readPreset(reader, program, problem);
}

int parseBankText(std::string_view text, ProgramRecord* bank, FileProblem* problem)
{
    LineReader reader(text);
    return readBank(reader, bank, problem);
}

namespace {

int writeFile(const std::filesystem::path& path, const std::string& text, const std::filesystem::path& linkRoot,
              FileProblem* problem)
{
    const WriteResult result = replaceFileSafely(path, text, linkRoot);
    if (result == WriteResult::Ok)
        return kFileOk;
    if (problem) {
        problem->line = 0;
        problem->reason = writeRefusalText(result);
    }
    return kFileCannotOpen;
}

// Opens a file for a loader; when it cannot, says why.
bool openForLoading(LineReader& reader, FileProblem* problem)
{
    if (reader.isOpen())
        return true;
    if (problem) {
        problem->line = 0;
        problem->reason = reader.openProblem();
    }
    return false;
}

} // namespace

int savePresetFile(const ProgramRecord& program, const std::filesystem::path& path,
                   const std::filesystem::path& linkRoot, FileProblem* problem)
{
    return writeFile(path, presetFileText(program), linkRoot, problem);
}

int loadPresetFile(ProgramRecord& program, const std::filesystem::path& path, FileProblem* problem)
{
    LineReader reader(path);
    if (!openForLoading(reader, problem))
        return kFileCannotOpen;
    return readPreset(reader, program, problem);
}

int saveBankFile(const ProgramRecord* bank, const std::filesystem::path& path, const std::filesystem::path& linkRoot,
                 FileProblem* problem)
{
    return writeFile(path, bankFileText(bank), linkRoot, problem);
}

int loadBankFile(ProgramRecord* bank, const std::filesystem::path& path, FileProblem* problem)
{
    LineReader reader(path);
    if (!openForLoading(reader, problem))
        return kFileCannotOpen;
    return readBank(reader, bank, problem);
}
