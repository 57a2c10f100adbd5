#include "AudioDevice.h"

#include "formats/standalone/StandaloneInstrument.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

void quiet(const char*) {}

class JackDevice final : public AudioDevice {
public:
    JackDevice(jack_client_t* openClient, const DeviceOptions& options) : client(openClient), settings(options)
    {
        left = jack_port_register(client, "out_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput | JackPortIsTerminal, 0);
        right = jack_port_register(client, "out_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput | JackPortIsTerminal, 0);
        midi = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput | JackPortIsTerminal, 0);
        rate.store(int(jack_get_sample_rate(client)));
    }
    ~JackDevice() override
    {
        stop();
        jack_client_close(client);
    }

    bool ports() const { return left && right && midi; }
    std::string name() const override { return "JACK"; }
    int sampleRate() const override { return rate.load(); }
    int blockFrames() const override { return int(jack_get_buffer_size(client)); }

    bool start(StandaloneInstrument& target, std::string& error) override
    {
        target.prepare(float(rate.load()), blockFrames());
        instrument = &target;
        jack_set_process_callback(client, process, this);
        jack_set_sample_rate_callback(client, rateChanged, this);
        jack_set_xrun_callback(client, xrun, this);
        jack_on_shutdown(client, shutdown, this);
        if (jack_activate(client) != 0) {
            error = "the JACK server did not start the client";
            return false;
        }
        active = true;
        connectPorts();
        return true;
    }

    void stop() override
    {
        if (active)
            jack_deactivate(client);
        active = false;
    }

    bool lost(std::string& why) const override
    {
        if (!serverGone.load())
            return false;
        why = "the JACK server stopped";
        return true;
    }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto& device = *static_cast<JackDevice*>(self);
        StandaloneInstrument& instrument = *device.instrument.load();
        void* events = jack_port_get_buffer(device.midi, frames);
        const uint32_t count = jack_midi_get_event_count(events);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, events, i) == 0)
                instrument.queueMidi(int(event.time), event.buffer, event.size);
        }
        instrument.render(static_cast<float*>(jack_port_get_buffer(device.left, frames)),
                                  static_cast<float*>(jack_port_get_buffer(device.right, frames)), int(frames));
        return 0;
    }

    // JACK calls this from its own (not the audio) thread: the tables for the new rate are
    // built there, while the audio callback plays silence.
    static int rateChanged(jack_nframes_t newRate, void* self)
    {
        auto& device = *static_cast<JackDevice*>(self);
        StandaloneInstrument* instrument = device.instrument.load();
        if (int(newRate) != device.rate.exchange(int(newRate)) && instrument)
            instrument->prepare(float(newRate), int(jack_get_buffer_size(device.client)));
        return 0;
    }

    static int xrun(void* self)
    {
        if (StandaloneInstrument* instrument = static_cast<JackDevice*>(self)->instrument.load())
            instrument->countXrun();
        return 0;
    }

    static void shutdown(void* self) { static_cast<JackDevice*>(self)->serverGone.store(true); }

    // The outputs to the first two playback ports, every MIDI source (or those the user named)
    // to the input.
    void connectPorts()
    {
        if (settings.connect)
            if (const char** playback = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                                       JackPortIsPhysical | JackPortIsInput)) {
                if (playback[0])
                    jack_connect(client, jack_port_name(left), playback[0]);
                if (playback[0] && playback[1])
                    jack_connect(client, jack_port_name(right), playback[1]);
                jack_free(playback);
            }
        const unsigned long sources = settings.midiInput.empty() ? JackPortIsPhysical | JackPortIsOutput : JackPortIsOutput;
        if (const char** midiPorts = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, sources)) {
            for (const char** port = midiPorts; *port; ++port)
                if (nameMatches(*port, settings.midiInput) && std::strncmp(*port, jack_get_client_name(client),
                                                                           std::strlen(jack_get_client_name(client))) != 0)
                    jack_connect(client, *port, jack_port_name(midi));
            jack_free(midiPorts);
        }
    }

    jack_client_t* client;
    DeviceOptions settings;
    jack_port_t* left = nullptr;
    jack_port_t* right = nullptr;
    jack_port_t* midi = nullptr;
    // Set before the callbacks are; JACK's notification thread already runs by then.
    std::atomic<StandaloneInstrument*> instrument{nullptr};
    std::atomic<int> rate{0};
    std::atomic<bool> serverGone{false};
    bool active = false;
};

// The client, or null when no server runs; libjack's own complaints stay off the terminal.
jack_client_t* openClient(const char* name)
{
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    jack_status_t status{};
    return jack_client_open(name, JackNoStartServer, &status);
}

} // namespace

std::unique_ptr<AudioDevice> openJackDevice(const DeviceOptions& options, std::string& error)
{
    jack_client_t* client = openClient("Morvelline");
    if (!client) {
        error = "no JACK server is running";
        return nullptr;
    }
    auto device = std::make_unique<JackDevice>(client, options);
    if (!device->ports()) {
        error = "the JACK server refused the client's ports";
        return nullptr;
    }
    if (options.rate && options.rate != device->sampleRate())
        std::fprintf(stderr, "morvelline: the JACK server runs at %d Hz; --rate %d is not used\n", device->sampleRate(),
                     options.rate);
    if (options.frames && options.frames != device->blockFrames())
        std::fprintf(stderr, "morvelline: the JACK server uses blocks of %d frames; --buffer %d is not used\n",
                     device->blockFrames(), options.frames);
    return device;
}

void listJackDevices()
{
    jack_client_t* client = openClient("Morvelline (listing)");
    if (!client) {
        std::printf("JACK: no server running\n");
        return;
    }
    std::printf("JACK: a server runs at %u Hz, %u frames a block (use --device jack, the default while it runs)\n",
                jack_get_sample_rate(client), jack_get_buffer_size(client));
    if (const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput)) {
        std::printf("JACK MIDI inputs (for --midi-in):\n");
        for (const char** port = ports; *port; ++port)
            std::printf("  %s\n", *port);
        jack_free(ports);
    }
    jack_client_close(client);
}
