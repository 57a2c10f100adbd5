// A CLAP plug-in loaded for one test through the render host's ClapHost, processing into output
// buffers of our own: each call fills every channel with a marker up to past the largest block
// and checks all of it afterwards. The test chooses each call's events and transport, and the
// notes the plug-in ended are collected across calls.
#pragma once

#include "ClapHost.h"
#include "ValidatorTest.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ClapRig {
public:
    explicit ClapRig(const TestContext& context);
    ClapRig(const ClapRig&) = delete;
    ClapRig& operator=(const ClapRig&) = delete;

    ClapHost& host() { return *loaded; }
    const clap_plugin_t* plugin() const { return loaded->raw(); }
    // The plug-in's parameters; a test that needs them skips when there are none.
    const clap_plugin_params_t& params() const;
    std::vector<clap_param_info_t> paramInfos() const;
    double paramValue(clap_id id) const;
    std::vector<double> paramValues() const;
    bool hasParams() const;
    // Every parameter at a random value in its range, through a flush; deactivates first.
    void randomizeParams(TestContext& context);

    // Deactivates first when active, as a host does for a new rate or block size.
    void activate(double rate, int maxBlock);
    void deactivate();
    double rate() const { return sampleRate; }
    int maxFrames() const { return maxBlock; }

    // Events for the next process call or flush.
    void note(uint16_t type, uint32_t time, int key, int channel, int32_t noteId, double velocity = 0.8);
    void setParam(uint32_t time, clap_id id, double value);
    void add(const clap_event_header_t& event) { loaded->addEvent(event); }

    // One call of `frames` frames with the events added; fails when the output is not sound.
    void process(int frames);
    float lastPeak() const { return peak; }
    const std::vector<float>& output(size_t channel) const { return out[channel]; }
    size_t channels() const { return out.size(); }
    // Sustain off and every note off through a wildcard note-off, then one short block.
    void releaseEverything();
    void requireSilenceWithin(double seconds, const std::string& after);

    // Off for settings that may be loud: the output must then only be finite.
    bool checkClip = true;
    // What each call gets as its transport: none when empty. A playing transport advances.
    std::optional<clap_event_transport_t> transport;
    static clap_event_transport_t playingTransport(double tempo, int numerator, int denominator);
    // Every NOTE_END the plug-in sent, in order.
    std::vector<clap_event_note_t> endedNotes;

private:
    std::string where(size_t channel, int frame, int frames) const;

    std::unique_ptr<ClapHost> loaded;
    float clip;
    double sampleRate = 44100;
    int maxBlock = 512;
    float peak = 0;
    std::vector<std::vector<float>> out;
    std::vector<float*> outPtrs;
};

// A number for a message, NaN and infinities included.
std::string numberText(double value);
