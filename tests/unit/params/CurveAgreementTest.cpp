// The number a display text shows must be the value the engine plays, for every knob curve.
#include "engine/Envelope.h"
#include "engine/FilterControl.h"
#include "params/DisplayText.h"
#include "params/ValueCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

struct Curve {
    const char* name;
    int index;
    double (*engine)(float v); // the engine's value in the text's base unit (s, Hz, st, ...)
    bool editorText = false;
};

constexpr float kSampleRate = 1.0e6f;

const Curve kCurves[] = {
    {"envelope time", Param::Env1Att, [](float v) { return double(envelopeTimeSamples(v, 1.0f)); }},
    {"filter cutoff", Param::FltCut,
     [](float v) { return double(filterCutoff(v, 0.0f, 0.0f, kSampleRate)) * kSampleRate; }},
    {"delay cutoff", Param::DlyCut, [](float v) { return double(delayCutoffHz(v)); }},
    {"semitones", Param::Osc1Semi, [](float v) { return double(knobSemitones(v)); }},
    {"cents", Param::Sub1Fine, [](float v) { return double(knobCents(v)); }},
    {"tuning", Param::Tuning, [](float v) { return double(tuningHz(v)); }, true},
    {"glide", Param::GldAmt, [](float v) { return double(glideMs(v)) / 1000.0; }},
    {"bend range", Param::PBRange2, [](float v) { return double(bendSemitones(v, 1.0f)); }},
    {"mod amount", Param::ModAmt7, [](float v) { return double(bipolarAmount(v)) * 100.0; }},
    {"sub level", Param::Osc2Sub, [](float v) { return double(subLevel(v)) * 100.0; }},
    {"polyphony", Param::Poly, [](float v) { return double(polyphonyOf(v)); }},
    {"unison", Param::Osc2DtVo, [](float v) { return double(unisonCount(v)); }},
    {"routing", Param::OscRoute, [](float v) { return double(routeCode(v) + 1); }},
    {"key split", Param::KeySplit, [](float v) { return double(keySplitNote(v)); }},
    {"lfo rate", Param::Lfo3Rate, [](float v) { return double(lfoRateHz(v, false, TempoInfo{})); }},
    {"delay time", Param::DlyTime, [](float v) { return double(delayTimeMs(v, false, TempoInfo{})) / 1000.0; }},
    {"predelay", Param::RvbPrDly, [](float v) { return double(predelayMs(v, false, TempoInfo{})) / 1000.0; }},
};

// The last number in a text ("Mode 3", "C3 60", "+12 st", "2.50 s"; "None" reads 0), scaled to the
// base unit, with half of its last printed digit as the tolerance.
struct ShownNumber {
    double value = 0.0;
    double tolerance = 0.5;
};

ShownNumber parseShown(const std::string& text)
{
    ShownNumber shown;
    std::istringstream words(text);
    std::string word;
    double scale = 1.0;
    while (words >> word) {
        char* end = nullptr;
        const double number = std::strtod(word.c_str(), &end);
        if (end != word.c_str() && *end == '\0') {
            const char* point = std::strchr(word.c_str(), '.');
            shown.value = number;
            shown.tolerance = 0.5 * std::pow(10.0, point ? -double(std::strlen(point + 1)) : 0.0);
            scale = 1.0;
        } else if (word == "ms") {
            scale = 0.001;
        }
    }
    shown.value *= scale;
    shown.tolerance *= scale;
    return shown;
}

} // namespace

TEST(CurveAgreement, DisplayTextShowsTheEngineValueAtEveryPoint)
{
    for (const Curve& curve : kCurves) {
        for (int i = 0; i < 1000; ++i) {
            const float v = float(i) / 999.0f;
            char text[kDisplayTextSize];
            const bool written = curve.editorText ? formatEditorDisplay(curve.index, v, 0.0f, text)
                                                  : formatParamDisplay(curve.index, v, 0.0f, text);
            ASSERT_TRUE(written) << curve.name;
            const ShownNumber shown = parseShown(text);
            const double engine = curve.engine(v);
            ASSERT_NEAR(shown.value, engine, shown.tolerance * (1.0 + 1e-6) + std::fabs(engine) * 1e-6)
                << curve.name << " at " << v << " shows \"" << text << '"';
        }
    }
}
