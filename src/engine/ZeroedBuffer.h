// A float array that starts as silence without being written: large blocks come from the
// system as zero pages, which take no memory until a sample is stored there. Delay lines and
// reverb rooms are sized for the longest settings, but most of them is never reached.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

class ZeroedBuffer {
public:
    ZeroedBuffer() = default;

    // Replaces the contents with `count` zeros. Allocates: never on the audio thread.
    void reset(std::size_t count)
    {
        samples.reset();
        size_ = 0;
        if (count == 0)
            return;
        samples.reset(static_cast<float*>(std::calloc(count, sizeof(float))));
        if (!samples)
            throw std::bad_alloc();
        size_ = count;
    }

    float* data() { return samples.get(); }
    const float* data() const { return samples.get(); }
    std::size_t size() const { return size_; }
    float& operator[](std::size_t i) { return samples[i]; }
    float operator[](std::size_t i) const { return samples[i]; }
    float* begin() { return data(); }
    float* end() { return data() + size_; }
    const float* begin() const { return data(); }
    const float* end() const { return data() + size_; }

private:
    struct Free {
        void operator()(float* p) const { std::free(p); }
    };
    std::unique_ptr<float[], Free> samples;
    std::size_t size_ = 0;
};
