// morvelline-render: plays a MIDI file or the built-in demo through a VST 2.4 instrument into a
// WAV file, or measures how fast the plug-in renders it.
#include "DemoSong.h"
#include "MidiFile.h"
#include "OpenPlugin.h"
#include "ProgramFileLoader.h"
#include "RenderOptions.h"
#include "Renderer.h"
#include "Screenshot.h"
#include "TempoMap.h"
#include "WavWriter.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

constexpr double kMaxSongSeconds = 3600;

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string besideThisProgram(const char* fileName)
{
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fileName;
    return (self.parent_path() / fileName).string();
}

std::string decibels(float peak)
{
    if (peak <= 0)
        return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(double(peak)));
    return text;
}

// Drawn only on a terminal, and only once a render has taken more than a second.
class ProgressBar {
public:
    ProgressBar() : enabled(isatty(STDERR_FILENO)), started(std::chrono::steady_clock::now()) {}
    ~ProgressBar() { clear(); }

    void update(double fraction)
    {
        if (!enabled)
            return;
        auto now = std::chrono::steady_clock::now();
        if (now - started < std::chrono::seconds(1) || now - lastDrawn < std::chrono::milliseconds(100))
            return;
        lastDrawn = now;
        int filled = int(fraction * kWidth);
        std::string bar(size_t(std::clamp(filled, 0, kWidth)), '#');
        bar.resize(kWidth, '.');
        std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), int(fraction * 100));
        std::fflush(stderr);
        shown = true;
    }
    void clear()
    {
        if (shown)
            std::fprintf(stderr, "\r%*s\r", kWidth + 8, "");
        shown = false;
    }

private:
    static constexpr int kWidth = 40;
    bool enabled;
    bool shown = false;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn{};
};

int screenshot(const RenderOptions& options)
{
    std::string pluginPath = options.pluginPath.empty() ? besideThisProgram("Morvelline.so") : options.pluginPath;
    std::unique_ptr<HostedPlugin> plugin = openPlugin(pluginPath);
    HostedPlugin& host = *plugin;
    host.configure(options.sampleRate, options.blockSize, false);
    host.start();
    takeEditorScreenshot(host, options.screenshotPath);
    std::printf("Wrote %s\n", options.screenshotPath.c_str());
    return 0;
}

int run(const RenderOptions& options)
{
    if (!options.screenshotPath.empty())
        return screenshot(options);
    MidiSong song = options.midiPath.empty() ? makeDemoSong() : readMidiFile(options.midiPath);
    TempoMap tempoMap(song, options.sampleRate, options.tempo);
    if (tempoMap.frameOfTick(song.endTick) > kMaxSongSeconds * options.sampleRate)
        throw Failure("the MIDI file plays for more than an hour; refusing to render it");

    std::string pluginPath = options.pluginPath.empty() ? besideThisProgram("Morvelline.so") : options.pluginPath;
    std::unique_ptr<HostedPlugin> plugin = openPlugin(pluginPath);
    HostedPlugin& host = *plugin;
    host.configure(options.sampleRate, options.blockSize, options.useDouble);

    if (options.listParams) {
        for (const PluginParameter& p : host.parameters()) {
            std::string shown = p.display;
            if (!p.label.empty())
                shown += " " + p.label;
            std::printf("%4d  %-10s %s\n", p.index, p.name.c_str(), shown.c_str());
        }
        return 0;
    }
    if (!options.bankPath.empty())
        loadBankIntoPlugin(host, options.bankPath);
    if (options.listPrograms) {
        std::vector<std::string> names = host.programNames();
        for (size_t i = 0; i < names.size(); ++i)
            std::printf("%3zu  %s\n", i, names[i].c_str());
        return 0;
    }
    if (options.program >= 0) {
        if (options.program >= host.numPrograms())
            throw Failure("program " + std::to_string(options.program) + " does not exist (the plug-in has " +
                          std::to_string(host.numPrograms()) + " programs)");
        host.setProgram(options.program);
    }
    if (!options.presetPath.empty())
        loadPresetIntoPlugin(host, options.presetPath);
    for (const auto& [name, value] : options.settings) {
        int index = host.findParameter(name);
        if (index < 0)
            throw Failure("unknown parameter name '" + name + "' (--list-params shows the names)");
        host.setParameter(index, value);
    }

    const int channels = std::min(host.numOutputs(), 2);
    std::string outPath = options.outPath.empty() ? defaultOutputPath(options.midiPath) : options.outPath;
    std::unique_ptr<WavWriter> writer;
    if (!options.bench)
        writer = std::make_unique<WavWriter>(outPath, options.sampleRate, channels, options.format);

    // Noise and random sources draw from the C library's generator: a fixed seed makes two
    // renders comparable sample for sample.
    if (options.seed >= 0)
        std::srand(unsigned(options.seed));
    RenderSettings settings;
    settings.tailSeconds = options.tailSeconds;
    ProgressBar bar;
    RenderResult result = renderSong(
        host, song, tempoMap, settings,
        [&](const float* const* data, int frames) {
            if (writer)
                writer->write(data, frames);
        },
        [&](double fraction) { bar.update(fraction); });
    bar.clear();
    if (writer)
        writer->finish();

    const double seconds = double(result.frames) / options.sampleRate;
    const double factor = result.cpuSeconds > 0 ? seconds / result.cpuSeconds : INFINITY;
    if (result.nonFinite > 0)
        std::fprintf(stderr,
                     "morvelline-render: warning: the plug-in produced %lld NaN or infinite samples, written as 0\n",
                     static_cast<long long>(result.nonFinite));
    if (options.bench) {
        std::printf("%s: %.2f s of audio, %.3f s CPU in the process calls, real-time factor %.1f\n", pluginPath.c_str(),
                    seconds, result.cpuSeconds, factor);
    } else {
        std::error_code ec;
        std::filesystem::path shownPath = std::filesystem::absolute(outPath, ec);
        std::printf("Wrote %s: %.2f s, peak %s, real-time factor %.1f\n", (ec ? outPath : shownPath.string()).c_str(),
                    seconds, decibels(result.peak).c_str(), factor);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        RenderOptions options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::fputs(usageText().c_str(), stdout);
            return 0;
        }
        return run(options);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "morvelline-render: %s\n", e.what());
        return 2;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "morvelline-render: out of memory\n");
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "morvelline-render: %s\n", e.what());
        return 1;
    }
}
