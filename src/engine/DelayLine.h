// One line of the ping-pong delay: room for six seconds at the current rate, of which the first
// `length` samples form a circular delay of `length` samples.
#pragma once

#include "ZeroedBuffer.h"

#include <cstddef>
#include <cstdint>

struct DelayLine {
    float sampleRate = 0.0f;
    ZeroedBuffer buffer;
    int32_t capacity = 0;
    int32_t writeIndex = 0;
    int32_t length = 0;
    bool inUse = false;
    // Samples past this were never written since the line was last emptied, so clearing can
    // stop here (and leaves the rest of the six seconds untouched).
    int32_t reached = 0;

    // Reallocates six seconds of silence for the rate. Allocates: never on the audio thread.
    void allocate(float rate);

    // Takes a delay time; a length change drops the old content over the new length so that
    // stale echoes at the wrong distance are never heard. Returns true when it cleared.
    bool setTime(double seconds);

    // Empties the whole line once after it has been written to.
    void clearIfUsed();

    // Where exchange() would be after `frames` calls on a line of zeros.
    void skip(int frames)
    {
        if (frames <= 0)
            return;
        inUse = true;
        if (length <= 0) {
            writeIndex = 0;
            return;
        }
        writeIndex = static_cast<int32_t>((static_cast<int64_t>(writeIndex) + frames) % length);
    }

    // Reads the sample written `length` samples ago and puts x in its place.
    float exchange(float x)
    {
        const float out = buffer[static_cast<std::size_t>(writeIndex)];
        buffer[static_cast<std::size_t>(writeIndex)] = x;
        if (++writeIndex >= length)
            writeIndex = 0;
        inUse = true;
        return out;
    }
};
