// The editor as an LV2 UI. The plug-in may run in another process, so the UI keeps an
// instrument of its own: the editor works on its programs, and what changes in the current
// program reaches the plug-in only through the ports (values) and patch messages (name and
// number); what the host or the plug-in changes comes back through port events. The bank and
// the program menu are the UI's own list of sounds: choosing one sends its values and name.
#pragma once

#include "Lv2Messages.h"
#include "Lv2Uris.h"
#include "instrument/InstrumentCore.h"

#include <lv2/ui/ui.h>

#include <array>
#include <memory>

class Lv2Ui final : public InstrumentFormat, public EditorHost {
public:
    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_URID_Map& map);
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // Opens the editor in the host's window; false when it cannot.
    bool open(void* parent, const LV2UI_Resize* resize, const LV2UI_Touch* touch);
    LV2UI_Widget widget() const;
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    void idle();

    // InstrumentFormat: edits go out through the ports.
    Editor* formatEditor() const override { return editor.get(); }
    void reportUserEdit(int index, float value) override;
    void reportGesture(int index, bool begins) override;
    void reportAllValuesChanged() override { sendChanges(); }

    // EditorHost: the UI's instrument, and after every command what it changed goes out.
    ProgramStore& programStore() override { return core.programStore(); }
    UserSettings& userSettings() override { return core.userSettings(); }
    // The voices play in the plug-in, which tells of them through its notify port.
    uint32_t soundingVoices() const override { return pluginVoices; }
    bool anyNoteHeld() const override { return pluginKeyHeld; }
    void editorCommand(int tag, float value) override;
    void editParameter(int index, float value) override { core.editParameter(index, value); }
    void parameterGesture(int index, bool begins) override { core.parameterGesture(index, begins); }
    void formatParameterText(int index, char* text) override { core.formatParameterText(index, text); }

private:
    void writePort(int index, float port);
    void sendChanges();
    // Patch messages to the plug-in's event port.
    void startMessage();
    void finishMessage(bool whole);
    void readMessage(const LV2_Atom* atom);
    void showProgram(int number);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    Lv2Urids uris;
    LV2_Atom_Forge forge{};
    alignas(8) uint8_t messageBuffer[256] = {};
    const LV2UI_Touch* touchFeature = nullptr;
    InstrumentCore core{*this};
    std::unique_ptr<Editor> editor;
    // What the ports and the plug-in hold as far as the UI knows: a change is sent only when
    // it differs, so nothing echoes back.
    std::array<float, kNumParams> ports{};
    std::array<bool, kNumParams> portKnown{};
    char sentName[kProgramNameSize] = {};
    int sentProgram = -1;
    bool ready = false;
    uint32_t pluginVoices = 0;
    bool pluginKeyHeld = false;
};
