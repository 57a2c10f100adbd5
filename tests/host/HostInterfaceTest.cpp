// Drives the built Morvelline library the way a host does, through the binary interface only.
#include "LoadedPlugin.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>

namespace {

VstIntPtr canDo(LoadedPlugin& p, const char* what)
{
    return p.dispatch(effCanDo, 0, 0, const_cast<char*>(what));
}

} // namespace

TEST(HostInterface, EffectRecordDescribesASynthWithTwoOutputs)
{
    LoadedPlugin p;
    AEffect* fx = p.effect();
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->magic, kEffectMagic);
    EXPECT_EQ(fx->uniqueID, 0x2D535E34);
    EXPECT_EQ(fx->numPrograms, 100);
    EXPECT_EQ(fx->numParams, 199);
    EXPECT_EQ(fx->numInputs, 0);
    EXPECT_EQ(fx->numOutputs, 2);
    EXPECT_EQ(fx->version, 1);
    EXPECT_EQ(fx->initialDelay, 0);
    EXPECT_EQ(fx->flags & (effFlagsCanReplacing | effFlagsIsSynth | effFlagsCanDoubleReplacing),
              effFlagsCanReplacing | effFlagsIsSynth | effFlagsCanDoubleReplacing);
    EXPECT_EQ(fx->flags & effFlagsProgramChunks, 0);
    EXPECT_NE(reinterpret_cast<void*>(fx->process), reinterpret_cast<void*>(fx->processReplacing));
    ASSERT_FALSE(p.calls.empty());
    EXPECT_EQ(p.calls.front().opcode, audioMasterVersion);
}

TEST(HostInterface, LegacyMainEntryIsTheSameEntry)
{
    void* lib = dlopen(MORVELLINE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr);
    EXPECT_NE(dlsym(lib, "main"), nullptr);
    EXPECT_NE(dlsym(lib, "VSTPluginMain"), nullptr);
    dlclose(lib);
}

TEST(HostInterface, HostWithoutVersionGetsNoEffect)
{
    HostBehaviour old;
    old.versionAnswer = 0;
    LoadedPlugin p(old);
    EXPECT_EQ(p.effect(), nullptr);
}

TEST(HostInterface, IdentityStrings)
{
    LoadedPlugin p;
    EXPECT_EQ(p.stringOf(effGetEffectName), "Morvelline");
    EXPECT_EQ(p.stringOf(effGetVendorString), "Hollowfen Software");
    EXPECT_EQ(p.stringOf(effGetProductString), "Morvelline");
    EXPECT_EQ(p.dispatch(effGetVendorVersion), 1302);
    EXPECT_EQ(p.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(p.dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(p.dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(p.dispatch(effGetTailSize), 0);
    EXPECT_EQ(p.dispatch(effGetNumMidiInputChannels), 0);
    EXPECT_EQ(p.dispatch(effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(p.dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(p.dispatch(effString2Parameter, 0, 0, const_cast<char*>("0.5")), 0);
}

TEST(HostInterface, CanDoAnswersInTableOrder)
{
    LoadedPlugin p;
    EXPECT_EQ(canDo(p, "receiveVstEvents"), 1);
    EXPECT_EQ(canDo(p, "receiveVstMidiEvent"), 1);
    EXPECT_EQ(canDo(p, "receiveVstTimeInfo"), 1);
    EXPECT_EQ(canDo(p, "sendVstEvents"), -1);
    EXPECT_EQ(canDo(p, "sendVstMidiEvent"), -1);
    EXPECT_EQ(canDo(p, "offline"), -1);
    EXPECT_EQ(canDo(p, "midiProgramNames"), -1);
    EXPECT_EQ(canDo(p, "bypass"), -1);
    EXPECT_EQ(canDo(p, "sendVstTimeInfo"), 0);
    EXPECT_EQ(canDo(p, "receiveVstEventsX"), 0);
    EXPECT_EQ(canDo(p, ""), 0);
}

TEST(HostInterface, OutputPinsAreOneStereoPair)
{
    LoadedPlugin p;
    VstPinProperties pin{};
    EXPECT_EQ(p.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "1");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    std::memset(&pin, 0, sizeof pin);
    EXPECT_EQ(p.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "2");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(p.dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(p.dispatch(effGetOutputProperties, -1, 0, &pin), 0);
    EXPECT_EQ(p.dispatch(effGetInputProperties, 0, 0, &pin), 0);
}

TEST(HostInterface, NoChunksLeavesHostPointerUntouched)
{
    LoadedPlugin p;
    void* sentinel = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(p.dispatch(effGetChunk, 0, 0, &sentinel), 0);
    EXPECT_EQ(sentinel, reinterpret_cast<void*>(0x1234));
    char data[4] = {};
    EXPECT_EQ(p.dispatch(effSetChunk, 0, sizeof data, data), 0);
}

TEST(HostInterface, ParametersByIndex)
{
    LoadedPlugin p;
    AEffect* fx = p.effect();
    EXPECT_EQ(fx->getParameter(fx, 50), 0.5f);
    fx->setParameter(fx, 12, 1.7f); // the store keeps what it is given
    EXPECT_EQ(fx->getParameter(fx, 12), 1.7f);
    for (float wild : {NAN, INFINITY, -INFINITY}) {
        fx->setParameter(fx, 12, wild);
        EXPECT_EQ(fx->getParameter(fx, 12), 1.7f) << "a non-finite value replaced a sound one";
    }
    fx->setParameter(fx, 199, 0.3f);
    fx->setParameter(fx, -1, 0.3f);
    EXPECT_EQ(fx->getParameter(fx, 199), 0.0f);
    EXPECT_EQ(fx->getParameter(fx, -1), 0.0f);
    EXPECT_EQ(fx->getParameter(fx, 1005), 0.0f);

    EXPECT_EQ(p.stringOf(effGetParamName, 0), "Osc1Semi");
    EXPECT_EQ(p.stringOf(effGetParamName, 198), "RvbAmp1");
    EXPECT_EQ(p.stringOf(effGetParamLabel, 12), "");
    char untouched[16] = "keep";
    p.dispatch(effGetParamName, 199, 0, untouched);
    EXPECT_STREQ(untouched, "keep");
    p.dispatch(effGetParamName, -1, 0, untouched);
    EXPECT_STREQ(untouched, "keep");
    EXPECT_EQ(p.dispatch(effCanBeAutomated, 0), 1);
    EXPECT_EQ(p.dispatch(effCanBeAutomated, 198), 1);
    EXPECT_EQ(p.dispatch(effCanBeAutomated, 199), 0);
    EXPECT_EQ(p.dispatch(effCanBeAutomated, -1), 0);
}

TEST(HostInterface, EveryParameterNameFitsTheHostLimit)
{
    LoadedPlugin p;
    for (int i = 0; i < 199; ++i) {
        char name[32];
        std::memset(name, 'x', sizeof name);
        p.dispatch(effGetParamName, i, 0, name);
        EXPECT_LE(std::strlen(name), 8u) << i;
        EXPECT_EQ(name[9], 'x') << "written past the 9-byte limit at " << i;
    }
}

TEST(HostInterface, ProgramsSelectNameAndWrap)
{
    LoadedPlugin p;
    EXPECT_EQ(p.dispatch(effGetProgram), 0);
    EXPECT_EQ(p.stringOf(effGetProgramName), "Default");
    p.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(p.dispatch(effGetProgram), 5);
    p.dispatch(effSetProgram, 0, 100);
    EXPECT_EQ(p.dispatch(effGetProgram), 5);
    p.dispatch(effSetProgramName, 0, 0, const_cast<char*>("A name that is much longer than allowed"));
    // 24 characters are kept; a host's 24-byte buffer gets 23 and the terminator.
    EXPECT_EQ(p.stringOf(effGetProgramName), "A name that is much lon");
    char name[64];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(p.dispatch(effGetProgramNameIndexed, 5, 0, name), 1);
    EXPECT_STREQ(name, "A name that is much lon");
    EXPECT_EQ(name[24], 'x') << "written past the 24-byte limit";
    EXPECT_EQ(p.dispatch(effGetProgramNameIndexed, 99, 0, name), 1);
    EXPECT_STREQ(name, "Default");
    EXPECT_EQ(p.dispatch(effGetProgramNameIndexed, 100, 0, name), 0);
    EXPECT_EQ(p.dispatch(effGetProgramNameIndexed, -1, 0, name), 0);
}

TEST(HostInterface, ProgramChangeAsksHostToRefresh)
{
    LoadedPlugin p;
    p.calls.clear();
    p.dispatch(effSetProgram, 0, 3);
    bool refreshed = false;
    for (const auto& c : p.calls)
        refreshed |= c.opcode == audioMasterUpdateDisplay;
    EXPECT_TRUE(refreshed);
}

TEST(HostInterface, ValuesArePerProgram)
{
    LoadedPlugin p;
    AEffect* fx = p.effect();
    fx->setParameter(fx, 69, 0.9f);
    p.dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(fx->getParameter(fx, 69), 0.5f);
    p.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(fx->getParameter(fx, 69), 0.9f);
}

TEST(HostInterface, ProcessingAsksTimeTwiceAndRendersSilence)
{
    LoadedPlugin p;
    p.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    p.dispatch(effSetBlockSize, 0, 512);
    p.dispatch(effMainsChanged, 0, 1);
    p.dispatch(effStartProcess);
    p.calls.clear();
    std::vector<float> left, right;
    p.render(256, left, right);
    ASSERT_EQ(p.calls.size(), 2u);
    EXPECT_EQ(p.calls[0].opcode, audioMasterGetTime);
    EXPECT_EQ(p.calls[0].value, 0x2000);
    EXPECT_EQ(p.calls[1].opcode, audioMasterGetTime);
    EXPECT_EQ(p.calls[1].value, 0x400);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(left[size_t(i)], 0.0f);
        EXPECT_EQ(right[size_t(i)], 0.0f);
    }
    p.render(64, left, right, true);
    EXPECT_EQ(left[63], 0.0f);
    p.dispatch(effStopProcess);
    p.dispatch(effMainsChanged, 0, 0);
}

TEST(HostInterface, EmptyBlockWritesNothing)
{
    LoadedPlugin p;
    float sentinel = 42.0f;
    float* outs[2] = {&sentinel, &sentinel};
    p.effect()->processReplacing(p.effect(), nullptr, outs, 0);
    EXPECT_EQ(sentinel, 42.0f);
}

TEST(HostInterface, HostWithoutTimeInfoStillRenders)
{
    HostBehaviour silentHost;
    silentHost.giveTimeInfo = false;
    LoadedPlugin p(silentHost);
    std::vector<float> left, right;
    p.render(128, left, right);
    EXPECT_EQ(left[127], 0.0f);
}

TEST(HostInterface, EventsAreAcceptedAndUnservedOpcodesAnswerZero)
{
    LoadedPlugin p;
    VstMidiEvent noteOn{};
    noteOn.type = kVstMidiType;
    noteOn.byteSize = sizeof noteOn;
    noteOn.midiData[0] = char(0x90);
    noteOn.midiData[1] = 60;
    noteOn.midiData[2] = 100;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&noteOn);
    EXPECT_EQ(p.dispatch(effProcessEvents, 0, 0, &list), 1);
    EXPECT_EQ(p.dispatch(effGetParameterProperties, 0, 0, nullptr), 0);
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(p.dispatch(9999), 0);
    EXPECT_EQ(p.dispatch(-5), 0);
}
