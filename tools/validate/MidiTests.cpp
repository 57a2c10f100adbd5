// MIDI a real keyboard, sequencer or a careless host sends: storms of notes, offs without ons,
// every controller, pitch-bend extremes, delta frames outside the block, SysEx and unknown
// events, event lists over many blocks; after "all notes off" no voice may keep sounding.
#include "Rig.h"
#include "StepNote.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr double kTailSeconds = 30;

Rig& started(Rig& rig, int block = 512)
{
    rig.prepare(44100, block);
    rig.resume();
    return rig;
}

void endsSilent(Rig& rig, const std::string& after)
{
    rig.releaseEverything();
    rig.requireSilenceWithin(kTailSeconds, "all notes off, after " + after);
}

void noteStorm(TestContext& context)
{
    Rig rig(context);
    started(rig);
    for (int round = 0; round < context.scaled(4); ++round) {
        noteStep("a storm of 500 note-ons in one block");
        std::vector<MidiBytes> storm;
        for (int i = 0; i < 500; ++i)
            storm.push_back({context.between(0, 511), uint8_t(0x90 | context.between(0, 15)),
                             uint8_t(context.between(0, 127)), uint8_t(context.between(1, 127))});
        std::sort(storm.begin(), storm.end(), [](auto& a, auto& b) { return a.delta < b.delta; });
        rig.sendMidi(storm);
        rig.process(512);
        rig.process(512);
        for (auto& e : storm)
            e.status = uint8_t(0x80 | (e.status & 0x0f));
        rig.sendMidi(storm);
        rig.process(512);
    }
    rig.requireSilenceWithin(kTailSeconds, "a storm of notes was released note by note");
}

void offsWithoutOns(TestContext& context)
{
    Rig rig(context);
    started(rig);
    noteStep("note-offs for notes that never started");
    std::vector<MidiBytes> offs;
    for (uint8_t channel = 0; channel < 16; ++channel)
        for (uint8_t note = 0; note < 128; note += 3)
            offs.push_back({0, uint8_t((note % 2 ? 0x80 : 0x90) | channel), note, 0});
    rig.sendMidi(offs);
    rig.process(512);
    rig.sendMidi({{0, 0x90, 60, 100}});
    rig.process(512);
    rig.sendMidi({{0, 0x80, 60, 0}, {1, 0x80, 60, 0}, {2, 0x80, 60, 127}});
    rig.process(512);
    rig.requireSilenceWithin(kTailSeconds, "a note released three times");
}

void everyController(TestContext& context)
{
    Rig rig(context);
    started(rig, 256);
    for (uint8_t channel : {uint8_t(0), uint8_t(9), uint8_t(context.between(0, 15))}) {
        for (int controller = 0; controller < 128; ++controller) {
            noteStep("controller " + std::to_string(controller) + " on channel " + std::to_string(channel + 1));
            rig.sendMidi({{0, uint8_t(0x90 | channel), 60, 100},
                          {1, uint8_t(0xB0 | channel), uint8_t(controller), 0},
                          {2, uint8_t(0xB0 | channel), uint8_t(controller), 127},
                          {3, uint8_t(0xB0 | channel), uint8_t(controller), uint8_t(context.between(0, 127))}});
            rig.process(256);
        }
        noteStep("program change, channel and key pressure on channel " + std::to_string(channel + 1));
        for (int value = 0; value < 128; value += 7) {
            rig.sendMidi({{0, uint8_t(0xC0 | channel), uint8_t(value), 0},
                          {1, uint8_t(0xD0 | channel), uint8_t(value), 0},
                          {2, uint8_t(0xA0 | channel), 60, uint8_t(value)}});
            rig.process(64);
        }
    }
    endsSilent(rig, "every controller");
}

void pitchBendExtremes(TestContext& context)
{
    Rig rig(context);
    started(rig, 256);
    rig.sendMidi({{0, 0x90, 0, 127}, {0, 0x90, 127, 127}, {0, 0x90, 64, 127}});
    noteStep("pitch bend to both ends, at every frame");
    for (int round = 0; round < context.scaled(20); ++round) {
        std::vector<MidiBytes> bends;
        for (int frame = 0; frame < 256; ++frame) {
            bool up = (frame + round) % 2;
            bends.push_back({frame, 0xE0, uint8_t(up ? 0x7F : 0x00), uint8_t(up ? 0x7F : 0x00)});
        }
        rig.sendMidi(bends);
        rig.process(256);
    }
    rig.sendMidi({{0, 0xE0, 0x00, 0x40}});
    endsSilent(rig, "pitch-bend extremes");
}

void deltasOutsideTheBlock(TestContext& context)
{
    Rig rig(context);
    started(rig, 256);
    const int deltas[] = {
        -1, -1000, 256, 257, 100000, std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 200, 3};
    for (int round = 0; round < context.scaled(4); ++round) {
        noteStep("events with delta frames outside the block, and out of order");
        std::vector<MidiBytes> events;
        for (int delta : deltas)
            events.push_back({delta, 0x90, uint8_t(context.between(30, 90)), 100});
        rig.sendMidi(events);
        rig.process(256);
        for (auto& e : events)
            e.status = 0x80;
        rig.sendMidi(events);
        rig.process(256);
    }
    endsSilent(rig, "events outside the block");
}

void sysexAndOddEvents(TestContext& context)
{
    Rig rig(context);
    started(rig, 256);
    std::vector<char> bigDump(65536, 0x11);
    bigDump.front() = char(0xF0);
    bigDump.back() = char(0xF7);
    char shortDump[] = {char(0xF0), 0x7E, 0x7F, 0x09, 0x01, char(0xF7)};
    std::vector<VstMidiSysexEvent> sysex(3);
    for (auto& s : sysex) {
        std::memset(&s, 0, sizeof s);
        s.type = kVstSysExType;
        s.byteSize = sizeof s;
    }
    sysex[0].dumpBytes = VstInt32(bigDump.size());
    sysex[0].sysexDump = bigDump.data();
    sysex[1].dumpBytes = sizeof shortDump;
    sysex[1].sysexDump = shortDump;
    sysex[2].deltaFrames = 10; // an empty dump
    // Events of types no plug-in knows, and MIDI bytes that are not messages.
    std::vector<VstEvent> odd(4);
    for (size_t i = 0; i < odd.size(); ++i) {
        std::memset(&odd[i], 0xEE, sizeof odd[i]);
        odd[i].type = VstInt32(i == 3 ? 99 : i + 2);
        odd[i].byteSize = sizeof(VstEvent);
        odd[i].deltaFrames = 5;
    }
    for (int round = 0; round < context.scaled(4); ++round) {
        noteStep("SysEx events and events of unknown types among notes");
        std::vector<VstEvent*> list;
        for (auto& s : sysex)
            list.push_back(reinterpret_cast<VstEvent*>(&s));
        for (auto& e : odd)
            list.push_back(&e);
        rig.sendEvents(list);
        rig.process(256);
        noteStep("MIDI bytes that are not complete messages");
        rig.sendMidi({{0, 0x90, 60, 100},
                      {1, 0x40, 0x40, 0x40},
                      {2, 0xF8, 0, 0},
                      {3, 0xFF, 0xFF, 0xFF},
                      {4, 0xF0, 0x7F, 0x7F},
                      {5, 0xF7, 0, 0},
                      {6, 0x90, 0xFF, 0xFF},
                      {7, 0x00, 0, 0}});
        rig.process(256);
    }
    endsSilent(rig, "SysEx and unknown events");
}

void eventsOverManyBlocks(TestContext& context)
{
    Rig rig(context);
    started(rig, 64);
    noteStep("random event lists over many blocks, some lists sent twice before a block");
    for (int block = 0; block < context.scaled(1000); ++block) {
        std::vector<MidiBytes> events;
        int count = context.between(0, 6);
        for (int i = 0; i < count; ++i) {
            static const uint8_t kinds[] = {0x90, 0x80, 0x90, 0xB0, 0xE0, 0xD0};
            events.push_back({context.between(0, 63), uint8_t(kinds[context.between(0, 5)] | context.between(0, 3)),
                              uint8_t(context.between(0, 127)), uint8_t(context.between(0, 127))});
        }
        std::sort(events.begin(), events.end(), [](auto& a, auto& b) { return a.delta < b.delta; });
        rig.sendMidi(events);
        if (block % 17 == 0)
            rig.sendMidi(events);
        rig.process(64);
    }
    endsSilent(rig, "many blocks of random events");
}

} // namespace

void addMidiTests(TestList& tests)
{
    tests.push_back({"midi", "note storms of 500 notes in one block", noteStorm});
    tests.push_back({"midi", "note-offs without note-ons", offsWithoutOns});
    tests.push_back({"midi", "every controller, program change and pressure", everyController});
    tests.push_back({"midi", "pitch bend extremes", pitchBendExtremes});
    tests.push_back({"midi", "delta frames outside the block", deltasOutsideTheBlock});
    tests.push_back({"midi", "SysEx and unknown events", sysexAndOddEvents});
    tests.push_back({"midi", "event lists over many blocks", eventsOverManyBlocks});
}
