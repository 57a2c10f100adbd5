// Creation and destruction, every dispatcher opcode with harmless and hostile arguments, and
// the call orders hosts get wrong: close without suspend, process while suspended, resume twice,
// sample rate and block size changes at any time.
#include "GuardedText.h"
#include "Rig.h"
#include "StepNote.h"

namespace {

enum class Arg { None, Text, Buffer, Special };

constexpr VstInt32 kGetSpeakerArrangement = 69; // not used by our own plug-in, so not declared with the others

struct OpcodeCase {
    VstInt32 opcode;
    const char* name;
    Arg arg;
    size_t size; // buffer bytes for Text and Buffer
};

// Opcodes whose effect is tested elsewhere (close, suspend/resume, editor opening, chunk
// loading) are left out.
const OpcodeCase kOpcodes[] = {
    {0, "effOpen (again)", Arg::None, 0},
    {2, "effSetProgram", Arg::None, 0},
    {3, "effGetProgram", Arg::None, 0},
    {4, "effSetProgramName", Arg::Special, 0},
    {5, "effGetProgramName", Arg::Text, kProgramNameLimit},
    {6, "effGetParamLabel", Arg::Text, kParamTextLimit},
    {7, "effGetParamDisplay", Arg::Text, kParamTextLimit},
    {8, "effGetParamName", Arg::Text, kParamTextLimit},
    {9, "effGetVu", Arg::None, 0},
    {10, "effSetSampleRate", Arg::None, 0},
    {11, "effSetBlockSize", Arg::None, 0},
    {13, "effEditGetRect", Arg::Special, 0},
    {15, "effEditClose (never opened)", Arg::None, 0},
    {16, "effEditDraw", Arg::Buffer, 64},
    {17, "effEditMouse", Arg::None, 0},
    {18, "effEditKey", Arg::None, 0},
    {19, "effEditIdle", Arg::None, 0},
    {20, "effEditTop", Arg::None, 0},
    {21, "effEditSleep", Arg::None, 0},
    {22, "effIdentify", Arg::None, 0},
    {23, "effGetChunk", Arg::Special, 0},
    {25, "effProcessEvents (empty list)", Arg::Special, 0},
    {26, "effCanBeAutomated", Arg::None, 0},
    {27, "effString2Parameter", Arg::Special, 0},
    {28, "effGetNumProgramCategories", Arg::None, 0},
    {29, "effGetProgramNameIndexed", Arg::Text, kProgramNameLimit},
    {30, "effCopyProgram", Arg::None, 0},
    {31, "effConnectInput", Arg::None, 0},
    {32, "effConnectOutput", Arg::None, 0},
    {33, "effGetInputProperties", Arg::Buffer, 128},
    {34, "effGetOutputProperties", Arg::Buffer, 128},
    {35, "effGetPlugCategory", Arg::None, 0},
    {36, "effGetCurrentPosition", Arg::None, 0},
    {37, "effGetDestinationBuffer", Arg::None, 0},
    {38, "effOfflineNotify", Arg::Buffer, 1024},
    {39, "effOfflinePrepare", Arg::Buffer, 1024},
    {40, "effOfflineRun", Arg::Buffer, 1024},
    {41, "effProcessVarIo", Arg::Buffer, 1024},
    {42, "effSetSpeakerArrangement", Arg::Special, 0},
    {43, "effSetBlockSizeAndSampleRate", Arg::None, 0},
    {44, "effSetBypass", Arg::None, 0},
    {45, "effGetEffectName", Arg::Text, kEffectNameLimit},
    {46, "effGetErrorText", Arg::Text, 256},
    {47, "effGetVendorString", Arg::Text, kVendorTextLimit},
    {48, "effGetProductString", Arg::Text, kVendorTextLimit},
    {49, "effGetVendorVersion", Arg::None, 0},
    {50, "effVendorSpecific", Arg::None, 0},
    {51, "effCanDo", Arg::Special, 0},
    {52, "effGetTailSize", Arg::None, 0},
    {53, "effIdle", Arg::None, 0},
    {54, "effGetIcon", Arg::None, 0},
    {55, "effSetViewPosition", Arg::None, 0},
    {56, "effGetParameterProperties", Arg::Buffer, 152},
    {57, "effKeysRequired", Arg::None, 0},
    {58, "effGetVstVersion", Arg::None, 0},
    {59, "effEditKeyDown", Arg::None, 0},
    {60, "effEditKeyUp", Arg::None, 0},
    {61, "effSetEditKnobMode", Arg::None, 0},
    {62, "effGetMidiProgramName", Arg::Buffer, 1024},
    {63, "effGetCurrentMidiProgram", Arg::Buffer, 1024},
    {64, "effGetMidiProgramCategory", Arg::Buffer, 1024},
    {65, "effHasMidiProgramsChanged", Arg::None, 0},
    {66, "effGetMidiKeyName", Arg::Buffer, 1024},
    {67, "effBeginSetProgram", Arg::None, 0},
    {68, "effEndSetProgram", Arg::None, 0},
    {69, "effGetSpeakerArrangement", Arg::Special, 0},
    {70, "effShellGetNextPlugin", Arg::Text, 64},
    {71, "effStartProcess", Arg::None, 0},
    {72, "effStopProcess", Arg::None, 0},
    {73, "effSetTotalSampleToProcess", Arg::None, 0},
    {74, "effSetPanLaw", Arg::None, 0},
    {75, "effBeginLoadBank", Arg::Buffer, 64},
    {76, "effBeginLoadProgram", Arg::Buffer, 64},
    {77, "effSetProcessPrecision", Arg::None, 0},
    {78, "effGetNumMidiInputChannels", Arg::None, 0},
    {79, "effGetNumMidiOutputChannels", Arg::None, 0},
};

bool changesSetup(VstInt32 opcode)
{
    return opcode == effSetSampleRate || opcode == effSetBlockSize || opcode == effSetBlockSizeAndSampleRate ||
           opcode == effSetProcessPrecision || opcode == effStartProcess || opcode == effStopProcess;
}

void callSpecial(Rig& rig, const OpcodeCase& c)
{
    switch (c.opcode) {
    case effSetProgramName: {
        char name[kProgramNameLimit] = "Validator";
        rig.dispatch(c.opcode, 0, 0, name);
        break;
    }
    case effEditGetRect: {
        ERect* rect = nullptr;
        rig.dispatch(c.opcode, 0, 0, &rect);
        break;
    }
    case effGetChunk:
        for (int which : {0, 1}) {
            void* chunk = nullptr;
            rig.dispatch(c.opcode, which, 0, &chunk);
        }
        break;
    case effProcessEvents:
        rig.sendEvents({});
        break;
    case effString2Parameter: {
        char text[64] = "0.5";
        rig.dispatch(c.opcode, 0, 0, text);
        break;
    }
    case effSetSpeakerArrangement: {
        std::vector<char> in(1024, 0), out(1024, 0);
        rig.dispatch(c.opcode, 0, reinterpret_cast<VstIntPtr>(in.data()), out.data());
        break;
    }
    case effCanDo:
        for (const char* what : {"", "receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "bypass", "offline",
                                 "midiProgramNames", "hasCockosExtensions", "no such capability at all"}) {
            std::string copy = what;
            rig.dispatch(c.opcode, 0, 0, copy.data());
        }
        break;
    case kGetSpeakerArrangement: {
        void* in = nullptr;
        void* out = nullptr;
        rig.dispatch(c.opcode, 0, reinterpret_cast<VstIntPtr>(&in), &out);
        break;
    }
    }
}

void callOpcode(Rig& rig, const OpcodeCase& c)
{
    noteStep(std::string("dispatcher opcode ") + std::to_string(c.opcode) + " " + c.name);
    switch (c.arg) {
    case Arg::None:
        if (c.opcode == effSetSampleRate)
            rig.dispatch(c.opcode, 0, 0, nullptr, float(rig.rate()));
        else if (c.opcode == effSetBlockSize)
            rig.dispatch(c.opcode, 0, rig.blockSize());
        else if (c.opcode == effSetBlockSizeAndSampleRate)
            rig.dispatch(c.opcode, 0, rig.blockSize(), nullptr, float(rig.rate()));
        else
            rig.dispatch(c.opcode);
        break;
    case Arg::Text:
    case Arg::Buffer: {
        GuardedText buffer(c.size);
        rig.dispatch(c.opcode, 0, 0, buffer.data());
        if (c.arg == Arg::Text)
            buffer.checked(c.name);
        else
            buffer.checked(std::string(c.name) + "'s record");
        break;
    }
    case Arg::Special:
        callSpecial(rig, c);
        break;
    }
}

void openAndClose(TestContext& context)
{
    int rounds = context.scaled(100);
    for (int i = 0; i < rounds; ++i) {
        noteStep("open and close, round " + std::to_string(i + 1));
        Rig rig(context);
        if (i % 4 == 3) { // now and then a whole short life
            rig.prepare(44100, 256);
            rig.resume();
            rig.process(256);
        }
    }
}

void everyOpcode(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 512);
    for (const OpcodeCase& c : kOpcodes)
        callOpcode(rig, c);
    rig.resume();
    rig.process(512);
    // Again while running, with audio between the calls; set-up changes are tested on their own.
    for (const OpcodeCase& c : kOpcodes) {
        if (changesSetup(c.opcode))
            continue;
        callOpcode(rig, c);
        rig.process(64);
    }
    // Numbers no version of the interface uses.
    for (VstInt32 opcode : {-1, 80, 81, 100, 127, 128, 255, 1000, 0x7fffffff}) {
        noteStep("unknown dispatcher opcode " + std::to_string(opcode));
        rig.dispatch(opcode);
        rig.dispatch(opcode, -1, -1);
    }
    rig.process(64);
}

void closeWithoutSuspend(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 512);
    noteStep("resume, play, then effClose with no suspend");
    rig.dispatch(effMainsChanged, 0, 1);
    rig.dispatch(effStartProcess);
    rig.sendMidi({{0, 0x90, 60, 100}});
    rig.process(512);
    // The rig closes the effect while it still runs: it never saw the raw resume.
}

void processWhileSuspended(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 512);
    noteStep("process before the first resume");
    rig.sendMidi({{0, 0x90, 60, 100}});
    rig.process(512);
    rig.resume();
    rig.sendMidi({{0, 0x90, 64, 100}});
    rig.process(512);
    rig.suspend();
    noteStep("process after suspend");
    rig.process(512);
    rig.sendMidi({{0, 0x80, 64, 0}});
    rig.process(512);
}

void resumeTwice(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 512);
    noteStep("resume twice");
    for (int i = 0; i < 2; ++i) {
        rig.dispatch(effMainsChanged, 0, 1);
        rig.dispatch(effStartProcess);
    }
    rig.sendMidi({{0, 0x90, 60, 100}});
    rig.process(512);
    noteStep("suspend twice");
    for (int i = 0; i < 2; ++i) {
        rig.dispatch(effStopProcess);
        rig.dispatch(effMainsChanged, 0, 0);
    }
    rig.process(512);
}

void setupChanges(TestContext& context)
{
    Rig rig(context);
    const double rates[] = {44100, 96000, 22050, 48000};
    for (double rate : rates) {
        noteStep("sample rate " + std::to_string(int(rate)) + " set while suspended");
        rig.prepare(rate, 1024);
        rig.resume();
        rig.sendMidi({{0, 0x90, 60, 100}});
        rig.process(1024);
    }
    // Buffers sized for the largest block; the plug-in is told smaller and larger sizes while it
    // runs, between process calls, as some hosts do.
    rig.prepare(44100, 8192);
    rig.resume();
    rig.sendMidi({{0, 0x90, 67, 100}});
    for (int round = 0; round < context.scaled(8); ++round) {
        double rate = rates[size_t(round) % 4];
        int block = context.between(1, 8192);
        noteStep("sample rate " + std::to_string(int(rate)) + " and block size " + std::to_string(block) +
                 " set while running");
        rig.dispatch(effSetSampleRate, 0, 0, nullptr, float(rate));
        rig.dispatch(effSetBlockSize, 0, block);
        rig.process(block);
    }
}

} // namespace

void addLifecycleTests(TestList& tests)
{
    tests.push_back({"lifecycle", "open and close repeatedly", openAndClose});
    tests.push_back({"lifecycle", "every dispatcher opcode, suspended and running", everyOpcode});
    tests.push_back({"lifecycle", "effClose without suspend", closeWithoutSuspend});
    tests.push_back({"lifecycle", "process before resume and after suspend", processWhileSuspended});
    tests.push_back({"lifecycle", "resume and suspend twice", resumeTwice});
    tests.push_back({"lifecycle", "sample rate and block size changes", setupChanges});
}
