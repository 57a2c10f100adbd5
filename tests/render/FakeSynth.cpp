#include "FakeSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

const char* const kParamNames[] = {"Volume", "FltCut", "LongParameterName"};

struct FakeSynth {
    AEffect effect{};
    audioMasterCallback host;
    int held = 0;
    float level = 0;
    int program = 0;
};

FakeSynth* self(AEffect* e)
{
    return static_cast<FakeSynth*>(e->object);
}

// Writes a string far past the nominal limit, as careless plug-ins do; the host's buffer must
// take it.
void writeString(void* ptr, const std::string& text)
{
    auto* out = static_cast<char*>(ptr);
    for (int i = 0; i < 256; ++i)
        if (out[i] != 0)
            fakeLog().stringBuffersWereZeroed = false;
    std::strcpy(out, text.c_str());
}

VstIntPtr VSTCALLBACK dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float)
{
    FakeLog& log = fakeLog();
    log.opcodes.push_back(opcode);
    switch (opcode) {
    case effClose:
        delete self(e);
        return 1;
    case effProcessEvents: {
        auto* list = static_cast<VstEvents*>(ptr);
        for (int i = 0; i < list->numEvents; ++i) {
            auto* m = reinterpret_cast<VstMidiEvent*>(list->events[i]);
            EXPECT_EQ(m->type, kVstMidiType);
            EXPECT_EQ(m->byteSize, VstInt32(sizeof(VstMidiEvent)));
            FakeLog::Received r{log.blocks,
                                m->deltaFrames,
                                {uint8_t(m->midiData[0]), uint8_t(m->midiData[1]), uint8_t(m->midiData[2])}};
            log.events.push_back(r);
            uint8_t kind = r.bytes[0] & 0xF0;
            if (kind == 0x90 && r.bytes[2] > 0)
                ++self(e)->held;
            else if ((kind == 0x80 || kind == 0x90) && self(e)->held > 0)
                --self(e)->held;
        }
        return 1;
    }
    case effSetProgram:
        log.programs.emplace_back(int(value), log.blocks);
        self(e)->program = int(value);
        return 0;
    case effGetProgram:
        return self(e)->program;
    case effGetProgramName: // names only the current program, as many older plug-ins do
        writeString(ptr, "Fake " + std::to_string(self(e)->program));
        return 0;
    case effGetParamName:
        writeString(ptr, index >= 0 && index < 3 ? kParamNames[index] : "");
        return 0;
    case effGetParamDisplay:
        writeString(ptr, std::string(200, 'd'));
        return 0;
    case effGetParamLabel:
        writeString(ptr, "dB");
        return 0;
    case effGetEffectName:
        writeString(ptr, "Fake Synth");
        return 1;
    default:
        return 0;
    }
}

template <typename Sample>
void render(AEffect* e, Sample** outputs, VstInt32 frames)
{
    FakeLog& log = fakeLog();
    FakeSynth* s = self(e);
    auto* time =
        reinterpret_cast<VstTimeInfo*>(s->host(e, audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid, nullptr, 0));
    log.times.push_back(time ? *time : VstTimeInfo{});
    log.processLevels.push_back(int(s->host(e, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0)));
    log.blockFrames.push_back(frames);
    for (VstInt32 i = 0; i < frames; ++i) {
        float v = 0;
        switch (log.sound) {
        case FakeLog::Sound::Silent:
            break;
        case FakeLog::Sound::HeldNotes:
            s->level = s->held > 0 ? 0.5f : s->level * log.decayPerSample;
            v = s->level;
            break;
        case FakeLog::Sound::Constant:
            v = 0.25f;
            break;
        case FakeLog::Sound::NotANumber:
            v = i % 2 ? NAN : 0.5f;
            break;
        }
        for (int c = 0; c < e->numOutputs; ++c)
            outputs[c][i] = Sample(v);
    }
    ++log.blocks;
}

void VSTCALLBACK processReplacing(AEffect* e, float**, float** outputs, VstInt32 frames)
{
    render(e, outputs, frames);
}

void VSTCALLBACK processDoubleReplacing(AEffect* e, double**, double** outputs, VstInt32 frames)
{
    fakeLog().usedDouble = true;
    render(e, outputs, frames);
}

void VSTCALLBACK processAccumulating(AEffect*, float**, float**, VstInt32) {}

void VSTCALLBACK setParameter(AEffect*, VstInt32 index, float value)
{
    fakeLog().lastParamIndex = index;
    fakeLog().lastParamValue = value;
}

float VSTCALLBACK getParameter(AEffect*, VstInt32)
{
    return 0;
}

} // namespace

FakeLog& fakeLog()
{
    static FakeLog log;
    return log;
}

AEffect* VSTCALLBACK fakeSynthMain(audioMasterCallback host)
{
    FakeLog& log = fakeLog();
    log.hostAnswersAtCreation = {host(nullptr, audioMasterVersion, 0, 0, nullptr, 0),
                                 host(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0),
                                 host(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0)};
    auto* s = new FakeSynth;
    s->host = host;
    AEffect& e = s->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.process = processAccumulating;
    e.processReplacing = processReplacing;
    e.processDoubleReplacing = log.canDouble ? processDoubleReplacing : nullptr;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = 8;
    e.numParams = 3;
    e.numOutputs = log.numOutputs;
    e.flags = effFlagsCanReplacing | effFlagsIsSynth | (log.canDouble ? effFlagsCanDoubleReplacing : 0);
    e.object = s;
    e.ioRatio = 1;
    return &e;
}
