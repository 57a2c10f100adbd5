// A small JACK client for the program's live tests. "play" sends two notes to Morvelline's MIDI
// input at known frames and records its outputs from the same frame on; it also writes the notes
// as a MIDI file for the render host. "compare" finds the live recording's latency against the
// render, then checks pitch and waveform. "record" only records (two seconds), "pitch" checks the
// first sound in a recording.
#include "support/SignalMeasure.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kNoteFrames = 24000; // half a second: 480 ticks at 120 beats a minute, 480 a beat
constexpr int kRecordFrames = 4 * kNoteFrames;
constexpr int kLongestLatency = 2048;

struct Note {
    int frame;
    uint8_t status, key, velocity;
};
constexpr Note kNotes[] = {{0, 0x90, 69, 100}, {kNoteFrames, 0x80, 69, 0}, {kNoteFrames, 0x90, 76, 100},
                           {2 * kNoteFrames, 0x80, 76, 0}};
constexpr double kPitches[] = {440.0, 659.2551};

int fail(const std::string& why)
{
    std::fprintf(stderr, "FAILED: %s\n", why.c_str());
    return 1;
}

struct Probe {
    jack_client_t* sender = nullptr;
    jack_client_t* recorder = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* in[2] = {};
    std::atomic<int64_t> start{-1}; // the frame time the notes count from; -1 until connected
    std::vector<float> recording[2];
    std::atomic<int> recorded{0};
    size_t sent = 0;
};

int sendNotes(jack_nframes_t frames, void* self)
{
    auto& probe = *static_cast<Probe*>(self);
    void* buffer = jack_port_get_buffer(probe.midiOut, frames);
    jack_midi_clear_buffer(buffer);
    const int64_t start = probe.start.load();
    if (start < 0)
        return 0;
    const int64_t cycle = int64_t(jack_last_frame_time(probe.sender));
    while (probe.sent < std::size(kNotes)) {
        const Note& note = kNotes[probe.sent];
        const int64_t at = start + note.frame - cycle;
        if (at >= int64_t(frames))
            break;
        const uint8_t bytes[3] = {note.status, note.key, note.velocity};
        jack_midi_event_write(buffer, jack_nframes_t(std::max<int64_t>(at, 0)), bytes, 3);
        ++probe.sent;
    }
    return 0;
}

int record(jack_nframes_t frames, void* self)
{
    auto& probe = *static_cast<Probe*>(self);
    const int64_t start = probe.start.load();
    if (start < 0)
        return 0;
    const int64_t cycle = int64_t(jack_last_frame_time(probe.recorder));
    for (int c = 0; c < 2; ++c) {
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(probe.in[c], frames));
        for (jack_nframes_t i = 0; i < frames; ++i) {
            const int64_t at = cycle + i - start;
            if (at >= 0 && at < kRecordFrames)
                probe.recording[c][size_t(at)] = samples[i];
        }
    }
    probe.recorded.store(int(std::clamp<int64_t>(cycle + frames - start, 0, kRecordFrames)));
    return 0;
}

bool writeWav(const std::string& path, const std::vector<float>& left, const std::vector<float>& right)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> frames(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        frames[2 * i] = left[i];
        frames[2 * i + 1] = right[i];
    }
    const bool whole = sf_writef_float(file, frames.data(), sf_count_t(left.size())) == sf_count_t(left.size());
    return sf_close(file) == 0 && whole;
}

bool readLeft(const std::string& path, std::vector<float>& left)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file || info.samplerate != kRate || info.channels < 1)
        return false;
    std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    left.resize(size_t(info.frames));
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = frames[i * size_t(info.channels)];
    return true;
}

// The notes as a one-track MIDI file: 480 ticks a beat at the default 120 beats a minute.
bool writeMidi(const std::string& path)
{
    std::vector<uint8_t> track;
    int last = 0;
    for (const Note& note : kNotes) {
        const int ticks = (note.frame - last) * 960 / kRate;
        last = note.frame;
        if (ticks >= 128)
            track.push_back(uint8_t(0x80 | (ticks >> 7)));
        track.insert(track.end(), {uint8_t(ticks & 0x7F), note.status, note.key, note.velocity});
    }
    track.insert(track.end(), {0, 0xFF, 0x2F, 0});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 480 >> 8, 480 & 0xFF, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8)
        file.push_back(uint8_t(track.size() >> shift));
    file.insert(file.end(), track.begin(), track.end());
    FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return out && std::fclose(out) == 0 && written;
}

// Without a MIDI file to write, nothing is sent.
int play(const std::string& wavPath, const std::string& midiPath)
{
    if (!midiPath.empty() && !writeMidi(midiPath))
        return fail("cannot write " + midiPath);
    Probe probe;
    if (midiPath.empty())
        probe.sent = std::size(kNotes);
    jack_status_t status{};
    probe.sender = jack_client_open("probe-sender", JackNoStartServer, &status);
    probe.recorder = jack_client_open("probe-recorder", JackNoStartServer, &status);
    if (!probe.sender || !probe.recorder)
        return fail("cannot reach the JACK server");
    probe.midiOut = jack_port_register(probe.sender, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    probe.in[0] = jack_port_register(probe.recorder, "in_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    probe.in[1] = jack_port_register(probe.recorder, "in_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    for (auto& channel : probe.recording)
        channel.assign(kRecordFrames, 0.0f);
    jack_set_process_callback(probe.sender, sendNotes, &probe);
    jack_set_process_callback(probe.recorder, record, &probe);
    if (jack_activate(probe.sender) || jack_activate(probe.recorder))
        return fail("cannot activate the probe's clients");
    // Morvelline may still be starting.
    bool connected = false;
    for (int tries = 0; tries < 200 && !connected; ++tries) {
        connected = jack_connect(probe.sender, "probe-sender:midi_out", "Morvelline:midi_in") == 0 &&
                    jack_connect(probe.recorder, "Morvelline:out_l", "probe-recorder:in_l") == 0 &&
                    jack_connect(probe.recorder, "Morvelline:out_r", "probe-recorder:in_r") == 0;
        if (!connected)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!connected)
        return fail("Morvelline's ports did not appear");
    probe.start.store(int64_t(jack_frame_time(probe.sender)) + kRate / 10);
    std::printf("recording\n"); // for a caller that plays into the recording itself
    std::fflush(stdout);
    for (int waited = 0; probe.recorded.load() < kRecordFrames && waited < 200; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    jack_client_close(probe.sender);
    jack_client_close(probe.recorder);
    if (probe.recorded.load() < kRecordFrames)
        return fail("the server stopped before the recording was whole");
    return writeWav(wavPath, probe.recording[0], probe.recording[1]) ? 0 : fail("cannot write " + wavPath);
}

// The pitch of a steady stretch of a plain tone.
double pitchOf(const std::vector<float>& x, size_t from, size_t count)
{
    const auto start = x.begin() + std::ptrdiff_t(std::min(from, x.size()));
    const auto end = x.begin() + std::ptrdiff_t(std::min(from + count, x.size()));
    return measure::zeroCrossingHz(std::vector<float>(start, end), kRate);
}

int checkPitch(const std::string& path, double expected)
{
    std::vector<float> sound;
    if (!readLeft(path, sound))
        return fail("cannot read " + path);
    const auto onset = std::find_if(sound.begin(), sound.end(), [](float v) { return std::fabs(v) > 0.01f; });
    const size_t from = size_t(onset - sound.begin()) + kRate / 10;
    if (from + kRate / 4 > sound.size())
        return fail("no note in " + path);
    const double pitch = pitchOf(sound, from, kRate / 4);
    std::printf("%.2f Hz (expected %.2f)\n", pitch, expected);
    return std::fabs(pitch / expected - 1.0) <= 0.005 ? 0 : fail("the note plays at the wrong pitch");
}

int compare(const std::string& livePath, const std::string& renderPath)
{
    std::vector<float> live, rendered;
    if (!readLeft(livePath, live) || !readLeft(renderPath, rendered))
        return fail("cannot read the recordings at 48000 Hz");
    rendered.resize(std::max<size_t>(rendered.size(), kRecordFrames), 0.0f);
    double energy = 0;
    for (float v : live)
        energy += double(v) * v;
    if (energy < 1e-3)
        return fail("the live recording is silent");
    // The latency: the offset where the live sound matches the render best.
    int latency = 0;
    double leastError = 1e30, renderEnergy = 0;
    const size_t span = kRecordFrames - kLongestLatency;
    for (size_t i = 0; i < span; ++i)
        renderEnergy += double(rendered[i]) * rendered[i];
    for (int lag = 0; lag <= kLongestLatency; ++lag) {
        double error = 0;
        for (size_t i = 0; i < span && error < leastError; ++i) {
            const double d = double(live[i + size_t(lag)]) - rendered[i];
            error += d * d;
        }
        if (error < leastError) {
            leastError = error;
            latency = lag;
        }
    }
    const double relativeError = leastError / std::max(renderEnergy, 1e-12);
    std::printf("latency %d frames, error %.2e of the render's energy\n", latency, relativeError);
    for (size_t n = 0; n < std::size(kPitches); ++n) {
        const double pitch = pitchOf(live, size_t(latency) + n * kNoteFrames + kNoteFrames / 4, kNoteFrames / 2);
        std::printf("note %zu: %.2f Hz (expected %.2f)\n", n + 1, pitch, kPitches[n]);
        if (std::fabs(pitch / kPitches[n] - 1.0) > 0.005)
            return fail("note " + std::to_string(n + 1) + " plays at the wrong pitch");
    }
    if (relativeError > 1e-3)
        return fail("the live sound differs from the render of the same notes");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "play" && argc == 4)
        return play(argv[2], argv[3]);
    if (command == "record" && argc == 3)
        return play(argv[2], "");
    if (command == "pitch" && argc == 4)
        return checkPitch(argv[2], std::atof(argv[3]));
    if (command == "compare" && argc == 4)
        return compare(argv[2], argv[3]);
    std::fprintf(stderr, "usage: morvelline-jack-probe play OUT.wav NOTES.mid | compare LIVE.wav RENDER.wav | record OUT.wav |\n"
                         "       pitch FILE.wav HZ\n");
    return 2;
}
