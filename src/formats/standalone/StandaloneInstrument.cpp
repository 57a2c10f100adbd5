#include "StandaloneInstrument.h"

#include "editor/Editor.h"
#include "instrument/FloatModeGuard.h"
#include "platform/AtomicFile.h"
#include "presets/ProgramFiles.h"

#include <algorithm>
#include <fstream>

namespace {

// Room for a message on every frame of a long block: busy playing never grows the engine's
// queue on the audio thread.
constexpr size_t kQueueRoom = 8192;

MidiInputEvent eventOf(int frame, const RingMessage& message)
{
    return {frame, message.status, message.data1, message.data2};
}

// Channel messages only: system messages (clock, sense, sysex) mean nothing to the engine.
bool channelMessage(const uint8_t* bytes, size_t size, RingMessage& message)
{
    if (!bytes || size == 0 || bytes[0] < 0x80 || bytes[0] >= 0xF0)
        return false;
    message = {bytes[0], size > 1 ? uint8_t(bytes[1] & 0x7F) : uint8_t(0), size > 2 ? uint8_t(bytes[2] & 0x7F) : uint8_t(0)};
    return true;
}

} // namespace

StandaloneInstrument::StandaloneInstrument()
{
    core.engine().eventQueue.reserve(kQueueRoom);
}

StandaloneInstrument::~StandaloneInstrument()
{
    closeEditor();
}

std::filesystem::path StandaloneInstrument::sessionBankFile()
{
    const UserSettings& settings = core.userSettings();
    return settings.dataFolderFound ? settings.dataFolder / "Session.hfb" : std::filesystem::path();
}

std::filesystem::path StandaloneInstrument::sessionProgramFile()
{
    const UserSettings& settings = core.userSettings();
    return settings.dataFolderFound ? settings.dataFolder / "Session.txt" : std::filesystem::path();
}

bool StandaloneInstrument::readBank(const std::filesystem::path& path, std::vector<ProgramRecord>& bank,
                                    std::string& error)
{
    bank = std::vector<ProgramRecord>(kNumPrograms);
    for (ProgramRecord& record : bank)
        record.initialize();
    const int result = loadBankFile(bank.data(), path);
    if (result == kFileOk)
        return true;
    error = "cannot load the bank " + path.string() + ": " +
            (result == kFileWrongHeader ? "it is not a Morvelline bank" : "it cannot be read");
    return false;
}

bool StandaloneInstrument::startSession(const std::filesystem::path& bankFile, std::string& error)
{
    ProgramStore& programs = core.programStore();
    if (!bankFile.empty()) {
        // Read into a copy first: a file that cannot be read leaves the bank as it was.
        std::vector<ProgramRecord> bank;
        if (!readBank(bankFile, bank, error))
            return false;
        for (int i = 0; i < kNumPrograms; ++i)
            programs.record(i).copyFrom(bank[size_t(i)]);
        core.selectProgram(0);
        return true;
    }
    const std::filesystem::path sessionBank = sessionBankFile();
    std::error_code missing;
    if (sessionBank.empty() || !std::filesystem::exists(sessionBank, missing) ||
        loadBankFile(programs, sessionBank) != kFileOk) {
        core.loadDefaultBank();
        return true;
    }
    int number = 0;
    std::ifstream programFile(sessionProgramFile());
    std::string word;
    if (programFile >> word >> number && word == "Program" && number >= 0 && number < kNumPrograms)
        core.selectProgram(number);
    else
        core.selectProgram(0);
    return true;
}

bool StandaloneInstrument::saveSession(std::string& error)
{
    const std::filesystem::path bankPath = sessionBankFile();
    if (bankPath.empty()) {
        error = "there is no data folder to keep the session in";
        return false;
    }
    FileProblem problem;
    if (saveBankFile(&core.programStore().record(0), bankPath, core.userSettings().dataFolder, &problem) != kFileOk) {
        error = "cannot write " + bankPath.string() + (problem.reason.empty() ? "" : ": " + problem.reason);
        return false;
    }
    const std::string text = "Program " + std::to_string(core.currentProgram()) + "\r\n";
    if (!writeFileAtomically(sessionProgramFile(), text)) {
        error = "cannot write " + sessionProgramFile().string();
        return false;
    }
    return true;
}

void StandaloneInstrument::prepare(float sampleRate, int maxFrames)
{
    (void)maxFrames; // the core renders any block length in slices of its own
    core.setSampleRate(sampleRate);
    core.activate();
}

void StandaloneInstrument::queueMidi(int frame, const uint8_t* bytes, size_t size)
{
    RingMessage message;
    if (channelMessage(bytes, size, message) && core.engine().eventQueue.size() < kQueueRoom)
        core.queueMidi(eventOf(std::max(frame, 0), message));
}

void StandaloneInstrument::render(float* left, float* right, int frames)
{
    const FloatModeGuard floatMode;
    auto queue = [this](const RingMessage& message) {
        if (core.engine().eventQueue.size() < kQueueRoom)
            core.queueMidi(eventOf(0, message));
    };
    fromMidiInput.drain(queue);
    fromKeyboard.drain(queue);
    core.process(left, right, frames);
}

void StandaloneInstrument::postMidi(const uint8_t* bytes, size_t size)
{
    RingMessage message;
    if (channelMessage(bytes, size, message))
        fromMidiInput.push(message);
}

bool StandaloneInstrument::openEditor(void* parentWindow)
{
    if (!editor)
        editor = std::make_unique<Editor>(nullptr, core);
    return editor->open(parentWindow);
}

void StandaloneInstrument::closeEditor()
{
    keyboardFocusLost();
    if (editor)
        editor->close();
    editor.reset();
}

void StandaloneInstrument::idle()
{
    if (editor && editor->isOpen())
        editor->idle();
}

void StandaloneInstrument::keyboardFocusLost()
{
    keys.releaseAll([this](const RingMessage& message) { sendFromKeyboard(message); });
}

bool StandaloneInstrument::editorKey(int character, int virtualKey, unsigned modifiers, bool pressed)
{
    RingMessage note;
    const bool used = keys.key(character, virtualKey, modifiers, pressed, note);
    if (note.status)
        sendFromKeyboard(note);
    return used;
}

void StandaloneInstrument::sendFromKeyboard(const RingMessage& message)
{
    fromKeyboard.push(message);
}
