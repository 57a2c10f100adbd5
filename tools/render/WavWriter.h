// Writes a WAV file through libsndfile: into a temporary file beside the target, renamed over it
// only when everything was written, so a failed render never leaves a broken or half file.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

enum class SampleFormat { Pcm16, Pcm24, Float32 };

class WavError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class WavWriter {
public:
    WavWriter(const std::string& path, int sampleRate, int channels, SampleFormat format);
    ~WavWriter(); // without finish(), the temporary file is removed
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    void write(const float* const* channels, int frames);
    void finish();

private:
    std::string target;
    std::string temporary;
    void* file = nullptr; // SNDFILE*
    int channelCount;
    std::vector<float> interleaved;
};
