// The sound card side of the program: JACK when a server runs, ALSA otherwise. A device is
// opened first (so a failure writes nothing), then started with the instrument it plays.
#pragma once

#include <memory>
#include <string>

class StandaloneInstrument;

struct DeviceOptions {
    std::string device;     // ALSA PCM name, or "jack"; empty: JACK when running, else "default"
    std::string midiInput;  // connect only MIDI inputs whose name holds this (case ignored)
    int rate = 0;           // 0: the server's, or 48000 for ALSA
    int frames = 0;         // 0: the server's, or 256 for ALSA
    bool connect = true;    // JACK: connect the outputs to the system's playback ports
};

class AudioDevice {
public:
    virtual ~AudioDevice() = default;
    // "JACK" or "ALSA hw:0", for the title and messages.
    virtual std::string name() const = 0;
    virtual int sampleRate() const = 0;
    virtual int blockFrames() const = 0;
    // Prepares the instrument and starts calling it; false with a message.
    virtual bool start(StandaloneInstrument& instrument, std::string& error) = 0;
    virtual void stop() = 0;
    // True once the device stopped by itself (the server quit, the card went away), with why.
    virtual bool lost(std::string& why) const = 0;
};

// Null without a running server (error says why); messages of libjack are kept quiet.
std::unique_ptr<AudioDevice> openJackDevice(const DeviceOptions& options, std::string& error);
std::unique_ptr<AudioDevice> openAlsaDevice(const DeviceOptions& options, std::string& error);

// Every ALSA sequencer port that sends MIDI, connected to the program's own input port, also
// those plugged in later. Runs a thread of its own; quiet when there is no sequencer.
class MidiInput {
public:
    virtual ~MidiInput() = default;
    // The ports connected so far, for the start-up message.
    virtual int connectedPorts() const = 0;
};
std::unique_ptr<MidiInput> openAlsaMidiInput(StandaloneInstrument& instrument, const std::string& filter,
                                             std::string& error);

// True when filter is empty or name holds it, case ignored.
bool nameMatches(const std::string& name, const std::string& filter);

// Keeps alsa-lib's own messages off the terminal: the program says what failed in its words.
void silenceAlsaLibrary();

// --list-devices: the JACK server, the ALSA playback devices and every MIDI input.
void listDevices();
void listJackDevices();
void listAlsaDevices();
