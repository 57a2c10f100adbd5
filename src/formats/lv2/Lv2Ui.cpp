#include "Lv2Ui.h"

#include "Lv2PortValues.h"
#include "editor/Editor.h"

#include <cmath>
#include <cstring>

namespace {

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

Lv2Ui::Lv2Ui(LV2UI_Write_Function writeFunction, LV2UI_Controller uiController, const LV2_URID_Map& map)
    : write(writeFunction), controller(uiController), uris(map)
{
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(&map));
    // The bank the program menu offers; the current values come from the host next.
    core.loadDefaultBank();
}

Lv2Ui::~Lv2Ui()
{
    // The window closes while the settings it saves still exist.
    if (editor)
        editor->close();
}

bool Lv2Ui::open(void* parent, const LV2UI_Resize* resize, const LV2UI_Touch* touch)
{
    touchFeature = touch;
    editor = std::make_unique<Editor>(nullptr, *this);
    if (!editor->open(parent))
        return false;
    ERect* rect = nullptr;
    if (resize && resize->ui_resize && editor->getRect(&rect) && rect)
        resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
    ready = true;
    // Until the plug-in answers, the UI's own name and number count as sent: a host that never
    // passes the answer on must not have the plug-in's name overwritten by the UI's guess.
    std::memcpy(sentName, core.programStore().current().name, kProgramNameSize);
    sentProgram = core.currentProgram();
    // The plug-in tells its name and number in answer.
    startMessage();
    finishMessage(forgeProgramRequest(forge, uris));
    return true;
}

LV2UI_Widget Lv2Ui::widget() const
{
    return editor ? editor->windowHandle() : nullptr;
}

void Lv2Ui::idle()
{
    if (editor && editor->isOpen())
        editor->idle();
}

void Lv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (!buffer)
        return;
    if (port < uint32_t(kNumParams) && format == 0 && size == sizeof(float)) {
        const float value = *static_cast<const float*>(buffer);
        ports[port] = value;
        portKnown[port] = true;
        core.setParameter(int(port), lv2ValueFromPort(int(port), value));
    } else if (port == lv2port::kNotify && format == uris.atomEventTransfer && size >= sizeof(LV2_Atom)) {
        const auto* atom = static_cast<const LV2_Atom*>(buffer);
        if (sizeof(LV2_Atom) + atom->size <= size)
            readMessage(atom);
    }
}

void Lv2Ui::readMessage(const LV2_Atom* atom)
{
    const Lv2PatchMessage message = readPatchMessage(uris, atom);
    if (message.kind == Lv2PatchMessage::Name) {
        ProgramRecord& current = core.programStore().current();
        const uint32_t n = std::min<uint32_t>(message.nameLength, kProgramNameSize - 1);
        std::memcpy(current.name, message.name, n);
        current.name[n] = 0;
        std::memcpy(sentName, current.name, kProgramNameSize);
    } else if (message.kind == Lv2PatchMessage::Number && message.number >= 0 && message.number < kNumPrograms) {
        showProgram(message.number);
    } else if (message.kind == Lv2PatchMessage::VoiceActivity) {
        pluginVoices = uint32_t(message.number);
        pluginKeyHeld = message.keyHeld;
    }
}

// The plug-in plays program number: the UI's record of it takes the values and name it has.
void Lv2Ui::showProgram(int number)
{
    ProgramStore& store = core.programStore();
    sentProgram = number;
    if (store.currentNumber() == number)
        return;
    char name[kProgramNameSize];
    std::memcpy(name, store.current().name, kProgramNameSize);
    store.setCurrentNumber(number);
    std::memcpy(store.current().name, name, kProgramNameSize);
    for (int i = 0; i < kNumParams; ++i)
        if (portKnown[size_t(i)])
            core.setParameter(i, lv2ValueFromPort(i, ports[size_t(i)]));
}

void Lv2Ui::editorCommand(int tag, float value)
{
    core.editorCommand(tag, value);
    // Menu commands write the program directly: whatever they changed goes to the plug-in.
    sendChanges();
}

void Lv2Ui::reportUserEdit(int index, float value)
{
    float port = 0.0f;
    lv2PortFromValue(index, value, port);
    writePort(index, port);
}

void Lv2Ui::reportGesture(int index, bool begins)
{
    if (touchFeature && touchFeature->touch)
        touchFeature->touch(touchFeature->handle, uint32_t(index), begins);
}

void Lv2Ui::writePort(int index, float port)
{
    ports[size_t(index)] = port;
    portKnown[size_t(index)] = true;
    write(controller, uint32_t(index), sizeof port, 0, &port);
}

void Lv2Ui::sendChanges()
{
    if (!ready)
        return;
    const ProgramRecord& current = core.programStore().current();
    for (int i = 0; i < kNumParams; ++i) {
        float port = 0.0f;
        lv2PortFromValue(i, current.get(i), port);
        if (!portKnown[size_t(i)] || !sameBits(port, ports[size_t(i)]))
            writePort(i, port);
    }
    if (std::strncmp(current.name, sentName, kProgramNameSize) != 0) {
        std::memcpy(sentName, current.name, kProgramNameSize);
        startMessage();
        finishMessage(forgeProgramName(forge, uris, sentName));
    }
    if (core.currentProgram() != sentProgram) {
        sentProgram = core.currentProgram();
        startMessage();
        finishMessage(forgeProgramNumber(forge, uris, sentProgram));
    }
}

void Lv2Ui::startMessage()
{
    lv2_atom_forge_set_buffer(&forge, messageBuffer, sizeof messageBuffer);
}

void Lv2Ui::finishMessage(bool whole)
{
    const auto* atom = reinterpret_cast<const LV2_Atom*>(messageBuffer);
    if (whole)
        write(controller, lv2port::kEvents, uint32_t(sizeof(LV2_Atom) + atom->size), uris.atomEventTransfer, atom);
}
