#include "AudioDevice.h"

#include "formats/standalone/StandaloneInstrument.h"

#include <alsa/asoundlib.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kDefaultRate = 48000;
constexpr int kDefaultFrames = 256;
constexpr unsigned kPeriods = 3; // one period plays, one waits, one is being rendered

struct PcmFormat {
    snd_pcm_format_t format;
    int bytes;
};
// The first the device takes: float needs no conversion, the others are what cards offer.
constexpr PcmFormat kFormats[] = {
    {SND_PCM_FORMAT_FLOAT_LE, 4}, {SND_PCM_FORMAT_S32_LE, 4}, {SND_PCM_FORMAT_S16_LE, 2}};

std::string alsaError(const std::string& what, int code)
{
    return what + ": " + snd_strerror(code);
}

class AlsaDevice final : public AudioDevice {
public:
    AlsaDevice(snd_pcm_t* openPcm, std::string deviceName) : pcm(openPcm), device(std::move(deviceName)) {}
    ~AlsaDevice() override
    {
        stop();
        snd_pcm_close(pcm);
    }

    // Stereo, interleaved, at the rate and period nearest the ones asked for.
    bool configure(int wantedRate, int wantedFrames, std::string& error)
    {
        snd_pcm_hw_params_t* hw = nullptr;
        snd_pcm_hw_params_alloca(&hw);
        int code = snd_pcm_hw_params_any(pcm, hw);
        if (code < 0) {
            error = alsaError("the device has no usable configuration", code);
            return false;
        }
        snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
        const PcmFormat* chosen = nullptr;
        for (const PcmFormat& candidate : kFormats)
            if (snd_pcm_hw_params_set_format(pcm, hw, candidate.format) == 0) {
                chosen = &candidate;
                break;
            }
        if (!chosen || snd_pcm_hw_params_set_channels(pcm, hw, 2) < 0) {
            error = "the device plays no stereo float, 32-bit or 16-bit samples";
            return false;
        }
        unsigned actualRate = unsigned(wantedRate);
        snd_pcm_uframes_t period = snd_pcm_uframes_t(wantedFrames);
        snd_pcm_uframes_t buffer = period * kPeriods;
        snd_pcm_hw_params_set_rate_near(pcm, hw, &actualRate, nullptr);
        snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr);
        snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer);
        code = snd_pcm_hw_params(pcm, hw);
        if (code < 0) {
            error = alsaError("the device refused stereo at " + std::to_string(wantedRate) + " Hz", code);
            return false;
        }
        snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
        snd_pcm_hw_params_get_buffer_size(hw, &buffer);
        format = *chosen;
        rate = int(actualRate);
        frames = int(std::clamp<snd_pcm_uframes_t>(period, 16, 8192));
        snd_pcm_sw_params_t* sw = nullptr;
        snd_pcm_sw_params_alloca(&sw);
        snd_pcm_sw_params_current(pcm, sw);
        // Start once the buffer is full, so the first periods do not underrun.
        snd_pcm_sw_params_set_start_threshold(pcm, sw, buffer - buffer % period);
        snd_pcm_sw_params_set_avail_min(pcm, sw, period);
        snd_pcm_sw_params(pcm, sw);
        return true;
    }

    std::string name() const override { return "ALSA " + device; }
    int sampleRate() const override { return rate; }
    int blockFrames() const override { return frames; }

    bool start(StandaloneInstrument& target, std::string& error) override
    {
        target.prepare(float(rate), frames);
        instrument = &target;
        left.assign(size_t(frames), 0.0f);
        right.assign(size_t(frames), 0.0f);
        interleaved.assign(size_t(frames) * 2 * size_t(format.bytes), 0);
        const int code = snd_pcm_prepare(pcm);
        if (code < 0) {
            error = alsaError("cannot start " + name(), code);
            return false;
        }
        running = true;
        thread = std::thread([this] { play(); });
        return true;
    }

    void stop() override
    {
        running = false;
        if (thread.joinable())
            thread.join();
        snd_pcm_drop(pcm);
    }

    bool lost(std::string& why) const override
    {
        if (!failed.load())
            return false;
        why = failure;
        return true;
    }

private:
    void play()
    {
        // A real-time thread where the system allows it; an ordinary one plays too, only with
        // more risk of dropouts.
        sched_param priority{};
        priority.sched_priority = std::max(1, sched_get_priority_max(SCHED_FIFO) / 2);
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
        while (running) {
            instrument->render(left.data(), right.data(), frames);
            convert();
            if (!write())
                return;
        }
    }

    void convert()
    {
        for (int i = 0; i < frames; ++i) {
            const float pair[2] = {left[size_t(i)], right[size_t(i)]};
            for (int c = 0; c < 2; ++c) {
                uint8_t* at = &interleaved[(size_t(i) * 2 + size_t(c)) * size_t(format.bytes)];
                const float v = std::clamp(pair[c], -1.0f, 1.0f);
                if (format.format == SND_PCM_FORMAT_FLOAT_LE) {
                    std::memcpy(at, &pair[c], 4);
                } else if (format.format == SND_PCM_FORMAT_S32_LE) {
                    const int32_t s = int32_t(double(v) * 2147483647.0);
                    std::memcpy(at, &s, 4);
                } else {
                    const int16_t s = int16_t(v * 32767.0f);
                    std::memcpy(at, &s, 2);
                }
            }
        }
    }

    // One period to the card; underruns are counted and recovered from.
    bool write()
    {
        const uint8_t* data = interleaved.data();
        snd_pcm_sframes_t remaining = frames;
        while (remaining > 0 && running) {
            const snd_pcm_sframes_t done = snd_pcm_writei(pcm, data, snd_pcm_uframes_t(remaining));
            if (done >= 0) {
                data += size_t(done) * 2 * size_t(format.bytes);
                remaining -= done;
                continue;
            }
            if (done == -EPIPE)
                instrument->countXrun();
            if (done == -EAGAIN)
                continue;
            if (snd_pcm_recover(pcm, int(done), 1) < 0) {
                failure = alsaError(name() + " stopped", int(done));
                failed = true;
                return false;
            }
        }
        return true;
    }

    snd_pcm_t* pcm;
    std::string device;
    PcmFormat format{SND_PCM_FORMAT_FLOAT_LE, 4};
    int rate = kDefaultRate;
    int frames = kDefaultFrames;
    StandaloneInstrument* instrument = nullptr;
    std::vector<float> left, right;
    std::vector<uint8_t> interleaved;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> failed{false};
    std::string failure;
};

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

} // namespace

void silenceAlsaLibrary()
{
    snd_lib_error_set_handler(quietAlsa);
}

std::unique_ptr<AudioDevice> openAlsaDevice(const DeviceOptions& options, std::string& error)
{
    const std::string device = options.device.empty() ? "default" : options.device;
    snd_pcm_t* pcm = nullptr;
    const int code = snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    if (code < 0) {
        error = "cannot open the audio device \"" + device + "\" (ALSA: " + snd_strerror(code) + ")";
        return nullptr;
    }
    auto opened = std::make_unique<AlsaDevice>(pcm, device);
    std::string why;
    if (!opened->configure(options.rate ? options.rate : kDefaultRate, options.frames ? options.frames : kDefaultFrames,
                           why)) {
        error = "cannot use the audio device \"" + device + "\": " + why;
        return nullptr;
    }
    return opened;
}

void listAlsaDevices()
{
    std::printf("ALSA playback devices (for --device):\n");
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) == 0) {
        for (void** hint = hints; *hint; ++hint) {
            char* name = snd_device_name_get_hint(*hint, "NAME");
            char* description = snd_device_name_get_hint(*hint, "DESC");
            char* direction = snd_device_name_get_hint(*hint, "IOID");
            if (name && (!direction || std::strcmp(direction, "Output") == 0)) {
                std::string text = description ? description : "";
                std::replace(text.begin(), text.end(), '\n', ' ');
                std::printf("  %-28s %s\n", name, text.c_str());
            }
            std::free(name);
            std::free(description);
            std::free(direction);
        }
        snd_device_name_free_hint(hints);
    }
}
