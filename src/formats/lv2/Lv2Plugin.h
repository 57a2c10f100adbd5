// The LV2 face of the instrument: one object per instance, behind the LV2_Handle the host holds.
// The host's control ports are the parameters; the event port brings MIDI, the host's tempo and
// the program's name and number; the notify port tells the UI of the name and number.
#pragma once

#include "Lv2Messages.h"
#include "Lv2Uris.h"
#include "instrument/InstrumentCore.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>

#include <array>
#include <atomic>
#include <mutex>

class Lv2Plugin final : public InstrumentFormat {
public:
    Lv2Plugin(double sampleRate, const LV2_URID_Map& map, const LV2_Options_Option* options);
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    void connectPort(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);

    // The state beside the ports: the program's name and number.
    LV2_State_Status saveState(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);
    uint32_t setOptions(const LV2_Options_Option* options);
    uint32_t getOptions(LV2_Options_Option* options) const;

    InstrumentCore& instrument() { return core; }
    // The program's name as the host would save it.
    void programName(char (&name)[kProgramNameSize]);

    // InstrumentFormat: the editor lives in the UI's process, and the host reads the ports.
    Editor* formatEditor() const override { return nullptr; }
    void reportUserEdit(int, float) override {}
    void reportGesture(int, bool) override {}
    void reportAllValuesChanged() override {}

private:
    void readEvents(uint32_t frames);
    void readObject(const LV2_Atom_Object& object);
    void readPortChanges();
    void rename(const char* text, uint32_t length);
    void writeNotifications();
    void writeVoiceActivity(uint32_t capacity);

    const LV2_URID_Map& urids;
    Lv2Urids uris;
    InstrumentCore core{*this};
    LV2_Atom_Forge forge{};

    std::array<const float*, kNumParams> controls{};
    // The port values the core was last given; NaN until the first block, so it takes them all.
    std::array<float, kNumParams> lastSeen{};
    std::array<TimedParameter, kNumParams> changes{};
    int changeCount = 0;
    const LV2_Atom_Sequence* events = nullptr;
    LV2_Atom_Sequence* notify = nullptr;
    float* left = nullptr;
    float* right = nullptr;
    uint32_t maxBlock = 0;
    // The host's tempo, kept until it sends another (0: none yet).
    float tempo = 0.0f;
    int beatUnit = 0;

    // The name is written by the host's state calls and by patch messages in run, which may
    // come at once. run keeps a new name in its own buffer until a block gets the lock.
    std::mutex nameLock;
    char pendingName[kProgramNameSize] = {};
    bool renamePending = false; // run's own
    std::atomic<int> programNumber{0};
    // The UI hears of the name and number at the next block.
    std::atomic<bool> announce{true};
    // The voice activity the UI was last told of (run's own; resent with every announcement).
    bool voicesSent = false;
    uint32_t sentVoices = 0;
    bool sentKeyHeld = false;
};
