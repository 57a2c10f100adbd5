// The modulation matrix: sources, amounts, amount scaling and the crossfade target.
#include "EngineTestSupport.h"

#include "engine/ModMatrix.h"
#include "params/CodeTables.h"
#include "params/ValueCurves.h"

#include <limits>

namespace {

class MatrixTest : public ::testing::Test {
protected:
    void slot(int n, ModSource source, ModTarget target, float amountParam)
    {
        programs.current().set(Param::modSource(n + 1), codeStoredValue(CodeKind::ModSource, int(source)));
        programs.current().set(Param::modTarget(n + 1), codeStoredValue(CodeKind::ModTarget, int(target)));
        programs.current().set(Param::modAmount(n + 1), amountParam);
    }
    void evaluate()
    {
        gatherModSources(block, VoiceSources{velocity, 0.25f, 60, polyPressure, slide}, midi, sources);
        evaluateModMatrix(programs, sources, block);
    }
    float sum(ModTarget t) const { return block.sum(t); }

    ProgramStore programs;
    MidiControllerState midi;
    ModSourceValues sources;
    ModBlock block;
    float velocity = 0.5f;
    float polyPressure = 0.0f;
    float slide = 0.0f;
};

TEST_F(MatrixTest, ConstantSemitonesAndTwoSlotsAdding)
{
    slot(0, ModSource::Const, ModTarget::Osc1Semi, 0.56f);
    evaluate();
    EXPECT_EQ(std::floor(sum(ModTarget::Osc1Semi) * 100.0f + 0.1f), 12.0f);
    slot(1, ModSource::Const, ModTarget::Osc1Semi, 0.56f);
    slot(2, ModSource::Random, ModTarget::Filter1Cut, 1.0f);
    evaluate();
    EXPECT_NEAR(sum(ModTarget::Osc1Semi), 0.24f, 1e-6f);
    EXPECT_NEAR(sum(ModTarget::Filter1Cut), 0.25f, 1e-6f);
    slot(0, ModSource::None, ModTarget::Osc1Semi, 1.0f);
    evaluate();
    EXPECT_NEAR(sum(ModTarget::Osc1Semi), 0.12f, 1e-6f) << "a slot without a source does nothing";
}

TEST_F(MatrixTest, EnvelopeSourceCarriesItsVelocityGain)
{
    block.envValue[0] = 0.8f;
    block.envVelocityGain[0] = envelopeVelocityFactor(0.0f, velocity);
    slot(0, ModSource::Env1, ModTarget::Osc2PW, 1.0f);
    evaluate();
    EXPECT_NEAR(sum(ModTarget::Osc2PW), 0.8f, 1e-6f);
    block.envVelocityGain[0] = envelopeVelocityFactor(1.0f, velocity);
    evaluate();
    EXPECT_NEAR(sum(ModTarget::Osc2PW), 0.4f, 1e-6f);
}

TEST_F(MatrixTest, CrossfadeMovesTheLevelBetweenTheSides)
{
    slot(0, ModSource::Const, ModTarget::OscXVol, 1.0f);
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Vol), 0.0f);
    EXPECT_EQ(sum(ModTarget::Osc2Vol), 1.0f);
    slot(0, ModSource::Const, ModTarget::OscXVol, 0.0f);
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Vol), 1.0f);
    EXPECT_EQ(sum(ModTarget::Osc2Vol), 0.0f);
    // A negative source counts as 0: all of the slot goes to the first side.
    midi.pitchBend = -1.0f;
    slot(0, ModSource::PitchBend, ModTarget::OscXVol, 1.0f);
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Vol), 1.0f);
    EXPECT_EQ(sum(ModTarget::Osc2Vol), 0.0f);
}

TEST_F(MatrixTest, WheelScalesAnotherSlotWithoutChaining)
{
    slot(2, ModSource::Const, ModTarget::Osc1Pan, 1.0f);
    slot(0, ModSource::ModWheel, static_cast<ModTarget>(int(ModTarget::Mod1Amt) + 2), 1.0f);
    midi.modWheel = 0.0f;
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Pan), 0.0f) << "wheel down silences slot 3";
    midi.modWheel = 1.0f;
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Pan), 1.0f);
    // Slot 2 scales slot 1, which scales slot 3: slot 1 still scales with its own plain amount.
    slot(1, ModSource::Const, ModTarget::Mod1Amt, 0.75f); // scale 0.5 for slot 1
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Pan), 1.0f);
    // A scaling slot without a source zeroes its target slot.
    slot(0, ModSource::None, ModTarget::Osc2Pan, 0.5f);
    slot(1, ModSource::None, ModTarget(int(ModTarget::Mod1Amt) + 2), 1.0f);
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Pan), 0.0f);
}

TEST_F(MatrixTest, DamagedSlotValuesAreInactiveAndAmountsStayBounded)
{
    slot(0, ModSource::Const, ModTarget::Osc1Tune, std::numeric_limits<float>::quiet_NaN());
    slot(1, ModSource::Const, ModTarget::Osc2Tune, 1e30f);
    programs.current().set(Param::modSource(3), 0.555f);
    programs.current().set(Param::modTarget(3), 0.01f);
    evaluate();
    EXPECT_EQ(sum(ModTarget::Osc1Tune), 0.0f);
    EXPECT_EQ(sum(ModTarget::Osc2Tune), 1.0f) << "the effective amount is held to -1..+1";
}

// Through a voice: the slot shows in the rendered voice state.
TEST_F(EngineTest, FreeRunningLfoIgnoresItsRateTarget)
{
    set(Param::Lfo2Wave, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Sine)));
    set(Param::Lfo2Rate, 0.3f);
    set(Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(ModSource::Const)));
    set(Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Lfo1Rate) + 1));
    set(Param::modAmount(1), 1.0f);
    noteOn(60);
    renderBlock(64);
    const float modulated = engine.voice(0).lfo[1].increment;
    engine.resetEngine();
    set(Param::Lfo2Free, 1.0f);
    noteOn(60);
    renderBlock(64);
    const float free = engine.voice(0).lfo[1].increment;
    renderBlock(64); // the first frame ran on the increment from before the note
    EXPECT_NEAR(free, lfoRateHz(0.3f, false, tempo) / 44100.0f * kTwoPi, 1e-9f);
    EXPECT_GT(modulated, free * 10.0f);
    EXPECT_EQ(engine.voice(0).lfo[1].phase, engine.globalLfo(1).phase) << "in step with the engine's LFO";
}

// Each synced LFO of a voice follows a tempo change, not only the first one to look at it.
TEST_F(EngineTest, EverySyncedVoiceLfoFollowsATempoChange)
{
    for (int n = 0; n < 4; ++n) {
        set(Param::Lfo1Rate + n, 0.5f);
        set(Param::Lfo1Sync + n, 1.0f);
    }
    noteOn(60);
    renderBlock(64);
    tempo.tempo = 140.0f;
    renderBlock(64);
    const float expected = lfoRateHz(0.5f, true, tempo) / 44100.0f * kTwoPi;
    for (int n = 0; n < 4; ++n)
        EXPECT_NEAR(engine.voice(0).lfo[n].increment, expected, 1e-9f) << "LFO " << n + 1;
}

} // namespace
