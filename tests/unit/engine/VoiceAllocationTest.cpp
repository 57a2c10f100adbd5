// Notes claiming, stealing and releasing voices, observed through voice states and held keys.
#include "EngineTestSupport.h"

#include <cmath>
#include <limits>

namespace {

void expectAllEnvelopes(const Voice& voice, int32_t stage)
{
    for (const Envelope& envelope : voice.env)
        EXPECT_EQ(envelope.stage, stage);
}

} // namespace

TEST(Polyphony, FollowsPolyAndStaysWithinTheVoices)
{
    EXPECT_EQ(polyphonyOf(0.0f), 1);
    EXPECT_EQ(polyphonyOf(1.0f), 32);
    EXPECT_EQ(polyphonyOf(0.5f), 16);
    EXPECT_EQ(polyphonyOf(0.04f), 2);
    EXPECT_EQ(polyphonyOf(0.99f), 31);
    // The store never clamps: wild values must not address voices that do not exist.
    EXPECT_EQ(polyphonyOf(7.5f), 32);
    EXPECT_EQ(polyphonyOf(-3.0f), 1);
    EXPECT_EQ(polyphonyOf(std::numeric_limits<float>::quiet_NaN()), 1);
    EXPECT_EQ(polyphonyOf(std::numeric_limits<float>::infinity()), 32);
}

TEST(Routing, BucketsAndWhichEnvelopesKeepAVoiceSounding)
{
    EXPECT_EQ(routeCode(0.0f), 0);
    EXPECT_EQ(routeCode(0.19f), 0);
    EXPECT_EQ(routeCode(0.2f), 1);
    EXPECT_EQ(routeCode(0.4f), 2);
    EXPECT_EQ(routeCode(0.6f), 3);
    EXPECT_EQ(routeCode(0.8f), 4);
    EXPECT_EQ(routeCode(1.0f), 4);

    Voice voice;
    voice.env[1].gateOn();
    for (int route = 0; route <= 4; ++route)
        EXPECT_EQ(isSounding(voice, Routing(route)), route == 2 || route == 4) << "route " << route;
    voice.env[1].reset();
    voice.env[0].gateOn();
    for (int route = 0; route <= 4; ++route)
        EXPECT_TRUE(isSounding(voice, Routing(route))) << "route " << route;
}

TEST_F(EngineTest, MonoGlidesToANewKeyAndBackToTheHeldOneAtItsVelocity)
{
    set(Param::Poly, 0.0f);
    set(Param::GldAmt, 0.1f); // 200 ms
    noteOn(60, 100);
    const Voice& v = engine.voice(0);
    EXPECT_EQ(v.note.note, 60);
    EXPECT_EQ(v.pitch, 60.0f);
    EXPECT_EQ(v.note.legato, 0);

    noteOn(64, 50);
    EXPECT_EQ(engine.heldNotes().size(), 2u);
    EXPECT_EQ(v.note.note, 64);
    EXPECT_EQ(v.note.legato, 1);
    EXPECT_EQ(v.pitch, 60.0f) << "a legato start keeps the pitch so the voice glides";
    EXPECT_NEAR(v.glideA, std::exp(-2.0f * 3.14159265f / (200.0f * 44100.0f * 0.001f)), 1e-7);
    EXPECT_NEAR(v.glideA + v.glideB, 1.0f, 1e-7);
    expectAllEnvelopes(v, EnvAttack);
    for (int i = 1; i < kNumVoices; ++i)
        EXPECT_TRUE(engine.voice(i).env[0].isIdle()) << "mono uses voice 0 only";

    noteOff(64);
    EXPECT_EQ(engine.heldNotes().size(), 1u);
    EXPECT_EQ(v.note.note, 60);
    EXPECT_FLOAT_EQ(v.note.velocity, 100.0f / 127.0f);
    EXPECT_EQ(v.note.legato, 1);
    EXPECT_FLOAT_EQ(v.note.glideMs, 200.0f);
    expectAllEnvelopes(v, EnvAttack);

    noteOff(60);
    EXPECT_TRUE(engine.heldNotes().empty());
    EXPECT_EQ(v.env[0].stage, EnvRelease);
}

TEST_F(EngineTest, MonoReleasingAnOlderKeyDoesNotChangeTheNote)
{
    set(Param::Poly, 0.0f);
    noteOn(60);
    noteOn(64);
    noteOff(60);
    EXPECT_EQ(engine.voice(0).note.note, 64);
    EXPECT_EQ(engine.voice(0).env[0].stage, EnvAttack);
    ASSERT_EQ(engine.heldNotes().size(), 1u);
    EXPECT_EQ(engine.heldNotes()[0].note, 64);
}

TEST_F(EngineTest, MonoNoteAfterReleaseStartsAtItsOwnPitch)
{
    set(Param::Poly, 0.0f);
    set(Param::GldAmt, 0.1f);
    noteOn(60);
    noteOff(60);
    noteOn(67); // the voice is still releasing
    EXPECT_EQ(engine.voice(0).note.legato, 0);
    EXPECT_EQ(engine.voice(0).pitch, 67.0f);
    EXPECT_EQ(engine.voice(0).glideJump, 1);

    noteOff(67);
    for (Envelope& e : engine.voice(0).env)
        e.reset(); // the release has finished
    noteOn(55);
    EXPECT_EQ(engine.voice(0).pitch, 55.0f);
    EXPECT_EQ(engine.voice(0).note.legato, 0);
}

TEST_F(EngineTest, ThirtyThirdNoteStealsTheOldestHeldVoice)
{
    for (int i = 0; i < 32; ++i)
        noteOn(40 + i);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(engine.voice(i).note.note, 40 + i);
        EXPECT_EQ(engine.voice(i).ageStamp, i);
    }
    noteOn(100);
    const Voice& v = engine.voice(0);
    EXPECT_EQ(v.note.note, 100);
    EXPECT_EQ(v.ageStamp, 32);
    EXPECT_EQ(v.note.legato, 1) << "a held voice is taken over";
    expectAllEnvelopes(v, EnvAttack);
    EXPECT_EQ(engine.heldNotes().size(), 33u);
    EXPECT_EQ(engine.voice(1).note.note, 41);

    noteOn(101);
    EXPECT_EQ(engine.voice(1).note.note, 101);
}

TEST_F(EngineTest, StealingPrefersTheOldestReleasingVoice)
{
    for (int i = 0; i < 32; ++i)
        noteOn(40 + i);
    noteOff(50); // voice 10
    noteOff(45); // voice 5
    noteOn(90);
    EXPECT_EQ(engine.voice(5).note.note, 90);
    EXPECT_EQ(engine.voice(5).note.legato, 0);
    EXPECT_EQ(engine.voice(5).pitch, 90.0f);
    EXPECT_EQ(engine.voice(0).note.note, 40) << "the oldest voice is held and survives";
    noteOn(91);
    EXPECT_EQ(engine.voice(10).note.note, 91);
}

TEST_F(EngineTest, FreeVoiceIsTakenBeforeAnyStealInIndexOrder)
{
    noteOn(60);
    noteOn(62);
    noteOn(64);
    noteOff(62);
    for (Envelope& e : engine.voice(1).env)
        e.reset();
    noteOn(70);
    EXPECT_EQ(attackingVoiceOf(70), 1);
    EXPECT_EQ(engine.voice(1).ageStamp, 3);
}

TEST_F(EngineTest, RepeatedNoteOnIsIgnoredPerChannel)
{
    noteOn(60);
    noteOn(60, 30);
    EXPECT_EQ(engine.heldNotes().size(), 1u);
    EXPECT_EQ(engine.voiceCounter(), 1);
    EXPECT_FLOAT_EQ(engine.voice(0).note.velocity, 100.0f / 127.0f);
    EXPECT_TRUE(engine.voice(1).env[0].isIdle());

    noteOn(60, 100, 3); // the same key on another channel is another key
    EXPECT_EQ(engine.heldNotes().size(), 2u);
    EXPECT_EQ(engine.voice(1).note.channel, 3);
}

TEST_F(EngineTest, VelocityZeroIsANoteOff)
{
    noteOn(60);
    noteOn(60, 0);
    EXPECT_TRUE(engine.heldNotes().empty());
    EXPECT_EQ(stage(0), EnvRelease);
}

TEST_F(EngineTest, NoteOffReleasesEveryVoiceOnThatNoteWhateverTheChannel)
{
    noteOn(60, 100, 0);
    noteOn(60, 100, 5);
    noteOn(62);
    noteOff(60, 9); // a channel on which the key was never pressed
    EXPECT_EQ(stage(0), EnvRelease);
    EXPECT_EQ(stage(1), EnvRelease);
    EXPECT_EQ(stage(2), EnvAttack);
    EXPECT_EQ(engine.heldNotes().size(), 3u) << "only the record of that channel is removed";
    noteOff(61); // never pressed: harmless
    EXPECT_EQ(engine.heldNotes().size(), 3u);
}

TEST_F(EngineTest, LoweringPolyLetsHigherVoicesFinish)
{
    for (int i = 0; i < 4; ++i)
        noteOn(60 + i);
    set(Param::Poly, 0.0f);
    noteOn(70);
    EXPECT_EQ(engine.voice(0).note.note, 70);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(engine.voice(i).note.note, 60 + i);
        EXPECT_EQ(stage(i), EnvAttack) << "voice " << i << " is not cut";
    }
    noteOff(62);
    EXPECT_EQ(stage(2), EnvRelease);
}

TEST_F(EngineTest, WildPolyValuesStayWithinTheVoices)
{
    set(Param::Poly, 40.0f);
    for (int i = 0; i < 40; ++i)
        noteOn(30 + i);
    EXPECT_EQ(engine.voice(31).note.note, 61);
    EXPECT_EQ(engine.voice(7).note.note, 69) << "the 40th note steals within the 32 voices";
    set(Param::Poly, std::numeric_limits<float>::quiet_NaN());
    noteOn(100);
    EXPECT_EQ(engine.voice(0).note.note, 100);
}

TEST_F(EngineTest, SecondAmplifierRoutingsCountEnvTwo)
{
    set(Param::OscRoute, 0.5f); // routing 2
    noteOn(60);
    engine.voice(0).env[0].reset(); // Env 1 has finished, Env 2 still runs
    EXPECT_TRUE(engine.isSounding(0));
    noteOn(62);
    EXPECT_EQ(engine.voice(1).note.note, 62) << "a voice whose Env 2 runs is not free";

    set(Param::OscRoute, 0.9f); // routing 4: the same
    EXPECT_TRUE(engine.isSounding(0));
    set(Param::OscRoute, 0.0f); // the other routings listen to Env 1 only
    EXPECT_FALSE(engine.isSounding(0));
    noteOn(64);
    EXPECT_EQ(engine.voice(0).note.note, 64);
}

TEST_F(EngineTest, SecondAmplifierKeepsAStolenVoiceHeld)
{
    set(Param::Poly, 0.04f); // two voices
    set(Param::OscRoute, 0.5f);
    noteOn(60);
    noteOn(62);
    engine.voice(0).env[0].gateOff(); // Env 1 releases, Env 2 is still in its attack
    noteOn(64);
    EXPECT_EQ(engine.voice(0).note.note, 64);
    EXPECT_EQ(engine.voice(0).note.legato, 1);
}

TEST_F(EngineTest, StealingOrderRestartsAfterAllNotesOff)
{
    set(Param::Poly, 0.1f); // four voices
    for (int i = 0; i < 4; ++i)
        noteOn(60 + i);
    engine.allNotesOff();
    EXPECT_TRUE(engine.heldNotes().empty());
    EXPECT_EQ(engine.voiceCounter(), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(stage(i), EnvRelease);

    for (Envelope& e : engine.voice(2).env)
        e.reset();
    noteOn(70); // the free voice 2, stamp 0 again
    EXPECT_EQ(engine.voice(2).note.note, 70);
    EXPECT_EQ(engine.voice(2).ageStamp, 0);
    noteOff(70);
    noteOn(71); // releasing voices 0 and 2 share stamp 0: the lower index wins
    EXPECT_EQ(engine.voice(0).note.note, 71);
    noteOn(72); // voice 2's stamp 0 beats voice 1's 1, though its note is newer
    EXPECT_EQ(engine.voice(2).note.note, 72);
    noteOn(73);
    EXPECT_EQ(engine.voice(1).note.note, 73);
}

TEST_F(EngineTest, EngineResetSilencesAndClearsButKeepsModCcAndPedal)
{
    noteOn(60);
    noteOn(64);
    engine.controllers.pitchBend = 0.5f;
    engine.controllers.modWheel = 0.5f;
    engine.controllers.channelPressure = 0.5f;
    engine.controllers.keyPressure[60] = 0.5f;
    engine.controllers.modCcValue[1] = 0.25f;
    engine.sustain = true;
    engine.deferredNoteOffs.push_back(MidiMessage{MidiNoteOff, 0, 0, 60, 0});

    engine.resetEngine();
    for (int i = 0; i < kNumVoices; ++i)
        EXPECT_FALSE(engine.isSounding(i));
    EXPECT_TRUE(engine.heldNotes().empty());
    EXPECT_EQ(engine.voiceCounter(), 0);
    EXPECT_EQ(engine.controllers.pitchBend, 0.0f);
    EXPECT_EQ(engine.controllers.modWheel, 0.0f);
    EXPECT_EQ(engine.controllers.channelPressure, 0.0f);
    EXPECT_EQ(engine.controllers.keyPressure[60], 0.0f);
    EXPECT_EQ(engine.controllers.modCcValue[1], 0.25f);
    EXPECT_TRUE(engine.sustain);
    EXPECT_EQ(engine.deferredNoteOffs.size(), 1u);
}

TEST_F(EngineTest, SampleRateReachesVoicesAndNonsenseRatesAreRefused)
{
    engine.setEngineSampleRate(48000.0f);
    EXPECT_EQ(engine.voice(7).sampleRate, 48000.0f);
    const float a48 = engine.voice(7).sideSmoothers[0].pan.a;
    EXPECT_NEAR(a48, std::exp(-2.0f * 3.14159265f / (48000.0f * 0.04f)), 1e-7);
    EXPECT_EQ(engine.voice(7).filterControl[1].keyTrack.a, a48);
    EXPECT_EQ(engine.voice(7).sustainSmoother[3].a, a48);
    EXPECT_TRUE(engine.voice(7).sustainSmoother[3].jump);
    EXPECT_TRUE(engine.voice(7).filterControl[1].keyTrack.jump);

    noteOn(60);
    engine.setEngineSampleRate(0.0f);
    EXPECT_EQ(engine.engineSampleRate(), 48000.0f);
    EXPECT_FALSE(engine.isSounding(0)) << "a rate change still resets";
    engine.setEngineSampleRate(std::numeric_limits<float>::quiet_NaN());
    engine.setEngineSampleRate(-44100.0f);
    EXPECT_EQ(engine.voice(7).sampleRate, 48000.0f);
    EXPECT_EQ(engine.voice(7).sideSmoothers[0].pan.a, a48);
}

TEST_F(EngineTest, GlideTimeZeroOrNegativeMeansNoGlideCoefficient)
{
    set(Param::GldAmt, -0.5f);
    noteOn(60);
    EXPECT_EQ(engine.voice(0).glideA, 0.0f);
    EXPECT_EQ(engine.voice(0).glideB, 1.0f);
}

TEST_F(EngineTest, PublishedSnapshotFollowsVoicesAtBlockStartAndReset)
{
    noteOn(60);
    noteOn(62);
    EXPECT_EQ(engine.soundingVoices(), 0u) << "published at the next block start";
    renderBlock(8);
    EXPECT_EQ(engine.soundingVoices(), 0x3u);
    EXPECT_TRUE(engine.anyNoteHeld());
    noteOff(60);
    noteOff(62);
    engine.voice(0).env[0].reset();
    renderBlock(8);
    EXPECT_EQ(engine.soundingVoices(), 0x2u);
    EXPECT_FALSE(engine.anyNoteHeld());
    noteOn(64);
    engine.resetEngine();
    EXPECT_EQ(engine.soundingVoices(), 0u);
    EXPECT_FALSE(engine.anyNoteHeld());
}
