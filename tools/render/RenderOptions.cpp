#include "RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string shortNumber(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

double parseNumber(const std::string& option, const std::string& text, double low, double high)
{
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || errno == ERANGE || !std::isfinite(v))
        throw UsageError(option + " needs a number, not '" + text + "'");
    if (v < low || v > high)
        throw UsageError(option + " must be between " + shortNumber(low) + " and " + shortNumber(high) + ", not '" +
                         text + "'");
    return v;
}

int parseInteger(const std::string& option, const std::string& text, int low, int high)
{
    double v = parseNumber(option, text, low, high);
    if (v != std::floor(v))
        throw UsageError(option + " needs a whole number, not '" + text + "'");
    return int(v);
}

} // namespace

RenderOptions parseOptions(const std::vector<std::string>& args)
{
    RenderOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--plugin")
            o.pluginPath = value();
        else if (a == "--program")
            o.program = parseInteger(a, value(), 0, 1 << 20);
        else if (a == "--set") {
            const std::string& v = value();
            size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0)
                throw UsageError("--set needs NAME=VALUE, not '" + v + "'");
            o.settings.emplace_back(v.substr(0, eq),
                                    float(parseNumber("--set " + v.substr(0, eq), v.substr(eq + 1), 0, 1)));
        } else if (a == "--bank")
            o.bankPath = value();
        else if (a == "--preset")
            o.presetPath = value();
        else if (a == "--rate")
            o.sampleRate = parseInteger(a, value(), 8000, 384000);
        else if (a == "--block")
            o.blockSize = parseInteger(a, value(), 1, 16384);
        else if (a == "--tempo")
            o.tempo = parseNumber(a, value(), 10, 1000);
        else if (a == "--seed")
            o.seed = parseInteger(a, value(), 0, 2147483647);
        else if (a == "--tail")
            o.tailSeconds = parseNumber(a, value(), 0, 600);
        else if (a == "--out")
            o.outPath = value();
        else if (a == "--format") {
            const std::string& f = value();
            if (f == "16")
                o.format = SampleFormat::Pcm16;
            else if (f == "24")
                o.format = SampleFormat::Pcm24;
            else if (f == "float")
                o.format = SampleFormat::Float32;
            else
                throw UsageError("--format must be 16, 24 or float, not '" + f + "'");
        } else if (a == "--double")
            o.useDouble = true;
        else if (a == "--list-params")
            o.listParams = true;
        else if (a == "--list-programs")
            o.listPrograms = true;
        else if (a == "--bench")
            o.bench = true;
        else if (a == "--screenshot")
            o.screenshotPath = value();
        else if (a == "--help" || a == "-h")
            o.help = true;
        else if (a.size() > 1 && a[0] == '-')
            throw UsageError("unknown option '" + a + "' (see --help)");
        else if (!o.midiPath.empty())
            throw UsageError("only one MIDI file can be rendered at a time");
        else
            o.midiPath = a;
    }
    return o;
}

std::string defaultOutputPath(const std::string& midiPath)
{
    if (midiPath.empty())
        return "demo.wav";
    return std::filesystem::path(midiPath).filename().replace_extension(".wav").string();
}

std::string usageText()
{
    return "Usage: morvelline-render [options] [FILE.mid]\n"
           "Plays a Standard MIDI File (or, without one, a 15-second demo) through a VST 2.4\n"
           "instrument and writes the sound to a WAV file.\n"
           "\n"
           "  --plugin PATH     plug-in library, .clap file or .lv2 bundle (default: Morvelline.so beside\n"
           "                    this program)\n"
           "  --program N       select program N before playing\n"
           "  --set NAME=VALUE  set a parameter, by the short name the plug-in reports, to a value 0..1\n"
           "  --rate HZ         sample rate (default 44100)\n"
           "  --block FRAMES    block size (default 512)\n"
           "  --tempo BPM       tempo for files that have none (default 120)\n"
           "  --tail SECONDS    after the last event, render until quiet (below -90 dBFS), at most\n"
           "                    this long (default 4)\n"
           "  --seed N          seed the random sources first, so renders repeat exactly\n"
           "  --out FILE.wav    output file (default: the MIDI file's name with .wav, or demo.wav)\n"
           "  --format F        16, 24 or float (default 24)\n"
           "  --double          process in double precision\n"
           "  --list-params     list the parameters (index, name, display text) and exit\n"
           "  --list-programs   list the program numbers and names of the plug-in's bank (after\n"
           "                    --bank) and exit\n"
           "  --bench           render without writing; print the CPU time of the process calls\n"
           "  --bank FILE, --preset FILE  load a Morvelline bank, or a preset into the current program\n"
           "  --screenshot FILE.png  open the plug-in's editor in a window of its size, let it draw\n"
           "                    for a second and save the window as PNG (needs an X display)\n"
           "  --help            show this text\n";
}
