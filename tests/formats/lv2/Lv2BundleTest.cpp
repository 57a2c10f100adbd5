// The LV2 bundle as a lilv host drives it: pitch, presets, state kept by the host, and a host
// that sends nonsense.
#include "Lv2Host.h"
#include "formats/lv2/Lv2Uris.h"
#include "presets/ProgramFiles.h"
#include "support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

std::unique_ptr<Lv2Host> started()
{
    auto host = std::make_unique<Lv2Host>(MORVELLINE_LV2_BUNDLE);
    host->configure(kRate, kBlock, false);
    host->start();
    return host;
}

// Renders frames of the left channel, the events in the first block.
std::vector<float> play(Lv2Host& host, int frames, const std::vector<BlockEvent>& events = {})
{
    std::vector<float> left;
    for (int done = 0; done < frames; done += kBlock) {
        host.processBlock(done == 0 ? events : std::vector<BlockEvent>{}, kBlock);
        left.insert(left.end(), host.output(0), host.output(0) + kBlock);
    }
    return left;
}

TEST(Lv2Bundle, HeldA4SoundsAt440Hz)
{
    auto host = started();
    host->setParameter(Param::Osc1Wave, 9.0f); // the stored number of Sine
    const std::vector<float> out = play(*host, int(kRate), {{0, {0x90, 69, 100}}});
    // The second half second, past the attack.
    const std::vector<float> held(out.begin() + std::ptrdiff_t(kRate / 2), out.end());
    EXPECT_NEAR(measure::zeroCrossingHz(held, kRate), 440.0, 0.5);
}

TEST(Lv2Bundle, FactoryPresetSetsEveryPortAndTheName)
{
    auto store = std::make_unique<ProgramStore>();
    ASSERT_EQ(loadBankFile(&store->record(0), MORVELLINE_FACTORY_BANK), kFileOk);
    auto host = started();
    ASSERT_EQ(host->numPrograms(), kNumPrograms);
    for (int program : {1, 57, 99}) {
        host->setProgram(program);
        play(*host, kBlock);
        const ProgramRecord& record = store->record(program);
        EXPECT_EQ(host->receivedText(lv2uri::kProgramName), record.name);
        EXPECT_EQ(host->receivedNumber(lv2uri::kProgram), program);
        EXPECT_EQ(host->programNames()[size_t(program)], record.name);
        // Menu ports carry the stored number, switches 0 or 1, the rest the value itself.
        EXPECT_EQ(host->control(Param::Osc1Wave) / 100.0f, record.get(Param::Osc1Wave));
        EXPECT_EQ(host->control(Param::FltCut), record.get(Param::FltCut));
        EXPECT_EQ(host->control(Param::Lfo1Sync), record.get(Param::Lfo1Sync));
    }
}

TEST(Lv2Bundle, StateRoundTripKeepsValuesNameAndProgram)
{
    auto first = started();
    first->setParameter(Param::FltCut, 0.3125f);
    first->setParameter(Param::ModSrc1, 5.0f);
    first->setParameter(Param::DlySync, 1.0f);
    first->sendProperty(lv2uri::kProgramName, "Glass \"Pad\" \\ 2");
    first->sendProperty(lv2uri::kProgram, 42);
    play(*first, kBlock);
    const std::string saved = first->saveState();
    ASSERT_FALSE(saved.empty());

    auto second = started();
    ASSERT_TRUE(second->restoreState(saved));
    play(*second, kBlock);
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(second->control(i), first->control(i)) << kParamTable[i].shortName;
    EXPECT_EQ(second->receivedText(lv2uri::kProgramName), "Glass \"Pad\" \\ 2");
    EXPECT_EQ(second->receivedNumber(lv2uri::kProgram), 42);
    EXPECT_EQ(second->saveState(), saved);
}

// The editor may run apart from the plug-in: its lamps hear of the voices through messages
// (a block late, as the voices publish their state when the next block starts).
TEST(Lv2Bundle, NotifyPortTellsWhichVoicesSoundAndWhetherAKeyIsHeld)
{
    auto host = started();
    play(*host, 2 * kBlock, {{0, {0x90, 60, 100}}, {0, {0x90, 64, 100}}});
    EXPECT_EQ(__builtin_popcount(unsigned(host->receivedNumber(lv2uri::kVoices))), 2);
    EXPECT_EQ(host->receivedNumber(lv2uri::kKeyHeld), 1);
    play(*host, 2 * kBlock, {{0, {0x80, 60, 0}}, {0, {0x80, 64, 0}}});
    EXPECT_EQ(host->receivedNumber(lv2uri::kKeyHeld), 0);
    play(*host, int(kRate) * 10); // past any release
    EXPECT_EQ(host->receivedNumber(lv2uri::kVoices), 0);
}

TEST(Lv2Bundle, NonsenseFromTheHostChangesNothingItShouldNot)
{
    auto host = started();
    host->sendProperty(lv2uri::kProgramName, std::string(300, 'x'));
    host->sendProperty(lv2uri::kProgram, -5);
    host->sendProperty(lv2uri::kProgram, 100000);
    const float wild[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f};
    for (int i = 0; i < kNumParams; ++i)
        host->setParameter(i, wild[i % 5]);
    // Running status, system messages, a lone status byte, and events past the block's end.
    const std::vector<BlockEvent> odd = {{0, {0x90, 60, 127}}, {1, {0x40, 0x40, 0}}, {2, {0xF0, 0x7E, 0xF7}},
                                         {3, {0xFF, 0, 0}},    {5000, {0x90, 64, 90}}, {-7, {0x80, 60, 0}}};
    for (float sample : play(*host, int(kRate), odd))
        ASSERT_TRUE(std::isfinite(sample));
    host->processBlock({}, 0);
    EXPECT_EQ(host->receivedText(lv2uri::kProgramName), std::string(kProgramNameSize - 1, 'x'));
    EXPECT_EQ(host->receivedNumber(lv2uri::kProgram), 0);
    EXPECT_FALSE(host->restoreState("this is not Turtle"));
}

} // namespace
