#include "instrument/EffectTail.h"

#include "params/ValueCurves.h"

#include <algorithm>
#include <cmath>

namespace {

// The reverb's own decay is a few seconds at its largest size; this bound covers it.
constexpr double kReverbDecaySeconds = 10.0;
constexpr double kSilenceRatio = 1e-4; // -80 dB

double delayTailSeconds(const ProgramRecord& p, TempoInfo tempo)
{
    if (!(p.get(Param::DlyMix) > 0.0f))
        return 0.0;
    const double seconds = delayTimeMs(p.get(Param::DlyTime), p.get(Param::DlySync) != 0.0f, tempo) / 1000.0;
    const double feedback = std::clamp(double(p.get(Param::DlyFBack)), 0.0, 1.0);
    if (feedback >= 0.999)
        return kLongestTail;
    const double repeats = feedback > 0.0 ? std::log(kSilenceRatio) / std::log(feedback) : 0.0;
    return seconds * (1.0 + repeats);
}

double reverbTailSeconds(const ProgramRecord& p, TempoInfo tempo)
{
    if (!(p.get(Param::RvbMix) > 0.0f))
        return 0.0;
    return predelayMs(p.get(Param::RvbPrDly), p.get(Param::RvbSync) != 0.0f, tempo) / 1000.0 + kReverbDecaySeconds;
}

} // namespace

double effectTailSeconds(const ProgramRecord& program, TempoInfo tempo)
{
    const double tail = delayTailSeconds(program, tempo) + reverbTailSeconds(program, tempo);
    return std::isfinite(tail) ? std::min(tail, kLongestTail) : kLongestTail;
}
