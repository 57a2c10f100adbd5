#include "ValidateOptions.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>

const char* const kValidateUsage =
    "usage: morvelline-validate [--level N] [--seed S] [--suite NAME[,NAME...]] [--clip LEVEL]\n"
    "                           [--timeout SECONDS] [--allow-skips] [--verbose] PLUGIN\n"
    "Loads a VST 2.4 plug-in, or a CLAP plug-in when the file ends in .clap, and tests it through\n"
    "its binary interface; one line per test, then 'N passed, N failed'. Exit status 0 when nothing\n"
    "failed and not every test was skipped.\n"
    "  --level N     1 = quick ... 10 = everything with long loops (default 5)\n"
    "  --seed S      repeats the random parts of an earlier run (the seed is printed)\n"
    "  --suite LIST  only these suites; VST 2.4: lifecycle, audio, parameters, programs, midi,\n"
    "                threads, realtime, locale; CLAP: descriptor, audio, parameters, fuzz, state,\n"
    "                notes, transport, scan\n"
    "  --clip LEVEL  highest output sample allowed (default 1.4142, +3 dBFS)\n"
    "  --timeout S   a test that takes longer counts as hung (default 60 s, more at high levels)\n"
    "  --allow-skips exit 0 even when every test was skipped (no display, no such locale)\n"
    "  --verbose     show what the plug-in printed for every test, not only for failures\n";

namespace {

long number(const std::string& option, const std::string& text, long low, long high)
{
    size_t used = 0;
    long value = 0;
    try {
        value = std::stol(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < low || value > high)
        throw std::invalid_argument(option + " must be a whole number from " + std::to_string(low) + " to " +
                                    std::to_string(high) + ", not '" + text + "'");
    return value;
}

uint64_t freshSeed()
{
    std::random_device device;
    uint64_t time = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    return (uint64_t(device()) << 20 ^ time) % 1000000000ULL;
}

} // namespace

ValidateOptions parseValidateOptions(const std::vector<std::string>& args)
{
    ValidateOptions options;
    bool seedGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--level")
            options.level = int(number(arg, value(), 1, 10));
        else if (arg == "--seed") {
            const std::string& text = value();
            size_t used = 0;
            try {
                options.seed = std::stoull(text, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != text.size() || text.empty() || text[0] == '-')
                throw std::invalid_argument("--seed must be a whole number, not '" + text + "'");
            seedGiven = true;
        } else if (arg == "--clip") {
            const std::string& text = value();
            try {
                options.clip = std::stof(text);
            } catch (const std::exception&) {
                options.clip = -1;
            }
            if (!(options.clip > 0 && options.clip < 1e6f))
                throw std::invalid_argument("--clip must be a positive level such as 1.4142, not '" + text + "'");
        } else if (arg == "--timeout")
            options.timeoutSeconds = int(number(arg, value(), 1, 86400));
        else if (arg == "--suite") {
            std::stringstream list(value());
            for (std::string name; std::getline(list, name, ',');)
                if (!name.empty())
                    options.suites.push_back(name);
        } else if (arg == "--verbose")
            options.verbose = true;
        else if (arg == "--allow-skips")
            options.allowSkips = true;
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--run-tests") {
            std::stringstream list(value());
            for (std::string index; std::getline(list, index, ',');)
                options.runTests.push_back(int(number(arg, index, 0, 100000)));
        } else if (arg == "--result")
            options.resultFile = value();
        else if (arg == "--step")
            options.stepFile = value();
        else if (!arg.empty() && arg[0] == '-' && arg != "-")
            throw std::invalid_argument("unknown option " + arg);
        else if (options.plugin.empty())
            options.plugin = arg;
        else
            throw std::invalid_argument("more than one plug-in given: '" + options.plugin + "' and '" + arg + "'");
    }
    if (options.plugin.empty() && !options.help)
        throw std::invalid_argument("no plug-in given");
    // A bare file name means the file here, not one on the system's library path.
    std::error_code error;
    if (!options.plugin.empty() && std::filesystem::exists(options.plugin, error))
        options.plugin = std::filesystem::absolute(options.plugin, error).string();
    if (!seedGiven)
        options.seed = freshSeed();
    if (options.timeoutSeconds == 0)
        options.timeoutSeconds = 60 * (options.level > 5 ? options.level : 1);
    return options;
}

std::vector<std::string> childArguments(const ValidateOptions& options, const std::vector<int>& indices,
                                        const std::string& resultFile, const std::string& stepFile)
{
    std::string list;
    for (int index : indices) {
        if (!list.empty())
            list += ',';
        list += std::to_string(index);
    }
    return {"--level",     std::to_string(options.level),
            "--seed",      std::to_string(options.seed),
            "--clip",      std::to_string(options.clip),
            "--run-tests", list,
            "--result",    resultFile,
            "--step",      stepFile,
            options.plugin};
}
