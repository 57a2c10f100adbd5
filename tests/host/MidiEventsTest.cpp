// MIDI event lists sent through effProcessEvents to the built library, well-formed and not.
#include "LoadedPlugin.h"
#include "support/HostEventList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

VstIntPtr send(LoadedPlugin& p, VstEvents* events)
{
    return p.dispatch(effProcessEvents, 0, 0, events);
}

bool allFinite(const std::vector<float>& samples)
{
    for (float x : samples)
        if (!std::isfinite(x) || std::fabs(x) > 1.4142f)
            return false;
    return true;
}

int firstSound(const std::vector<float>& left, const std::vector<float>& right)
{
    for (size_t i = 0; i < left.size(); ++i)
        if (left[i] != 0.0f || right[i] != 0.0f)
            return int(i);
    return -1;
}

} // namespace

TEST(HostMidi, NoteAtFrameSeventeenIsSilentBeforeIt)
{
    LoadedPlugin p;
    p.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    p.dispatch(effMainsChanged, 0, 1);
    HostEventList events;
    events.add(17, 0x90, 60, 127);
    ASSERT_EQ(send(p, events.list()), 1);
    std::vector<float> left, right;
    p.render(64, left, right);
    const int onset = firstSound(left, right);
    EXPECT_TRUE(onset == -1 || onset >= 17) << "sound at frame " << onset << " before its note";
    EXPECT_TRUE(allFinite(left) && allFinite(right));
}

TEST(HostMidi, MalformedEventListsAreAnsweredAndRenderingGoesOn)
{
    LoadedPlugin p;
    HostEventList empty;
    EXPECT_EQ(send(p, empty.list()), 1);
    p.dispatch(effProcessEvents, 0, 0, nullptr); // must not crash

    HostEventList negative;
    negative.add(0, 0x90, 60, 100);
    EXPECT_EQ(send(p, negative.listClaiming(-7)), 1);

    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.dumpBytes = 1 << 20;
    sysex.sysexDump = reinterpret_cast<char*>(uintptr_t(16)); // never to be read
    VstEvent unknown{};
    unknown.type = 5;
    unknown.byteSize = 1 << 30;

    HostEventList odd;
    odd.addRaw(nullptr);
    odd.addRaw(reinterpret_cast<VstEvent*>(&sysex));
    odd.addRaw(&unknown);
    odd.add(1, 0x90, 60, 100).byteSize = 24;
    odd.add(2, 0x80, 60, 0).byteSize = -3;
    odd.add(-100, 0x90, 61, 100);
    odd.add(1 << 30, 0x90, 62, 100);
    odd.add(3, 0xFF, 0xFF, 0xFF);
    odd.add(4, 0x12, 0x34, 0x56);
    odd.add(5, 0xB0, 0xFF, 0xFF);
    EXPECT_EQ(send(p, odd.list()), 1);
    std::vector<float> left, right;
    for (int block = 0; block < 4; ++block) {
        p.render(128, left, right);
        EXPECT_TRUE(allFinite(left) && allFinite(right));
    }
}

TEST(HostMidi, LargeAndUnsortedListsAndRepeatedListsPerBlock)
{
    LoadedPlugin p;
    HostEventList big;
    for (int i = 0; i < 10000; ++i)
        big.add((i * 7919) % 512, i % 2 ? 0x80 : 0x90, i % 128, 64);
    EXPECT_EQ(send(p, big.list()), 1);
    HostEventList more;
    more.add(3, 0xB0, 123, 0);
    EXPECT_EQ(send(p, more.list()), 1);
    std::vector<float> left, right;
    p.render(512, left, right);
    EXPECT_TRUE(allFinite(left) && allFinite(right));
    p.render(0, left, right);
    p.render(1, left, right);
    EXPECT_TRUE(allFinite(left));
}

TEST(HostMidi, ResetsBetweenEventsAndProcessingAreSafe)
{
    LoadedPlugin p;
    std::vector<float> left, right;
    for (int round = 0; round < 20; ++round) {
        HostEventList events;
        for (int i = 0; i < 40; ++i)
            events.add(i, 0x90 | (i & 15), 40 + i, 100);
        send(p, events.list());
        switch (round % 4) {
        case 0:
            p.dispatch(effSetProgram, 0, round);
            break;
        case 1:
            p.dispatch(effSetSampleRate, 0, 0, nullptr, round % 8 == 1 ? 0.0f : 96000.0f);
            break;
        case 2:
            p.dispatch(effMainsChanged, 0, 0);
            break;
        default:
            p.dispatch(effMainsChanged, 0, 1);
            break;
        }
        p.render(64, left, right, round % 2 == 1);
        EXPECT_TRUE(allFinite(left) && allFinite(right)) << "round " << round;
    }
}
