#include "DisplayTextParse.h"

#include "DisplayText.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Coded values sit on hundredths; the fine grid finds continuous values to refine.
constexpr int kCodeSteps = 100;
constexpr int kGridSteps = 4096;

std::string normalized(const char* text)
{
    std::string out;
    for (const char* c = text; *c; ++c)
        if (!std::isspace(static_cast<unsigned char>(*c)))
            out += char(std::tolower(static_cast<unsigned char>(*c)));
    return out;
}

// The number in a text: the first signed decimal, with a "k" straight after it for thousands.
// Pans read left as negative.
std::optional<double> numberIn(const std::string& text)
{
    const size_t start = text.find_first_of("+-.0123456789");
    if (start == std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    double number = std::strtod(text.c_str() + start, &end);
    if (end == text.c_str() + start)
        return std::nullopt;
    if (*end == 'k')
        number *= 1000.0;
    if (text[0] == 'l')
        number = -number;
    return number;
}

std::optional<std::string> textOf(int index, float value, float linkedValue)
{
    char text[kDisplayTextSize + 8] = "";
    if (!formatParamDisplay(index, value, linkedValue, text))
        return std::nullopt;
    return normalized(text);
}

std::optional<double> numberOf(int index, float value, float linkedValue)
{
    const auto text = textOf(index, value, linkedValue);
    return text ? numberIn(*text) : std::nullopt;
}

std::optional<float> exactMatch(int index, const std::string& wanted, float linkedValue)
{
    for (int steps : {kCodeSteps, kGridSteps})
        for (int k = 0; k <= steps; ++k) {
            const float value = float(k) / float(steps);
            if (textOf(index, value, linkedValue) == wanted)
                return value;
        }
    return std::nullopt;
}

// The grid value whose number is nearest, then halving toward the number between its
// neighbours, which works wherever the display is monotonic there.
std::optional<float> nearestNumber(int index, double wanted, float linkedValue)
{
    int best = -1;
    double bestDistance = INFINITY;
    for (int k = 0; k <= kGridSteps; ++k)
        if (const auto number = numberOf(index, float(k) / kGridSteps, linkedValue))
            if (std::fabs(*number - wanted) < bestDistance) {
                bestDistance = std::fabs(*number - wanted);
                best = k;
            }
    if (best < 0)
        return std::nullopt;
    float low = float(std::max(best - 1, 0)) / kGridSteps;
    float high = float(std::min(best + 1, kGridSteps)) / kGridSteps;
    float value = float(best) / kGridSteps;
    const auto lowNumber = numberOf(index, low, linkedValue);
    const auto highNumber = numberOf(index, high, linkedValue);
    if (!lowNumber || !highNumber || *lowNumber == *highNumber)
        return value;
    const bool rising = *highNumber > *lowNumber;
    for (int step = 0; step < 24; ++step) {
        const float middle = 0.5f * (low + high);
        const auto number = numberOf(index, middle, linkedValue);
        if (!number)
            break;
        if (std::fabs(*number - wanted) <= bestDistance) {
            bestDistance = std::fabs(*number - wanted);
            value = middle;
        }
        if ((*number < wanted) == rising)
            low = middle;
        else
            high = middle;
    }
    return value;
}

} // namespace

bool parseParamDisplay(int index, const char* text, float linkedValue, float& value)
{
    if (index < 0 || index >= kNumParams || !text)
        return false;
    const std::string wanted = normalized(text);
    std::optional<float> found = exactMatch(index, wanted, linkedValue);
    if (!found)
        if (const auto number = numberIn(wanted))
            found = nearestNumber(index, *number, linkedValue);
    if (!found)
        return false;
    value = *found;
    return true;
}
