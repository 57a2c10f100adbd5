// The instrument as a program of its own: the core, its editor in the program's window, MIDI from
// the audio callback, from a MIDI input thread and from the computer keyboard, and the session
// that keeps the bank in use between runs.
#pragma once

#include "ComputerKeyboard.h"
#include "MidiRing.h"
#include "instrument/InstrumentCore.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class StandaloneInstrument final : public InstrumentFormat {
public:
    StandaloneInstrument();
    ~StandaloneInstrument();
    StandaloneInstrument(const StandaloneInstrument&) = delete;
    StandaloneInstrument& operator=(const StandaloneInstrument&) = delete;

    // The session: bankFile when given, else the bank and program of the last run, else the
    // default bank. False with a message when bankFile cannot be read (nothing is changed then).
    bool startSession(const std::filesystem::path& bankFile, std::string& error);
    // A whole bank file read into bank (the default program where the file says nothing);
    // false with a message.
    static bool readBank(const std::filesystem::path& path, std::vector<ProgramRecord>& bank, std::string& error);
    // Keeps the bank in use and its current program for the next run; false with a message.
    bool saveSession(std::string& error);
    // Where the session is kept; empty without a data folder.
    std::filesystem::path sessionBankFile();
    std::filesystem::path sessionProgramFile();

    // Before the first block and at every change of the device's rate or block size; never on
    // the audio thread. The next note plays at the new rate.
    void prepare(float sampleRate, int maxFrames);
    // The audio thread: a message at a frame of the coming block (three bytes at most).
    void queueMidi(int frame, const uint8_t* bytes, size_t size);
    // The audio thread: renders a block with the messages queued for it and those the other
    // threads sent since the last block. Allocates nothing and never waits for a lock.
    void render(float* left, float* right, int frames);
    // The MIDI input thread (one thread only): a message for the next block.
    void postMidi(const uint8_t* bytes, size_t size);
    // The audio device's own count of late blocks.
    void countXrun() { xrunCount.fetch_add(1, std::memory_order_relaxed); }
    unsigned xruns() const { return xrunCount.load(std::memory_order_relaxed); }

    // The window's thread: the editor inside the program's window, its events and drawing.
    bool openEditor(void* parentWindow);
    void closeEditor();
    void idle();
    // The window lost the keyboard: held keys end their notes.
    void keyboardFocusLost();
    const ComputerKeyboard& keyboard() const { return keys; }

    InstrumentCore& instrument() { return core; }

    // InstrumentFormat: there is no host to tell.
    Editor* formatEditor() const override { return editor.get(); }
    void reportUserEdit(int, float) override {}
    void reportGesture(int, bool) override {}
    void reportAllValuesChanged() override {}
    bool editorKey(int character, int virtualKey, unsigned modifiers, bool pressed) override;

private:
    void sendFromKeyboard(const RingMessage& message);

    InstrumentCore core{*this};
    std::unique_ptr<Editor> editor;
    ComputerKeyboard keys;
    // One ring per sending thread, each with a single producer.
    MidiRing fromMidiInput;
    MidiRing fromKeyboard;
    std::atomic<unsigned> xrunCount{0};
};
