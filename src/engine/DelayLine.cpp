#include "DelayLine.h"

#include <algorithm>
#include <cmath>

void DelayLine::allocate(float rate)
{
    sampleRate = rate;
    const double samples = static_cast<double>(rate) * 6.0000005;
    // At least one sample, so that a wild rate cannot leave an empty buffer behind exchange().
    capacity = samples >= 1.0 && samples < 2.0e9 ? static_cast<int32_t>(samples) : 1;
    buffer.reset(static_cast<size_t>(capacity));
    writeIndex = 0;
    length = 0;
    inUse = false;
    reached = 0;
}

bool DelayLine::setTime(double seconds)
{
    const double samples = seconds * static_cast<double>(sampleRate);
    int32_t k = 0;
    if (samples >= static_cast<double>(capacity))
        k = capacity;
    else if (samples >= 1.0)
        k = static_cast<int32_t>(samples);
    if (k == length)
        return false;
    length = k;
    if (writeIndex >= length)
        writeIndex = 0;
    const int32_t cleared = std::max<int32_t>(length, 1);
    std::fill_n(buffer.begin(), cleared, 0.0f);
    reached = std::max(reached, cleared);
    return true;
}

void DelayLine::clearIfUsed()
{
    if (!inUse)
        return;
    std::fill_n(buffer.begin(), std::min(std::max({reached, length, 1}), capacity), 0.0f);
    writeIndex = 0;
    inUse = false;
    reached = 0;
}
