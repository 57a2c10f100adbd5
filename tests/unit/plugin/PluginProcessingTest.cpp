// The plug-in object driven directly, for what the binary interface cannot show.
#include "instrument/FloatModeGuard.h"
#include "formats/vst2/Plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

struct TimeAnswers {
    const VstTimeInfo* signature = nullptr;
    const VstTimeInfo* tempo = nullptr;
};
TimeAnswers answers;
// The floating-point control word the host saw during its last time request.
unsigned modeSeenByHost = 0;

VstIntPtr VSTCALLBACK timeAnsweringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
#ifdef MORVELLINE_HAS_MXCSR
    if (opcode == audioMasterGetTime)
        modeSeenByHost = _mm_getcsr();
#endif
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(value == kVstTimeSigValid ? answers.signature : answers.tempo);
    return 0;
}

struct PluginFixture : ::testing::Test {
    Plugin* plugin = static_cast<Plugin*>(AudioEffect::fromAeffect(createEffectInstance(timeAnsweringHost)));
    ~PluginFixture() override { plugin->dispatcher(effClose, 0, 0, nullptr, 0); }

    void renderBlock(int frames)
    {
        std::vector<float> l(size_t(frames) + 1), r(size_t(frames) + 1);
        float* outs[2] = {l.data(), r.data()};
        plugin->processReplacing(nullptr, outs, frames);
    }
};

} // namespace

TEST_F(PluginFixture, MissingOrZeroTimeInfoFallsBackTo120And4)
{
    answers = {};
    renderBlock(16);
    EXPECT_EQ(plugin->blockTempo().tempo, 120.0f);
    EXPECT_EQ(plugin->blockTempo().timeSigDenominator, 4);

    VstTimeInfo zero{};
    answers = {&zero, &zero};
    renderBlock(16);
    EXPECT_EQ(plugin->blockTempo().tempo, 120.0f);
    EXPECT_EQ(plugin->blockTempo().timeSigDenominator, 4);
}

TEST_F(PluginFixture, HostTempoAndDenominatorReachTheBlock)
{
    VstTimeInfo info{};
    info.tempo = 93.5;
    info.timeSigDenominator = 8;
    answers = {&info, &info};
    renderBlock(0); // even an empty block reads the tempo
    EXPECT_EQ(plugin->blockTempo().tempo, 93.5f);
    EXPECT_EQ(plugin->blockTempo().timeSigDenominator, 8);
    answers = {};
}

TEST_F(PluginFixture, NewInstanceStartsOnTheDefaultProgram)
{
    const ProgramStore& store = plugin->programStore();
    EXPECT_EQ(store.value(Param::Poly), 0.5f);
    EXPECT_EQ(store.value(Param::PBRange), kBendRangeDefault);
    EXPECT_EQ(store.value(Param::PBRange2), kBendRangeDefault);
    EXPECT_EQ(store.value(Param::Osc1Wave), 0.02f);
    EXPECT_STREQ(store.record(0).name, "Default");
    EXPECT_STREQ(store.record(ProgramStore::kUndoRecord).name, "Default");
}

TEST_F(PluginFixture, StoreKeepsWildValuesUnclamped)
{
    plugin->setParameter(Param::ModSrc1, 0.035f);
    plugin->setParameter(Param::FltCut, 1.7f);
    plugin->setParameter(Param::Volume, -3.0f);
    EXPECT_EQ(plugin->getParameter(Param::ModSrc1), 0.035f);
    EXPECT_EQ(plugin->getParameter(Param::FltCut), 1.7f);
    EXPECT_EQ(plugin->getParameter(Param::Volume), -3.0f);
}

TEST_F(PluginFixture, CommandsAreIgnoredWhileTheEditorIsClosed)
{
    std::vector<float> before;
    for (int i = 0; i < kNumParams; ++i)
        before.push_back(plugin->getParameter(i));
    plugin->setParameter(1005, 2.0f);
    plugin->setParameter(1001, 1.0f);
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(plugin->getParameter(i), before[size_t(i)]) << i;
    EXPECT_EQ(plugin->getProgram(), 0);
}

TEST_F(PluginFixture, SetProgramKeepsAnUndoCopy)
{
    plugin->setProgram(7);
    plugin->setParameter(Param::Volume, 0.9f);
    EXPECT_EQ(plugin->programStore().record(ProgramStore::kUndoRecord).get(Param::Volume), 0.5f);
    plugin->setProgram(-1);
    EXPECT_EQ(plugin->getProgram(), 99);
    plugin->setProgram(100);
    EXPECT_EQ(plugin->getProgram(), 0);
}

TEST_F(PluginFixture, HostProgramNumbersBelowZeroSelectTheLastProgram)
{
    const struct {
        VstIntPtr value;
        int program;
    } cases[] = {{3, 3}, {-1, 99}, {3, 3}, {100, 3}, {-5, 99}, {3, 3}, {VstIntPtr(-1) << 40, 99}};
    for (const auto& c : cases) {
        plugin->dispatcher(effSetProgram, 0, c.value, nullptr, 0);
        EXPECT_EQ(plugin->dispatcher(effGetProgram, 0, 0, nullptr, 0), c.program) << c.value;
    }
}

TEST_F(PluginFixture, ImpossibleSampleRatesKeepTheCurrentRate)
{
    plugin->setSampleRate(48000.0f);
    for (float rate :
         {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e9f}) {
        plugin->setSampleRate(rate);
        EXPECT_EQ(plugin->getSampleRate(), 48000.0f);
    }
    renderBlock(64);
}

TEST_F(PluginFixture, MissingOutputBuffersAreNotWritten)
{
    plugin->processReplacing(nullptr, nullptr, 64);
    float* noChannels[2] = {nullptr, nullptr};
    plugin->processReplacing(nullptr, noChannels, 64);
    SUCCEED();
}

#ifdef MORVELLINE_HAS_MXCSR
// Denormals are flushed while the plug-in works; the host's own mode holds in its callbacks and
// after every process call, whether it had flushing on or off.
TEST_F(PluginFixture, ProcessCallsKeepTheHostsFloatingPointMode)
{
    const unsigned original = _mm_getcsr();
    for (unsigned hostMode : {original & ~FloatModeGuard::kFlushBits, original | FloatModeGuard::kFlushBits}) {
        _mm_setcsr(hostMode);
        renderBlock(64);
        EXPECT_EQ(_mm_getcsr(), hostMode);
        EXPECT_EQ(modeSeenByHost, hostMode);
        std::vector<double> l(64), r(64);
        double* outs[2] = {l.data(), r.data()};
        plugin->processDoubleReplacing(nullptr, outs, 64);
        EXPECT_EQ(_mm_getcsr(), hostMode);
        _mm_setcsr(original);
    }
}
#endif
