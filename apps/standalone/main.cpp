// morvelline: the instrument as a program of its own, played live through JACK or ALSA with its
// editor in a window (or without one, for a sound module box).
#include "AudioDevice.h"

#include "editor/Editor.h"
#include "formats/standalone/StandaloneInstrument.h"
#include "params/ProgramStore.h"
#include "platform/NativeHostWindow.h"
#include "platform/NativeImage.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// Exit codes: a wrong command line, no audio device, anything else that stops the program.
constexpr int kUsageError = 2;
constexpr int kNoAudioDevice = 3;
constexpr int kFailure = 1;
constexpr int kIdleMillis = 20;
constexpr int kScreenshotRounds = 50; // a second of drawing before the capture

const char* const kUsage =
    "Usage: morvelline [options]\n"
    "Plays Morvelline live: through JACK when a JACK server runs, else through ALSA (PulseAudio\n"
    "and PipeWire included). Every MIDI input is connected, and the computer keyboard plays\n"
    "while the window has the focus.\n"
    "\n"
    "  --device NAME     an ALSA playback device from --list-devices (e.g. hw:1 or default), or\n"
    "                    jack to insist on JACK\n"
    "  --midi-in NAME    connect only the MIDI inputs whose name holds NAME\n"
    "  --rate HZ         sample rate for ALSA (default 48000; JACK uses the server's)\n"
    "  --buffer FRAMES   block size for ALSA (default 256; JACK uses the server's)\n"
    "  --no-connect      JACK: leave the outputs unconnected\n"
    "  --bank FILE       start on this bank instead of the last session's\n"
    "  --no-gui          play without a window\n"
    "  --list-devices    list the audio devices and MIDI inputs, then exit\n"
    "  --screenshot FILE.png  save the window as PNG after a second, then exit\n"
    "  --help            show this text\n";

struct Options {
    DeviceOptions device;
    std::string bank;
    std::string screenshot;
    bool gui = true;
    bool list = false;
    bool help = false;
};

struct UsageError {
    std::string text;
};

int wholeNumber(const std::string& option, const std::string& text, int low, int high)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || value < low || value > high)
        throw UsageError{option + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'"};
    return int(value);
}

Options parseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw UsageError{a + " needs a value"};
            return argv[++i];
        };
        if (a == "--device")
            o.device.device = value();
        else if (a == "--midi-in")
            o.device.midiInput = value();
        else if (a == "--rate")
            o.device.rate = wholeNumber(a, value(), 8000, 384000);
        else if (a == "--buffer")
            o.device.frames = wholeNumber(a, value(), 16, 8192);
        else if (a == "--no-connect")
            o.device.connect = false;
        else if (a == "--bank")
            o.bank = value();
        else if (a == "--no-gui")
            o.gui = false;
        else if (a == "--list-devices")
            o.list = true;
        else if (a == "--screenshot")
            o.screenshot = value();
        else if (a == "--help" || a == "-h")
            o.help = true;
        else
            throw UsageError{"unknown option '" + a + "' (see --help)"};
    }
    if (!o.gui && !o.screenshot.empty())
        throw UsageError{"--screenshot needs the window: leave out --no-gui"};
    return o;
}

std::atomic<bool> quitSignal{false};
void onSignal(int)
{
    quitSignal = true;
}

// JACK when asked or when a server runs (unless an ALSA device is named), else ALSA.
std::unique_ptr<AudioDevice> openDevice(const DeviceOptions& options, std::string& error)
{
    if (options.device.empty() || options.device == "jack") {
        auto jack = openJackDevice(options, error);
        if (jack || options.device == "jack") {
            if (!jack)
                error = "cannot play through JACK: " + error;
            return jack;
        }
    }
    auto alsa = openAlsaDevice(options, error);
    if (!alsa && options.device.empty())
        error += "; no JACK server is running either";
    return alsa;
}

std::string windowTitle(StandaloneInstrument& instrument, const AudioDevice& device)
{
    char text[200];
    std::snprintf(text, sizeof text, "Morvelline - %s - %s %d Hz, %d frames - xruns: %u",
                  instrument.instrument().programStore().current().name, device.name().c_str(), device.sampleRate(),
                  device.blockFrames(), instrument.xruns());
    return text;
}

bool editorSize(StandaloneInstrument& instrument, int& width, int& height)
{
    ERect* rect = nullptr;
    Editor* editor = instrument.formatEditor();
    if (!editor || !editor->getRect(&rect) || !rect)
        return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return width > 0 && height > 0;
}

// Plays until the window closes or a signal comes; false with a message when the device stops.
bool playWithWindow(StandaloneInstrument& instrument, AudioDevice& device, const std::string& screenshot,
                    std::string& error)
{
    // The editor exists (and knows its size) before its window does.
    instrument.openEditor(nullptr);
    int width = 0, height = 0;
    if (!editorSize(instrument, width, height)) {
        error = "the editor reports no size";
        return false;
    }
    auto window = native::createHostWindow(width, height, windowTitle(instrument, device), error);
    if (!window) {
        error = "cannot open the window: " + error + " (--no-gui plays without one)";
        return false;
    }
    if (!instrument.openEditor(window->systemHandle())) {
        error = "the editor did not open in the window";
        return false;
    }
    std::string title;
    for (int round = 0; !quitSignal && !window->takeCloseRequest(); ++round) {
        window->processEvents();
        if (window->takeFocusLoss())
            instrument.keyboardFocusLost();
        instrument.idle();
        // The editor changes its size with the user's scale and theme.
        int w = 0, h = 0;
        if (editorSize(instrument, w, h) && (w != width || h != height)) {
            width = w;
            height = h;
            window->resize(width, height);
        }
        if (std::string now = windowTitle(instrument, device); now != title)
            window->setTitle(title = now);
        if (device.lost(error))
            break;
        if (!screenshot.empty() && round == kScreenshotRounds) {
            native::RgbaPixels pixels;
            if (!window->capture(pixels, error) || !native::writePngFile(pixels, screenshot, error))
                return false;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleMillis));
    }
    instrument.closeEditor();
    return error.empty();
}

bool playHeadless(StandaloneInstrument& instrument, AudioDevice& device, std::string& error)
{
    unsigned reported = 0;
    while (!quitSignal) {
        if (device.lost(error))
            return false;
        if (const unsigned xruns = instrument.xruns(); xruns != reported)
            std::fprintf(stderr, "morvelline: xruns: %u\n", reported = xruns);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return true;
}

int run(const Options& options)
{
    std::string error;
    // A bank that cannot be read is a mistake on the command line: said before anything starts.
    std::vector<ProgramRecord> bank;
    if (!options.bank.empty() && !StandaloneInstrument::readBank(options.bank, bank, error)) {
        std::fprintf(stderr, "morvelline: %s\n", error.c_str());
        return kUsageError;
    }
    // The device next: when there is none, nothing has been written.
    std::unique_ptr<AudioDevice> device = openDevice(options.device, error);
    if (!device) {
        std::fprintf(stderr, "morvelline: %s\n", error.c_str());
        return kNoAudioDevice;
    }
    auto instrument = std::make_unique<StandaloneInstrument>();
    if (!instrument->startSession(options.bank, error)) {
        std::fprintf(stderr, "morvelline: %s\n", error.c_str());
        return kFailure;
    }
    if (!device->start(*instrument, error)) {
        std::fprintf(stderr, "morvelline: %s\n", error.c_str());
        return kNoAudioDevice;
    }
    std::string midiError;
    auto midi = openAlsaMidiInput(*instrument, options.device.midiInput, midiError);
    std::fprintf(stderr, "morvelline: playing through %s at %d Hz, %d frames a block; %s\n", device->name().c_str(),
                 device->sampleRate(), device->blockFrames(),
                 midi ? (std::to_string(midi->connectedPorts()) + " ALSA MIDI inputs connected").c_str()
                      : midiError.c_str());
    const bool played = options.gui ? playWithWindow(*instrument, *device, options.screenshot, error)
                                    : playHeadless(*instrument, *device, error);
    midi.reset();
    device->stop();
    instrument->closeEditor();
    std::string saveError;
    const bool saved = instrument->saveSession(saveError);
    if (!saved)
        std::fprintf(stderr, "morvelline: the session is not kept: %s\n", saveError.c_str());
    if (!played)
        std::fprintf(stderr, "morvelline: %s\n", error.c_str());
    return played && saved ? 0 : kFailure;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "morvelline: %s\n", e.text.c_str());
        return kUsageError;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    silenceAlsaLibrary();
    if (options.list) {
        listDevices();
        return 0;
    }
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, onSignal);
    return run(options);
}
