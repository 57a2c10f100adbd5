// A small sine synthesizer that passes every check of morvelline-validate, and, built with one
// of the BROKEN_* definitions, carries one typical fault for the validator to catch:
//   BROKEN_TEXT_OVERFLOW     writes a display text longer than any host's buffer
//   BROKEN_NAN               outputs NaN once its "Tone" parameter reaches 1
//   BROKEN_ALLOCATES         allocates a scratch buffer in every process call
//   BROKEN_ZERO_FRAME_CRASH  dereferences a null pointer on a zero-frame process call
//   BROKEN_SET_PARAMETER_CRASH  indexes its parameter array unchecked, crashing on setParameter
//                            of the index just past the second one past the end
#include "vst/vstabi.h"

#include <atomic>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kVoices = 16;
constexpr int kParams = 2;
constexpr int kPrograms = 4;
constexpr size_t kNameBytes = 24;

struct Voice {
    int note = -1;
    bool held = false;
    float level = 0;
    double phase = 0;
};

struct Synth {
    AEffect effect{};
    std::atomic<float> params[kParams] = {0.5f, 0.5f}; // automation arrives from any thread
    char names[kPrograms][kNameBytes] = {"Soft", "Bright", "Low", "High"};
    int program = 0;
    double rate = 44100;
    Voice voices[kVoices];
};

Synth* synthOf(AEffect* effect)
{
    return static_cast<Synth*>(effect->object);
}

void copyText(void* ptr, const char* text, size_t limit)
{
    size_t length = std::min(std::strlen(text), limit - 1);
    std::memcpy(ptr, text, length);
    static_cast<char*>(ptr)[length] = 0;
}

void startNote(Synth& s, int note, int velocity)
{
    Voice* voice = &s.voices[0];
    for (Voice& v : s.voices)
        if (v.level < voice->level)
            voice = &v;
    *voice = Voice{note, true, float(velocity) / 127.0f, 0};
}

void releaseNote(Synth& s, int note)
{
    for (Voice& v : s.voices)
        if (v.note == note)
            v.held = false;
}

void handleMidi(Synth& s, const unsigned char* m)
{
    int kind = m[0] & 0xF0;
    if (kind == 0x90 && m[2] > 0 && m[1] < 128)
        startNote(s, m[1], m[2] & 0x7F);
    else if (kind == 0x80 || kind == 0x90)
        releaseNote(s, m[1]);
    else if (kind == 0xB0 && (m[1] == 123 || m[1] == 120))
        for (Voice& v : s.voices)
            v.held = false;
}

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt)
{
    Synth& s = *synthOf(effect);
    static const char* const kParamNames[kParams] = {"Gain", "Tone"};
    switch (opcode) {
    case effClose:
        delete &s;
        return 1;
    case effSetProgram:
        if (value >= 0 && value < kPrograms)
            s.program = int(value);
        return 0;
    case effGetProgram:
        return s.program;
    case effSetProgramName:
        copyText(s.names[s.program], static_cast<const char*>(ptr), kNameBytes);
        return 0;
    case effGetProgramName:
        copyText(ptr, s.names[s.program], kNameBytes);
        return 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= kPrograms)
            return 0;
        copyText(ptr, s.names[index], kNameBytes);
        return 1;
    case effGetParamName:
    case effGetParamLabel:
    case effGetParamDisplay: {
        if (index < 0 || index >= kParams)
            return 0;
        char text[64];
        if (opcode == effGetParamName)
            std::snprintf(text, sizeof text, "%s", kParamNames[index]);
        else if (opcode == effGetParamLabel)
            std::snprintf(text, sizeof text, "%%");
        else
            std::snprintf(text, sizeof text, "%d", int(std::lround(s.params[index] * 100))); // no decimal point
#ifdef BROKEN_TEXT_OVERFLOW
        if (opcode == effGetParamDisplay) {
            std::strcpy(static_cast<char*>(ptr), "a display text far longer than a host gives");
            return 0;
        }
#endif
        copyText(ptr, text, 8);
        return 0;
    }
    case effSetSampleRate:
        if (opt > 0)
            s.rate = opt;
        return 0;
    case effMainsChanged:
        for (Voice& v : s.voices)
            v = Voice{};
        return 0;
    case effProcessEvents: {
        auto* list = static_cast<VstEvents*>(ptr);
        for (VstInt32 i = 0; list && i < list->numEvents; ++i)
            if (list->events[i] && list->events[i]->type == kVstMidiType)
                handleMidi(
                    s, reinterpret_cast<unsigned char*>(reinterpret_cast<VstMidiEvent*>(list->events[i])->midiData));
        return 1;
    }
    case effCanBeAutomated:
        return index >= 0 && index < kParams;
    case effGetEffectName:
    case effGetProductString:
        copyText(ptr, "Validator Test Synth", 32);
        return 1;
    case effGetVendorString:
        copyText(ptr, "Morvelline tests", 64);
        return 1;
    case effGetPlugCategory:
        return kPlugCategSynth;
    case effGetVstVersion:
        return kVstVersion;
    case effCanDo:
        return ptr && (std::strcmp(static_cast<char*>(ptr), "receiveVstEvents") == 0 ||
                       std::strcmp(static_cast<char*>(ptr), "receiveVstMidiEvent") == 0);
    default:
        return 0;
    }
}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value)
{
#ifdef BROKEN_SET_PARAMETER_CRASH
    if (index == kParams + 1) {
        volatile float* nowhere = nullptr;
        *nowhere = value;
    }
#endif
    if (index < 0 || index >= kParams)
        return;
    synthOf(effect)->params[index] = value >= 0.0f ? std::min(value, 1.0f) : 0.0f; // NaN too
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index)
{
    return index >= 0 && index < kParams ? synthOf(effect)->params[index].load() : 0.0f;
}

void VSTCALLBACK processReplacing(AEffect* effect, float** /*inputs*/, float** outputs, VstInt32 frames)
{
    Synth& s = *synthOf(effect);
#ifdef BROKEN_ZERO_FRAME_CRASH
    if (frames == 0) {
        volatile float* nowhere = nullptr;
        *nowhere = 0;
    }
#endif
#ifdef BROKEN_ALLOCATES
    std::vector<float> mix(size_t(frames) + 1);
#endif
#ifdef BROKEN_NAN
    float shape = std::sqrt(0.999999f - s.params[1]);
#else
    float shape = 0.5f + 0.5f * s.params[1];
#endif
    float gain = 0.2f * s.params[0];
    double release = std::exp(-1.0 / (0.05 * s.rate));
    for (VstInt32 i = 0; i < frames; ++i) {
        float sum = 0;
        for (Voice& v : s.voices) {
            if (v.note < 0)
                continue;
            sum += v.level * float(std::sin(v.phase)) * shape;
            v.phase += 2 * kPi * 440.0 * std::pow(2.0, (v.note - 69) / 12.0) / s.rate;
            if (v.phase > 2 * kPi)
                v.phase -= 2 * kPi;
            if (!v.held && (v.level *= float(release)) < 1e-6f)
                v = Voice{};
        }
        outputs[0][i] = outputs[1][i] = sum * gain;
    }
}

void VSTCALLBACK process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    processReplacing(effect, inputs, outputs, frames);
}

} // namespace

extern "C" {
#ifdef _WIN32
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
    AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0)
        return nullptr;
    Synth* s = new Synth;
    AEffect& e = s->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.process = process;
    e.processReplacing = processReplacing;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = kPrograms;
    e.numParams = kParams;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsIsSynth;
    e.ioRatio = 1;
    e.object = s;
    e.uniqueID = vstFourCC('M', 'v', 'V', 't');
    return &e;
}
}
