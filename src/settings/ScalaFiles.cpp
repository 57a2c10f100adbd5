#include "settings/ScalaFiles.h"

#include "platform/TextLines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// The degrees a mapping may name, and the cents a pitch may lie from 1/1: far beyond any scale,
// yet every sum the key pitches take stays an exact, finite double.
constexpr long kMaxDegree = 100000;
constexpr double kMaxCents = 1.0e6;

// The lines of a Scala file that carry something: comments (a "!" first) are skipped, and blank
// lines too where no description is expected.
class ScalaLines {
public:
    explicit ScalaLines(LineReader& lineReader) : reader(lineReader) {}

    bool next(std::string& line, bool keepBlank = false)
    {
        for (;;) {
            if (reader.atEnd()) {
                current = reader.lineNumber() + 1;
                return false;
            }
            reader.readLine(line);
            current = reader.lineNumber();
            if (reader.atEnd() && line.empty())
                return false;
            if (!line.empty() && line[0] == '!')
                continue;
            if (keepBlank || line.find_first_not_of(" \t") != std::string::npos)
                return true;
        }
    }
    // The line returned last, or the one that would have followed the end.
    int number() const { return current; }

private:
    LineReader& reader;
    int current = 0;
};

bool refuse(TuningProblem& problem, int line, std::string reason)
{
    problem.line = line;
    problem.reason = std::move(reason);
    return false;
}

// The line as a message shows it: without its surrounding blanks, and short.
std::string shownText(std::string_view line)
{
    const size_t first = line.find_first_not_of(" \t");
    line = first == std::string_view::npos ? std::string_view() : line.substr(first);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    std::string text(line.substr(0, 40));
    if (line.size() > 40)
        text += "...";
    return "\"" + text + "\"";
}

struct Cursor {
    std::string_view text;
    size_t at = 0;

    void skipBlanks()
    {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
    }
    bool take(char c)
    {
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    // Blanks, then an optional sign: true when it was a minus.
    bool leadingMinus()
    {
        skipBlanks();
        if (take('-'))
            return true;
        take('+');
        return false;
    }
    bool atDigit() const { return at < text.size() && text[at] >= '0' && text[at] <= '9'; }
    // Decimal digits as a number (infinite when there are hundreds); how many there were.
    int digits(double& value)
    {
        value = 0.0;
        int count = 0;
        for (; atDigit(); ++at, ++count)
            value = value * 10.0 + double(text[at] - '0');
        return count;
    }
    // The digits after a decimal point: the C library would read them by the user's locale.
    int fraction(double& value)
    {
        value = 0.0;
        double scale = 0.1;
        int count = 0;
        for (; atDigit(); ++at, ++count, scale *= 0.1)
            value += double(text[at] - '0') * scale;
        return count;
    }
};

// A decimal number such as 440, 440.0 or .5, with an optional sign; what follows is ignored.
bool readDecimal(std::string_view text, double& value, bool& hasPoint)
{
    Cursor c{text};
    const bool negative = c.leadingMinus();
    double whole = 0.0, part = 0.0;
    int count = c.digits(whole);
    hasPoint = c.take('.');
    if (hasPoint)
        count += c.fraction(part);
    value = negative ? -(whole + part) : whole + part;
    return count > 0;
}

// A whole number with an optional sign, within limit either way; what follows is ignored.
bool readInteger(std::string_view text, long limit, long& value)
{
    Cursor c{text};
    const bool negative = c.leadingMinus();
    double magnitude = 0.0;
    if (c.digits(magnitude) == 0 || c.take('.') || magnitude > double(limit))
        return false;
    value = negative ? -long(magnitude) : long(magnitude);
    return true;
}

// A pitch line: cents when the value holds a period, otherwise a ratio ("3/2", or "2" for 2/1).
// Anything after the value is a remark.
bool readPitch(const std::string& line, int number, double& cents, TuningProblem& problem)
{
    const std::string noPitch = shownText(line) + " is no pitch: write cents such as 701.955 or a ratio such as 3/2";
    Cursor c{line};
    const bool negative = c.leadingMinus();
    double whole = 0.0, denominator = 1.0;
    const int count = c.digits(whole);
    if (c.at < line.size() && line[c.at] == '.') {
        bool hasPoint = false;
        if (!readDecimal(line, cents, hasPoint))
            return refuse(problem, number, noPitch);
    } else if (count == 0) {
        return refuse(problem, number, noPitch);
    } else {
        if (negative)
            return refuse(problem, number, "the ratio " + shownText(line) + " is negative");
        if (c.take('/') && c.digits(denominator) == 0)
            return refuse(problem, number, "the ratio " + shownText(line) + " has no denominator");
        if (whole == 0.0 || denominator == 0.0)
            return refuse(problem, number, "the ratio " + shownText(line) + " is zero or divides by zero");
        cents = 1200.0 * (std::log2(whole) - std::log2(denominator));
    }
    if (!std::isfinite(cents) || std::fabs(cents) > kMaxCents)
        return refuse(problem, number, "the pitch " + shownText(line) + " lies too far from 1/1");
    return true;
}

bool readScale(LineReader& reader, ScalaScale& scale, TuningProblem& problem)
{
    ScalaLines lines(reader);
    std::string line;
    ScalaScale read;
    if (!lines.next(line, true))
        return refuse(problem, lines.number(), "the file ends before the description of the scale");
    read.description = line;
    if (!lines.next(line))
        return refuse(problem, lines.number(), "the file ends before the number of notes");
    long notes = 0;
    if (!readInteger(line, LONG_MAX / 2, notes) || notes < 0)
        return refuse(problem, lines.number(), shownText(line) + " is not the number of notes of the scale");
    if (notes > kMaxScaleNotes)
        return refuse(problem, lines.number(),
                      "the scale has " + std::to_string(notes) + " notes, more than the " +
                          std::to_string(kMaxScaleNotes) + " a tuning can use");
    read.cents.reserve(size_t(notes));
    for (long n = 0; n < notes; ++n) {
        if (!lines.next(line))
            return refuse(problem, lines.number(),
                          "the file ends after " + std::to_string(n) + " of the " + std::to_string(notes) + " pitches");
        double cents = 0.0;
        if (!readPitch(line, lines.number(), cents, problem))
            return false;
        read.cents.push_back(cents);
    }
    scale = std::move(read);
    return true;
}

bool readKey(ScalaLines& lines, std::string& line, const char* what, int& key, TuningProblem& problem)
{
    if (!lines.next(line))
        return refuse(problem, lines.number(), std::string("the file ends before ") + what);
    long value = 0;
    if (!readInteger(line, 1000000, value) || value < 0 || value > 127)
        return refuse(problem, lines.number(), shownText(line) + " is not " + what + " (a key from 0 to 127)");
    key = int(value);
    return true;
}

bool readMapping(LineReader& reader, KeyboardMapping& mapping, TuningProblem& problem)
{
    ScalaLines lines(reader);
    std::string line;
    KeyboardMapping read;
    long value = 0;
    if (!lines.next(line))
        return refuse(problem, lines.number(), "the file ends before the size of the map");
    if (!readInteger(line, 1000000, value) || value < 0)
        return refuse(problem, lines.number(), shownText(line) + " is not the size of the map");
    if (value > kMaxMappingSize)
        return refuse(problem, lines.number(),
                      "a map of " + std::to_string(value) + " keys is larger than the " +
                          std::to_string(kMaxMappingSize) + " a tuning can use");
    read.size = int(value);
    if (!readKey(lines, line, "the first key to retune", read.firstKey, problem) ||
        !readKey(lines, line, "the last key to retune", read.lastKey, problem))
        return false;
    if (read.lastKey < read.firstKey)
        return refuse(problem, lines.number(), "the last key to retune lies below the first");
    if (!readKey(lines, line, "the middle key", read.middleKey, problem) ||
        !readKey(lines, line, "the reference key", read.referenceKey, problem))
        return false;
    const int referenceLine = lines.number();
    if (!lines.next(line))
        return refuse(problem, lines.number(), "the file ends before the reference frequency");
    bool hasPoint = false;
    if (!readDecimal(line, read.referenceHz, hasPoint) || !(read.referenceHz > 0.0) ||
        !std::isfinite(read.referenceHz) || read.referenceHz > 1.0e6)
        return refuse(problem, lines.number(), shownText(line) + " is not a reference frequency in hertz");
    if (!lines.next(line))
        return refuse(problem, lines.number(), "the file ends before the degree of the formal octave");
    if (!readInteger(line, kMaxDegree, value) || value < 0)
        return refuse(problem, lines.number(), shownText(line) + " is not the degree of the formal octave");
    read.octaveDegree = int(value);
    // Keys missing at the end of the pattern are silent, like those marked x.
    while (int(read.degrees.size()) < read.size && lines.next(line)) {
        Cursor c{line};
        c.skipBlanks();
        if (c.take('x') || c.take('X'))
            read.degrees.push_back(KeyboardMapping::kUnmapped);
        else if (readInteger(line, kMaxDegree, value))
            read.degrees.push_back(int(value));
        else
            return refuse(problem, lines.number(), shownText(line) + " is neither a scale degree nor x");
    }
    if (read.size > 0) {
        const int slot = ((read.referenceKey - read.middleKey) % read.size + read.size) % read.size;
        if (slot >= int(read.degrees.size()) || read.degrees[size_t(slot)] == KeyboardMapping::kUnmapped)
            return refuse(problem, referenceLine,
                          "the reference key " + std::to_string(read.referenceKey) + " is not mapped to a degree");
    }
    mapping = std::move(read);
    return true;
}

template <typename Read, typename Result>
bool readFile(const std::filesystem::path& file, Result& result, TuningProblem& problem, Read read)
{
    LineReader reader(file);
    if (!reader.isOpen())
        return refuse(problem, 0, reader.openProblem().empty() ? "the file cannot be opened" : reader.openProblem());
    return read(reader, result, problem);
}

int64_t floorDivide(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The degree a key plays; false for a silent key.
bool degreeOf(const KeyboardMapping& m, int key, int64_t scaleSize, int64_t& degree)
{
    const int64_t offset = key - m.middleKey;
    if (m.size <= 0) {
        degree = offset;
        return true;
    }
    const int64_t repeat = floorDivide(offset, m.size);
    const int64_t slot = offset - repeat * m.size;
    if (slot >= int64_t(m.degrees.size()) || m.degrees[size_t(slot)] == KeyboardMapping::kUnmapped)
        return false;
    degree = m.degrees[size_t(slot)] + repeat * (m.octaveDegree > 0 ? m.octaveDegree : scaleSize);
    return true;
}

double centsOf(const ScalaScale& s, int64_t degree)
{
    const int64_t size = int64_t(s.cents.size());
    if (size == 0)
        return 0.0;
    const int64_t period = floorDivide(degree, size);
    const int64_t step = degree - period * size;
    return double(period) * s.cents.back() + (step > 0 ? s.cents[size_t(step - 1)] : 0.0);
}

} // namespace

ScalaScale ScalaScale::standard()
{
    ScalaScale scale;
    scale.description = "Standard (12-TET)";
    for (int step = 1; step <= 12; ++step)
        scale.cents.push_back(100.0 * step);
    return scale;
}

bool parseScalaScale(std::string_view text, ScalaScale& scale, TuningProblem& problem)
{
    LineReader reader(text);
    return readScale(reader, scale, problem);
}

bool parseKeyboardMapping(std::string_view text, KeyboardMapping& mapping, TuningProblem& problem)
{
    LineReader reader(text);
    return readMapping(reader, mapping, problem);
}

bool readScalaScale(const std::filesystem::path& file, ScalaScale& scale, TuningProblem& problem)
{
    return readFile(file, scale, problem, readScale);
}

bool readKeyboardMapping(const std::filesystem::path& file, KeyboardMapping& mapping, TuningProblem& problem)
{
    return readFile(file, mapping, problem, readMapping);
}

void tunedKeyPitches(const ScalaScale& scale, const KeyboardMapping& mapping, float (&pitches)[128])
{
    const double lowest = 69.0 + 12.0 * std::log2(1.0 / 440.0);
    const double highest = 69.0 + 12.0 * std::log2(100000.0 / 440.0);
    const int64_t size = int64_t(scale.cents.size());
    int64_t referenceDegree = 0;
    if (!degreeOf(mapping, mapping.referenceKey, size, referenceDegree))
        referenceDegree = 0;
    const double hz = mapping.referenceHz > 0.0 && std::isfinite(mapping.referenceHz) ? mapping.referenceHz : 440.0;
    const double referenceNote = 69.0 + 12.0 * std::log2(hz / 440.0);
    const double referenceCents = centsOf(scale, referenceDegree);
    for (int key = 0; key < 128; ++key) {
        int64_t degree = 0;
        if (key < mapping.firstKey || key > mapping.lastKey) {
            pitches[key] = float(key);
        } else if (!degreeOf(mapping, key, size, degree)) {
            pitches[key] = NAN;
        } else {
            const double note = referenceNote + (centsOf(scale, degree) - referenceCents) / 100.0;
            pitches[key] = float(std::clamp(note, lowest, highest));
        }
    }
}
