#include "WavWriter.h"

#include <sndfile.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

WavWriter::WavWriter(const std::string& path, int sampleRate, int channels, SampleFormat format)
    : target(path), channelCount(channels)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw WavError("cannot write '" + path + "': it is a directory");
    temporary = path + ".part" + std::to_string(getpid());
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | (format == SampleFormat::Pcm16   ? SF_FORMAT_PCM_16
                                   : format == SampleFormat::Pcm24 ? SF_FORMAT_PCM_24
                                                                   : SF_FORMAT_FLOAT);
    SNDFILE* f = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (!f)
        throw WavError("cannot write '" + path + "': " + sf_strerror(nullptr));
    // Integer formats clip instead of wrapping around on overs.
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    file = f;
}

WavWriter::~WavWriter()
{
    if (file) {
        sf_close(static_cast<SNDFILE*>(file));
        std::remove(temporary.c_str());
    }
}

void WavWriter::write(const float* const* channels, int frames)
{
    if (!file)
        throw WavError("cannot write '" + target + "': the file is already closed");
    interleaved.resize(size_t(frames) * size_t(channelCount));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channelCount; ++c)
            interleaved[size_t(i) * size_t(channelCount) + size_t(c)] = channels[c][i];
    sf_count_t written = sf_writef_float(static_cast<SNDFILE*>(file), interleaved.data(), frames);
    if (written != frames)
        throw WavError("cannot write '" + target + "': " + sf_strerror(static_cast<SNDFILE*>(file)));
}

void WavWriter::finish()
{
    if (!file)
        return;
    SNDFILE* f = static_cast<SNDFILE*>(file);
    file = nullptr;
    sf_write_sync(f);
    int closeError = sf_close(f);
    if (closeError != 0) {
        std::remove(temporary.c_str());
        throw WavError("cannot write '" + target + "': " + sf_error_number(closeError));
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::remove(temporary.c_str());
        throw WavError("cannot write '" + target + "': " + ec.message());
    }
}
