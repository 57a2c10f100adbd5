#include "editor/StepNames.h"

#include "params/CommandTags.h"
#include "params/ParamTable.h"
#include "params/SectionParams.h"

#include <array>
#include <cstring>
#include <string>

namespace {

// The names of the parameters that belong to no numbered section or matrix slot.
struct GlobalName {
    int index;
    const char* name;
};
constexpr GlobalName kGlobalNames[] = {
    {Param::Poly, "Polyphony"},         {Param::GldAmt, "Glide Time"},       {Param::PBRange, "Bend Up"},
    {Param::PBRange2, "Bend Down"},     {Param::Tuning, "Tuning"},           {Param::Volume, "Master Volume"},
    {Param::OscRoute, "Osc Routing"},   {Param::KeySplit, "Key Split"},      {Param::DlyMix, "Delay Mix"},
    {Param::DlyTime, "Delay Time"},     {Param::DlyFBack, "Delay Feedback"}, {Param::DlyCut, "Delay Cutoff"},
    {Param::DlyWidth, "Delay Width"},   {Param::DlySync, "Delay Sync"},      {Param::DlyLP, "Delay Lowpass"},
    {Param::DlyAmp1, "Delay On Amp 1"}, {Param::RvbMix, "Reverb Mix"},       {Param::RvbPrDly, "Reverb Predelay"},
    {Param::RvbSize, "Reverb Size"},    {Param::RvbDamp, "Reverb Damping"},  {Param::RvbWidth, "Reverb Width"},
    {Param::RvbDens, "Reverb Density"}, {Param::RvbSync, "Reverb Sync"},     {Param::RvbAmp1, "Reverb On Amp 1"},
};

// Role names in the order of the role tables' fields.
constexpr std::array<const char*, 17> kOscillatorRoles = {"Semitones",    "Fine Tune",      "Volume",
                                                          "Detune",       "Pulse Width",    "Sub Level",
                                                          "Waveform",     "Sub Follows PW", "Sub Follows Volume",
                                                          "Phase",        "Sub Semitones",  "Sub Fine Tune",
                                                          "Sub Alt Mode", "Unison Spread",  "Unison Mix",
                                                          "Pan",          "Unison Voices"};
constexpr std::array<const char*, 4> kFilterRoles = {"Cutoff", "Resonance", "Key Tracking", "Type"};
constexpr std::array<const char*, 5> kEnvelopeRoles = {"Attack", "Decay", "Sustain", "Release", "Velocity"};
constexpr std::array<const char*, 6> kLfoRoles = {"Rate", "Offset", "Waveform", "Sync", "Free Running", "Phase"};

// The role of index among one instance's parameters (a role table entry seen as an int array).
template <typename Roles, size_t N>
bool findRole(const Roles& params, const std::array<const char*, N>& roles, int index, const char*& role)
{
    static_assert(sizeof(Roles) == N * sizeof(int));
    int fields[N];
    std::memcpy(fields, &params, sizeof fields);
    for (size_t i = 0; i < N; ++i)
        if (fields[i] == index) {
            role = roles[i];
            return true;
        }
    return false;
}

std::string sectionName(int index)
{
    const char* role = nullptr;
    for (int n = 1; n <= 2; ++n) {
        if (findRole(kOscillatorParams[n - 1], kOscillatorRoles, index, role))
            return "Osc " + std::to_string(n) + " " + role;
        if (findRole(kFilterParams[n - 1], kFilterRoles, index, role))
            return "Filter " + std::to_string(n) + " " + role;
    }
    for (int n = 1; n <= 4; ++n) {
        if (findRole(kEnvelopeParams[n - 1], kEnvelopeRoles, index, role))
            return "Env " + std::to_string(n) + " " + role;
        if (findRole(kLfoParams[n - 1], kLfoRoles, index, role))
            return "LFO " + std::to_string(n) + " " + role;
    }
    for (int slot = 1; slot <= CommandTag::kModSlots; ++slot) {
        const std::string prefix = "Mod " + std::to_string(slot);
        if (index == Param::modSource(slot))
            return prefix + " Source";
        if (index == Param::modAmount(slot))
            return prefix + " Amount";
        if (index == Param::modTarget(slot))
            return prefix + " Target";
    }
    return {};
}

} // namespace

std::string parameterStepName(int index)
{
    if (index < 0 || index >= kNumParams)
        return {};
    for (const GlobalName& global : kGlobalNames)
        if (global.index == index)
            return global.name;
    std::string name = sectionName(index);
    return name.empty() ? kParamTable[index].shortName : name;
}

std::string stepDescription(const HistoryStep& step)
{
    if (step.label)
        return step.label;
    if (step.changes.size() == 1 && !step.rename)
        return parameterStepName(step.changes[0].index);
    if (step.changes.empty() && step.rename)
        return "Rename";
    return step.kind == StepKind::Automation ? "Automation" : "Changes";
}

const char* commandStepLabel(int tag, int position)
{
    using namespace CommandTag;
    static constexpr const char* kPasteOscillator[] = {"Paste Osc 1", "Paste Osc 2"};
    static constexpr const char* kPasteFilter[] = {"Paste Filter 1", "Paste Filter 2"};
    static constexpr const char* kPasteEnvelope[] = {"Paste Env 1", "Paste Env 2", "Paste Env 3", "Paste Env 4"};
    static constexpr const char* kPasteLfo[] = {"Paste LFO 1", "Paste LFO 2", "Paste LFO 3", "Paste LFO 4"};
    if (tag == ProgramName)
        return "Rename";
    if (tag == OptionsMenu) {
        switch (position) {
        case 1:
            return "Load Preset";
        case 3:
            return "Paste Preset";
        case 4:
            return "Restore Preset";
        case 5:
            return "Initialize Preset";
        default:
            return nullptr;
        }
    }
    if (position != 1)
        return nullptr;
    if (int n = instanceOf(tag, Osc1Menu, 2))
        return kPasteOscillator[n - 1];
    if (int n = instanceOf(tag, Filter1Menu, 2))
        return kPasteFilter[n - 1];
    if (int n = instanceOf(tag, Env1Menu, 4))
        return kPasteEnvelope[n - 1];
    if (int n = instanceOf(tag, Lfo1Menu, 4))
        return kPasteLfo[n - 1];
    return nullptr;
}
