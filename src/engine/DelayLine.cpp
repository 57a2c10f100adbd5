#include "DelayLine.h"

#include <algorithm>
#include <cmath>

void DelayLine::allocate(float rate)
{
    sampleRate = rate;
    const double samples = static_cast<double>(rate) * 6.0000005;
    // At least one sample, so that a wild rate cannot leave an empty buffer behind exchange().
    capacity = samples >= 1.0 && samples < 2.0e9 ? static_cast<int32_t>(samples) : 1;
    buffer.assign(static_cast<size_t>(capacity), 0.0f);
    writeIndex = 0;
    length = 0;
    inUse = false;
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
    std::fill_n(buffer.begin(), std::max<int32_t>(length, 1), 0.0f);
    return true;
}

void DelayLine::clearIfUsed()
{
    if (!inUse)
        return;
    std::fill(buffer.begin(), buffer.end(), 0.0f);
    writeIndex = 0;
    inUse = false;
}
