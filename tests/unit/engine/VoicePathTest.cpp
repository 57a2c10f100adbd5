// The voice signal path measured on rendered sound: pitch, sub-oscillator, key split, routings,
// unison and the amplifiers.
#include "EngineTestSupport.h"
#include "support/SignalMeasure.h"

#include "params/CodeTables.h"

#include <cmath>
#include <vector>

namespace {

float code(CodeKind kind, int value)
{
    return codeStoredValue(kind, value);
}
float wave(OscWaveform w)
{
    return code(CodeKind::OscWave, int(w));
}
float filterType(FilterType t)
{
    return code(CodeKind::FilterType, int(t));
}

struct Stereo {
    std::vector<float> left, right;
};

using measure::zeroCrossingHz;

double rms(const std::vector<float>& x, size_t from = 0)
{
    double sum = 0.0;
    for (size_t i = from; i < x.size(); ++i)
        sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(x.size() - from));
}

class VoicePathTest : public EngineTest {
protected:
    VoicePathTest()
    {
        // One plain sine on side 1, no filters, full level, centred.
        set(Param::Osc1Wave, wave(OscWaveform::Sine));
        set(Param::Osc2Wave, wave(OscWaveform::Off));
        set(Param::FltType, filterType(FilterType::Off));
        set(Param::Flt2Type, filterType(FilterType::Off));
        set(Param::Osc1Vol, 1.0f);
        set(Param::Env1Vel, 0.0f);
        set(Param::Env2Vel, 0.0f);
    }

    Stereo render(int frames, int block = 64)
    {
        Stereo out;
        out.left.reserve(size_t(frames));
        out.right.reserve(size_t(frames));
        for (int done = 0; done < frames; done += block) {
            const int n = std::min(block, frames - done);
            for (int i = 0; i < n; ++i) {
                float l = 0.0f, r = 0.0f;
                engine.renderFrames(&l, &r, n, i, 1);
                out.left.push_back(l);
                out.right.push_back(r);
            }
            engine.clearEventQueue();
        }
        return out;
    }

    // Pitch of a held note, measured after the start.
    double pitchOf(int note, int channelSide = 0)
    {
        noteOn(note);
        render(4410);
        const Stereo s = render(44100);
        return zeroCrossingHz(channelSide == 0 ? s.left : s.right, 44100.0);
    }
};

TEST_F(VoicePathTest, TuningSemiFineAndBendSetThePitch)
{
    EXPECT_NEAR(pitchOf(69), 440.0, 0.05);
    engine.resetEngine();
    set(Param::Tuning, 0.0f);
    EXPECT_NEAR(pitchOf(69), 390.0, 0.05);
    engine.resetEngine();
    set(Param::Tuning, 0.5f);
    set(Param::Osc1Semi, 0.5f + 12.0f / 48.0f);
    EXPECT_NEAR(pitchOf(69), 880.0, 0.1);
    engine.resetEngine();
    set(Param::Osc1Semi, 0.5f);
    set(Param::Osc1Fine, 0.75f); // +50 cents
    EXPECT_NEAR(pitchOf(69), 440.0 * std::pow(2.0, 0.5 / 12.0), 0.05);
    engine.resetEngine();
    set(Param::Osc1Fine, 0.5f);

    set(Param::PBRange, 1.0f);
    engine.controllers.pitchBend = 8191.0f / 8192.0f;
    EXPECT_NEAR(pitchOf(69), 440.0 * std::pow(2.0, 8191.0 / 8192.0), 0.1);
    engine.resetEngine();
    set(Param::PBRange2, 0.0f);
    engine.controllers.pitchBend = -1.0f;
    EXPECT_NEAR(pitchOf(69), 440.0, 0.05) << "no downward range, no downward bend";
    engine.resetEngine();
    set(Param::PBRange2, 1.0f / 12.0f);
    engine.controllers.pitchBend = -1.0f;
    EXPECT_NEAR(pitchOf(69), 440.0 * std::pow(2.0, -1.0 / 12.0), 0.05);
}

TEST_F(VoicePathTest, MonoGlideMovesToTheNewNoteOverTheGlideTime)
{
    set(Param::Poly, 0.0f);
    set(Param::GldAmt, 0.05f); // 100 ms time constant
    noteOn(57);
    render(4410);
    noteOn(69);
    // Shortly after the second key the pitch is still between the notes; much later it has
    // arrived.
    const Stereo early = render(2205);
    const double during = zeroCrossingHz(early.left, 44100.0);
    EXPECT_GT(during, 225.0);
    EXPECT_LT(during, 420.0);
    render(44100);
    const Stereo late = render(22050);
    EXPECT_NEAR(zeroCrossingHz(late.left, 44100.0), 440.0, 0.2);
    EXPECT_EQ(engine.voice(0).note.note, 69);
}

TEST_F(VoicePathTest, SubOscillatorLevelWaveformAndTuning)
{
    set(Param::Osc1Vol, 0.0f); // main silent
    set(Param::Sub1FlVl, 0.0f);
    set(Param::Osc1Sub, 0.5f);
    noteOn(69);
    render(4410);
    EXPECT_EQ(rms(render(4410).left), 0.0) << "the sub is silent at the centre";

    auto shape = [&](float subKnob, double& hz, double& thirdOverFirst) {
        engine.resetEngine();
        set(Param::Osc1Sub, subKnob);
        noteOn(69);
        render(4410);
        const Stereo s = render(44100);
        hz = zeroCrossingHz(s.left, 44100.0);
        const double h1 = measure::magnitudeAt(s.left, hz / 44100.0);
        const double h3 = measure::magnitudeAt(s.left, 3.0 * hz / 44100.0);
        thirdOverFirst = h3 / h1;
    };
    double hz = 0.0, ratio = 0.0;
    shape(0.0f, hz, ratio);
    EXPECT_NEAR(hz, 220.0, 0.1) << "an octave below";
    EXPECT_NEAR(ratio, 1.0 / 9.0, 0.02) << "triangle";
    shape(1.0f, hz, ratio);
    EXPECT_NEAR(hz, 220.0, 0.1);
    EXPECT_NEAR(ratio, 1.0 / 3.0, 0.03) << "square";

    // Alternative mode Tri/Sin: a sine in the upper half, tuned by its own semitone knob.
    set(Param::Sub1AltW, code(CodeKind::SubAlt, int(SubAltMode::TriangleSine)));
    set(Param::Sub1Semi, 0.5f + 7.5f / 48.0f); // the knob steps by whole semitones
    shape(1.0f, hz, ratio);
    EXPECT_NEAR(hz, 440.0 * std::pow(2.0, 7.0 / 12.0), 0.2);
    EXPECT_LT(ratio, 0.01) << "sine";
    shape(0.0f, hz, ratio);
    EXPECT_NEAR(ratio, 1.0 / 9.0, 0.02) << "triangle in the low half";
}

TEST_F(VoicePathTest, KeySplitSendsLowNotesToSideOneAndHighNotesToSideTwo)
{
    set(Param::Osc2Wave, wave(OscWaveform::Sine));
    set(Param::Osc2Vol, 1.0f);
    set(Param::Osc1Pan, 0.0f); // side 1 left only
    set(Param::Osc2Pan, 1.0f); // side 2 right only
    set(Param::KeySplit, 60.5f / 127.0f);
    noteOn(59);
    render(2205);
    Stereo s = render(4410);
    EXPECT_GT(rms(s.left), 0.1);
    EXPECT_EQ(rms(s.right), 0.0);
    engine.resetEngine();
    noteOn(60);
    render(2205);
    s = render(4410);
    EXPECT_EQ(rms(s.left), 0.0);
    EXPECT_GT(rms(s.right), 0.1);

    set(Param::KeySplit, 0.0f);
    engine.resetEngine();
    noteOn(30);
    render(2205);
    s = render(4410);
    EXPECT_GT(rms(s.left), 0.1);
    EXPECT_GT(rms(s.right), 0.1);
}

// Side 1 (left) and side 2 (right) play 220 Hz sines; Filter 2 is a highpass far above them.
// Which side it darkens tells where each routing sends it.
TEST_F(VoicePathTest, EachRoutingFeedsTheFiltersItShould)
{
    set(Param::Osc2Wave, wave(OscWaveform::Sine));
    set(Param::Osc2Vol, 1.0f);
    set(Param::Osc1Pan, 0.0f);
    set(Param::Osc2Pan, 1.0f);
    set(Param::Flt2Type, filterType(FilterType::Highpass));
    set(Param::Flt2Cut, 0.7f); // about 3.5 kHz

    const struct {
        float route;
        bool leftFiltered, rightFiltered;
    } cases[] = {{0.1f, true, true}, {0.3f, true, true}, {0.5f, true, false}, {0.7f, false, true}, {0.9f, false, true}};
    for (const auto& c : cases) {
        engine.resetEngine();
        set(Param::OscRoute, c.route);
        noteOn(57);
        render(4410);
        const Stereo s = render(8820);
        const double open = 0.5; // an unfiltered full-level sine panned hard
        EXPECT_EQ(rms(s.left) < 0.1 * open, c.leftFiltered) << "route " << c.route << " left " << rms(s.left);
        EXPECT_EQ(rms(s.right) < 0.1 * open, c.rightFiltered) << "route " << c.route << " right " << rms(s.right);
    }
}

TEST_F(VoicePathTest, RoutingFourShapesFilterTwoByEnvTwoAlone)
{
    set(Param::Osc2Wave, wave(OscWaveform::Sine));
    set(Param::Osc2Vol, 1.0f);
    set(Param::Osc1Pan, 0.0f);
    set(Param::Osc2Pan, 1.0f);
    set(Param::OscRoute, 0.9f);
    set(Param::Env1Sus, 0.0f); // Env 1 falls to nothing at once
    set(Param::Env2Sus, 1.0f);
    noteOn(57);
    render(8820);
    const Stereo s = render(4410);
    EXPECT_LT(rms(s.left), 1e-4);
    EXPECT_GT(rms(s.right), 0.3);
    EXPECT_TRUE(engine.isSounding(0)) << "Env 2 keeps the voice";
}

TEST_F(VoicePathTest, ReverbCanLeaveTheSecondAmplifierDry)
{
    set(Param::Osc2Wave, wave(OscWaveform::Sine));
    set(Param::Osc2Vol, 1.0f);
    set(Param::Osc1Vol, 0.0f); // only amp 2 (side 2, unfiltered) sounds
    set(Param::OscRoute, 0.5f);
    auto take = [&](float rvbMix, float amp1Only) {
        set(Param::RvbMix, rvbMix);
        set(Param::RvbAmp1, amp1Only);
        engine.resetEngine();
        std::srand(7);
        noteOn(57);
        return render(8820).right;
    };
    const auto dry = take(0.0f, 0.0f);
    auto largestDifference = [&](const std::vector<float>& x) {
        float d = 0.0f;
        for (size_t i = 0; i < x.size(); ++i)
            d = std::max(d, std::fabs(x[i] - dry[i]));
        return d;
    };
    // The reverb of silence is silence, give or take its anti-denormal offset.
    EXPECT_LT(largestDifference(take(0.6f, 1.0f)), 1e-20f);
    EXPECT_GT(largestDifference(take(0.6f, 0.0f)), 0.01f);
}

TEST_F(VoicePathTest, IgnoringAmpVelocityPlaysSoftAndHardAlike)
{
    set(Param::Env1Vel, 1.0f);
    auto level = [&](int velocity) {
        engine.resetEngine();
        noteOn(69, velocity);
        render(4410);
        return rms(render(4410).left);
    };
    EXPECT_NEAR(level(32) / level(127), 32.0 / 127.0, 0.01);
    ignoreVelocity = true;
    EXPECT_NEAR(level(32) / level(127), 1.0, 1e-6);
}

TEST_F(VoicePathTest, UnisonWidensTheImageAroundTheSamePitch)
{
    set(Param::Osc1Wave, wave(OscWaveform::Sawtooth));
    noteOn(69);
    render(4410);
    Stereo s = render(8820);
    EXPECT_EQ(s.left, s.right) << "a single oscillator is centred";

    engine.resetEngine();
    set(Param::Osc1Det, 0.5f);
    set(Param::Osc1DtVo, 1.0f);
    set(Param::Osc1DtSp, 1.0f);
    set(Param::Osc1DtMx, 0.5f);
    noteOn(69);
    render(4410);
    s = render(44100);
    double diff = 0.0;
    for (size_t i = 0; i < s.left.size(); ++i)
        diff += std::fabs(s.left[i] - s.right[i]);
    EXPECT_GT(diff / double(s.left.size()), 0.01) << "the copies lean left and right";
    // The strongest fundamental is the note itself: the copies spread symmetrically around it.
    const double at = measure::magnitudeAt(s.left, 440.0 / 44100.0);
    for (double off : {-8.0, -4.0, 4.0, 8.0})
        EXPECT_GT(at, measure::magnitudeAt(s.left, (440.0 + off) / 44100.0)) << off;

    // Noise has no unison copies: both channels stay the same.
    engine.resetEngine();
    set(Param::Osc1Wave, wave(OscWaveform::White));
    noteOn(69);
    s = render(4410);
    EXPECT_EQ(s.left, s.right);
    EXPECT_GT(rms(s.left), 0.05);
}

TEST_F(VoicePathTest, ReleasedVoicesFallSilentAndStopSounding)
{
    set(Param::Env1Rel, 0.2f); // about 170 ms
    noteOn(69);
    render(4410);
    noteOff(69);
    render(44100);
    EXPECT_FALSE(engine.isSounding(0));
    EXPECT_EQ(rms(render(512).left), 0.0);
}

} // namespace
