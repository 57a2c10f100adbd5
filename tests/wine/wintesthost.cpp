// A small Windows host: loads a Morvelline DLL under Wine (or Windows), checks its main answers
// through the binary interface and renders audio. Exit code 0 when every check passed.
// With --bench after the DLL it instead times eight held notes (the real-time factor); with
// --editor, it opens any plug-in's editor in a real window, captures it and drags upwards from
// (X, Y), then turns the wheel there (checking PARAMETER when given); with a menu point after
// them, it opens the parameter menu there and chooses ENTRY, which must set VALUE; with the
// options menu's point and its Undo entry's text after that, it undoes the choice from that menu
// and compares the dragged parameter with its saved value.
#include "EditorWindowChecks.h"
#include "vst/vstabi.h"

#include <windows.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;
VstTimeInfo timeInfo{};

} // namespace

void check(bool ok, const char* what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    std::fflush(stdout);
    if (!ok)
        ++failures;
}

namespace {

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    case audioMasterBeginEdit:
        ++hostRecord.beginEdits;
        return 1;
    case audioMasterEndEdit:
        ++hostRecord.endEdits;
        return 1;
    case audioMasterAutomate:
        ++hostRecord.automations;
        return 0;
    default:
        return 0;
    }
}

VstIntPtr dispatch(AEffect* fx, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0)
{
    return fx->dispatcher(fx, opcode, index, value, ptr, opt);
}

bool stringIs(AEffect* fx, VstInt32 opcode, VstInt32 index, const char* expected)
{
    char text[256] = {};
    dispatch(fx, opcode, index, 0, text);
    return std::strcmp(text, expected) == 0;
}

void renderBlocks(AEffect* fx)
{
    const int frames = 512;
    std::vector<float> left(frames, 9.0f), right(frames, 9.0f);
    float* outs[2] = {left.data(), right.data()};
    // The plug-in flushes denormals while it works, and must hand the host its own mode back.
    const unsigned hostMode = _mm_getcsr() & ~0x8040u;
    _mm_setcsr(hostMode);
    fx->processReplacing(fx, nullptr, outs, frames);
    check(_mm_getcsr() == hostMode, "processReplacing restores the host's floating-point mode");
    bool finite = true;
    for (int i = 0; i < frames; ++i)
        finite = finite && std::isfinite(left[i]) && std::fabs(left[i]) <= 1.4142f && std::isfinite(right[i]);
    check(finite && left[0] != 9.0f && right[frames - 1] != 9.0f, "processReplacing writes finite audio");

    std::vector<double> dl(frames, 9.0), dr(frames, 9.0);
    double* douts[2] = {dl.data(), dr.data()};
    fx->processDoubleReplacing(fx, nullptr, douts, frames);
    check(dl[0] != 9.0 && dr[frames - 1] != 9.0, "processDoubleReplacing writes audio");
}

double threadSeconds()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    return double((uint64_t(user.dwHighDateTime) << 32) | user.dwLowDateTime) * 1e-7;
}

// Eight notes of the current program held for 20 s at 44.1 kHz in 512-frame blocks.
int benchHeldNotes(AEffect* fx)
{
    const int frames = 512, blocks = 20 * 44100 / frames;
    dispatch(fx, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(fx, effSetBlockSize, 0, frames);
    dispatch(fx, effMainsChanged, 0, 1);
    VstMidiEvent notes[8]{};
    VstEvents* list = static_cast<VstEvents*>(std::calloc(1, sizeof(VstEvents) + 8 * sizeof(VstEvent*)));
    const int pitches[8] = {48, 52, 55, 59, 60, 64, 67, 71};
    for (int n = 0; n < 8; ++n) {
        notes[n].type = kVstMidiType;
        notes[n].byteSize = sizeof(VstMidiEvent);
        notes[n].midiData[0] = char(0x90);
        notes[n].midiData[1] = char(pitches[n]);
        notes[n].midiData[2] = 100;
        list->events[n] = reinterpret_cast<VstEvent*>(&notes[n]);
    }
    list->numEvents = 8;
    dispatch(fx, effProcessEvents, 0, 0, list);
    std::vector<float> left(frames), right(frames);
    float* outs[2] = {left.data(), right.data()};
    const double start = threadSeconds();
    for (int b = 0; b < blocks; ++b)
        fx->processReplacing(fx, nullptr, outs, frames);
    const double cpu = threadSeconds() - start;
    std::printf("8 held notes: %.2f s of audio, %.3f s CPU, real-time factor %.1f\n", blocks * frames / 44100.0, cpu,
                blocks * frames / 44100.0 / cpu);
    std::free(list);
    dispatch(fx, effClose);
    return 0;
}

VstPluginMainProc entryPoint(HMODULE library, const char* name)
{
    // Through void* so the compiler accepts the change of function type.
    return reinterpret_cast<VstPluginMainProc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Loads a copy of the DLL under another name, as when a host loads the plug-in from two folders.
void checkSecondCopy(AEffect* fx, const char* pluginFile)
{
    char folder[MAX_PATH] = {}, unique[MAX_PATH] = {}, copy[MAX_PATH + 8] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "mv", 0, unique);
    std::snprintf(copy, sizeof(copy), "%s.dll", unique);
    check(CopyFileA(pluginFile, copy, FALSE) != 0, "a second copy of the DLL is made");
    HMODULE second = LoadLibraryA(copy);
    auto entry = second ? entryPoint(second, "VSTPluginMain") : nullptr;
    AEffect* other = entry ? entry(hostCallback) : nullptr;
    check(other != nullptr && second != GetModuleHandleA(pluginFile), "the second copy loads as a module of its own");
    if (other) {
        dispatch(other, effOpen);
        checkTwoModuleCopies(fx, other, second);
    }
    DeleteFileA(copy);
    DeleteFileA(unique);
}

int testEditor(const char* pluginFile, const char* screenshotFile, const POINT* click, int parameter,
               const MenuPick* menuPick, const HistoryMenu* historyMenu)
{
    HMODULE library = LoadLibraryA(pluginFile);
    check(library != nullptr, "the DLL loads");
    auto entry = library ? entryPoint(library, "VSTPluginMain") : nullptr;
    AEffect* fx = entry ? entry(hostCallback) : nullptr;
    check(fx && fx->magic == kEffectMagic, "the entry point returns an effect");
    if (!fx)
        return 1;
    dispatch(fx, effOpen);
    std::wstring shot;
    if (screenshotFile)
        shot.assign(screenshotFile, screenshotFile + std::strlen(screenshotFile));
    checkEditorWindow(fx, screenshotFile ? shot.c_str() : nullptr, click, parameter, menuPick, historyMenu);
    if (parameter < 0)
        checkSecondCopy(fx, pluginFile);
    check(dispatch(fx, effClose) == 1, "close after the editor");
    FreeLibrary(library);
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--editor") == 0) {
        POINT click{argc >= 6 ? std::atoi(argv[4]) : 0, argc >= 6 ? std::atoi(argv[5]) : 0};
        MenuPick pick{};
        if (argc >= 12) {
            pick.at = {std::atoi(argv[7]), std::atoi(argv[8])};
            pick.parameter = std::atoi(argv[9]);
            pick.entry.assign(argv[10], argv[10] + std::strlen(argv[10]));
            pick.value = float(std::atof(argv[11]));
        }
        HistoryMenu history{};
        if (argc >= 15) {
            history.at = {std::atoi(argv[12]), std::atoi(argv[13])};
            history.undoEntry.assign(argv[14], argv[14] + std::strlen(argv[14]));
        }
        return testEditor(argv[2], argc >= 4 ? argv[3] : nullptr, argc >= 6 ? &click : nullptr,
                          argc >= 7 ? std::atoi(argv[6]) : -1, argc >= 12 ? &pick : nullptr,
                          argc >= 15 ? &history : nullptr);
    }
    if (argc < 2) {
        std::printf("usage: wintesthost PLUGIN.dll [--bench | NAME-OF-PROGRAM-0]\n"
                    "       wintesthost --editor PLUGIN.dll [SCREENSHOT.png [X Y [PARAMETER\n"
                    "                   [MENU_X MENU_Y MENU_PARAMETER ENTRY VALUE\n"
                    "                   [OPTIONS_X OPTIONS_Y UNDO_ENTRY]]]]]\n");
        return 2;
    }
    timeInfo.sampleRate = 44100;
    timeInfo.tempo = 120;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTempoValid | kVstTimeSigValid;

    HMODULE library = LoadLibraryA(argv[1]);
    check(library != nullptr, "the DLL loads");
    if (!library)
        return 1;
    auto entry = entryPoint(library, "VSTPluginMain");
    auto legacy = entryPoint(library, "main");
    check(entry != nullptr, "VSTPluginMain is exported undecorated");
    check(legacy != nullptr, "main is exported undecorated");
    if (!entry)
        return 1;

    AEffect* fx = entry(hostCallback);
    check(fx && fx->magic == kEffectMagic, "the entry point returns an effect");
    if (!fx)
        return 1;
    if (argc > 2 && std::strcmp(argv[2], "--bench") == 0)
        return benchHeldNotes(fx);
    check(fx->uniqueID == 0x2D535E34, "unique ID");
    check(fx->numParams == 199 && fx->numPrograms == 100, "199 parameters, 100 programs");
    check(fx->numInputs == 0 && fx->numOutputs == 2, "no inputs, two outputs");
    dispatch(fx, effOpen);
    dispatch(fx, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(fx, effSetBlockSize, 0, 512);
    check(stringIs(fx, effGetEffectName, 0, "Morvelline"), "effect name");
    check(stringIs(fx, effGetVendorString, 0, "Hollowfen Software"), "vendor");
    check(stringIs(fx, effGetParamName, 12, "FltCut"), "parameter name");
    // A packaged DLL must find the bank of the data folder beside it.
    if (argc > 2)
        check(stringIs(fx, effGetProgramName, 0, argv[2]), "program 0 comes from the data folder's bank");
    check(dispatch(fx, effGetVendorVersion) == 1302, "vendor version");
    check(dispatch(fx, effGetVstVersion) == 2400, "VST version");
    check(dispatch(fx, effGetPlugCategory) == kPlugCategSynth, "category synth");
    check(dispatch(fx, effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")) == 1, "canDo MIDI");
    fx->setParameter(fx, 69, 0.75f);
    check(fx->getParameter(fx, 69) == 0.75f, "parameter store");
    dispatch(fx, effMainsChanged, 0, 1);
    dispatch(fx, effStartProcess);
    renderBlocks(fx);
    dispatch(fx, effStopProcess);
    dispatch(fx, effMainsChanged, 0, 0);
    check(dispatch(fx, effClose) == 1, "close");

    if (legacy) {
        AEffect* second = legacy(hostCallback);
        check(second && second->magic == kEffectMagic, "main creates an effect too");
        if (second)
            dispatch(second, effClose);
    }
    FreeLibrary(library);
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
