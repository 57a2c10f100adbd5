// Notes as hosts send them, sound and odd: ids, wildcards, ids that never played or repeat,
// keys and channels out of range, expressions for notes that do not exist. Nothing may crash or
// sound wrong, and a plug-in that reports the end of its notes must end every one.
#include "ClapRig.h"
#include "StepNote.h"

#include <cmath>
#include <limits>
#include <map>

namespace {
// Named as well: batched builds compile several test files as one unit.
namespace clap_note {

constexpr double kTailSeconds = 30;

void expression(ClapRig& rig, clap_note_expression which, int32_t noteId, int key, int channel, double value)
{
    clap_event_note_expression_t e{};
    e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_EXPRESSION, 0};
    e.expression_id = which;
    e.note_id = noteId;
    e.port_index = 0;
    e.channel = int16_t(channel);
    e.key = int16_t(key);
    e.value = value;
    rig.add(e.header);
}

struct NoteCase {
    const char* what;
    void (*send)(ClapRig&);
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

const NoteCase kOddNotes[] = {
    {"notes on and off by id", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 60, 0, 1);
         r.note(CLAP_EVENT_NOTE_ON, 5, 64, 0, 2);
         r.note(CLAP_EVENT_NOTE_OFF, 9, 60, 0, 1);
     }},
    {"a note-off with only the id", [](ClapRig& r) { r.note(CLAP_EVENT_NOTE_OFF, 0, -1, -1, 2); }},
    {"wildcard note-offs: any key, any channel, any id", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 62, 3, 3);
         r.note(CLAP_EVENT_NOTE_OFF, 1, -1, 3, -1);
         r.note(CLAP_EVENT_NOTE_ON, 2, 65, 4, 4);
         r.note(CLAP_EVENT_NOTE_OFF, 3, 65, -1, -1);
         r.note(CLAP_EVENT_NOTE_OFF, 4, -1, -1, -1);
     }},
    {"a note-off for an id that was never on", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 67, 0, 5);
         r.note(CLAP_EVENT_NOTE_OFF, 1, 67, 0, 999);
         r.note(CLAP_EVENT_NOTE_OFF, 2, -1, -1, 12345);
     }},
    {"duplicate ids on different keys", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 70, 0, 7);
         r.note(CLAP_EVENT_NOTE_ON, 0, 72, 0, 7);
         r.note(CLAP_EVENT_NOTE_OFF, 8, -1, -1, 7);
     }},
    {"the same key twice with different ids", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 74, 1, 8);
         r.note(CLAP_EVENT_NOTE_ON, 3, 74, 1, 9);
         r.note(CLAP_EVENT_NOTE_OFF, 6, 74, 1, 8);
     }},
    {"keys and channels out of range", [](ClapRig& r) {
         for (auto [key, channel] : {std::pair{128, 0}, {200, 0}, {-5, 0}, {32767, 0}, {-32768, 0}, {60, 16},
                                     {60, -2}, {60, 100}, {60, 32767}, {-1, -1}})
             r.note(CLAP_EVENT_NOTE_ON, 0, key, channel, 20);
         r.note(CLAP_EVENT_NOTE_OFF, 1, 200, 0, 20);
         r.note(CLAP_EVENT_NOTE_OFF, 1, 60, 300, -1);
         r.note(CLAP_EVENT_NOTE_CHOKE, 2, -7, -9, -1);
     }},
    {"odd velocities", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 50, 0, 30, 0.0);
         r.note(CLAP_EVENT_NOTE_ON, 0, 51, 0, 31, -1.0);
         r.note(CLAP_EVENT_NOTE_ON, 0, 52, 0, 32, 7.0);
         r.note(CLAP_EVENT_NOTE_ON, 0, 53, 0, 33, kNaN);
         r.note(CLAP_EVENT_NOTE_OFF, 4, 50, 0, 30, kNaN);
     }},
    {"note expressions for unknown ids and keys", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 57, 0, 40);
         for (clap_note_expression which = 0; which <= 7; ++which) {
             expression(r, which, 4040, 57, 0, 0.5);
             expression(r, which, -1, 99, 9, 1.0);
             expression(r, which, 40, 57, 0, which == CLAP_NOTE_EXPRESSION_TUNING ? 120.0 : 4.0);
             expression(r, which, -1, -1, -1, kNaN);
         }
         expression(r, -1, 40, 57, 0, 0.5);
         expression(r, 1000, 40, 57, 0, 0.5);
     }},
    {"a choke of everything", [](ClapRig& r) {
         r.note(CLAP_EVENT_NOTE_ON, 0, 60, 0, 50);
         r.note(CLAP_EVENT_NOTE_CHOKE, 2, -1, -1, -1);
     }},
};

void oddNotes(TestContext& context)
{
    ClapRig rig(context);
    rig.activate(48000, 256);
    for (int round = 0; round < context.scaled(2); ++round)
        for (const NoteCase& c : kOddNotes) {
            noteStep(c.what);
            c.send(rig);
            for (int block = 0; block < 4; ++block)
                rig.process(block % 2 ? 256 : context.between(1, 256));
        }
    noteStep("everything released after the odd notes");
    rig.releaseEverything();
    rig.requireSilenceWithin(kTailSeconds, "all notes off after odd notes");
}

struct Started {
    int key, channel;
    bool ended = false;
};

// Notes with unique ids in the ways that strain a voice allocator: chords, the same key again
// before its release ends (in one block and across blocks), on and off in one block, more notes
// than voices, a choke.
void playForNoteEnds(ClapRig& rig, TestContext& context, std::map<int32_t, Started>& started)
{
    int32_t nextId = 100;
    auto on = [&](uint32_t time, int key, int channel) {
        started[nextId] = {key, channel};
        rig.note(CLAP_EVENT_NOTE_ON, time, key, channel, nextId++);
    };
    uint32_t voices = 32;
    if (const auto* info = rig.host().extension<clap_plugin_voice_info_t>(CLAP_EXT_VOICE_INFO)) {
        clap_voice_info_t v{};
        if (info->get && info->get(rig.plugin(), &v) && v.voice_capacity > 0 && v.voice_capacity < 1024)
            voices = v.voice_capacity;
    }
    for (int round = 0; round < context.scaled(2); ++round) {
        noteStep("a chord, then the same keys again while they sound");
        for (int key : {48, 52, 55})
            on(0, key, 0);
        rig.process(256);
        for (int key : {48, 52})
            on(10, key, 0);
        rig.note(CLAP_EVENT_NOTE_OFF, 20, 55, 0, -1);
        rig.process(256);
        noteStep("the same key twice in one block, and a note on and off in one block");
        on(0, 60, 1);
        on(100, 60, 1);
        on(50, 62, 2);
        rig.note(CLAP_EVENT_NOTE_OFF, 150, 62, 2, -1);
        rig.process(256);
        noteStep(std::to_string(voices + 4) + " notes at once, more than the voices");
        for (uint32_t i = 0; i < voices + 4; ++i)
            on(i, 30 + int(i % 80), int(i / 80));
        rig.process(256);
        rig.process(256);
        noteStep("a choke, and every note released");
        rig.note(CLAP_EVENT_NOTE_CHOKE, 0, 30, 0, -1);
        rig.note(CLAP_EVENT_NOTE_OFF, 10, -1, -1, -1);
        rig.process(256);
    }
}

void everyNoteEnds(TestContext& context)
{
    ClapRig rig(context);
    rig.activate(48000, 256);
    std::map<int32_t, Started> started;
    playForNoteEnds(rig, context, started);
    noteStep("waiting for every voice to end");
    rig.releaseEverything();
    rig.requireSilenceWithin(kTailSeconds, "all notes off");
    for (int block = 0; block < 4; ++block)
        rig.process(256);
    const bool claims = rig.host().extension<clap_plugin_voice_info_t>(CLAP_EXT_VOICE_INFO) != nullptr;
    if (!claims && rig.endedNotes.empty())
        skip("the plug-in neither offers voice-info nor sends NOTE_END");
    for (const clap_event_note_t& end : rig.endedNotes) {
        if (end.note_id < 0)
            continue;
        const auto found = started.find(end.note_id);
        require(found != started.end(), "NOTE_END for note id " + std::to_string(end.note_id) + ", which no NOTE_ON had");
        require(found->second.key == end.key && found->second.channel == end.channel,
                "NOTE_END for note id " + std::to_string(end.note_id) + " names key " + std::to_string(end.key) +
                    " on channel " + std::to_string(end.channel) + ", but the note was key " +
                    std::to_string(found->second.key) + " on channel " + std::to_string(found->second.channel));
        found->second.ended = true;
    }
    std::string missing;
    int count = 0;
    for (const auto& [id, note] : started)
        if (!note.ended && count++ < 8)
            missing += " " + std::to_string(id) + " (key " + std::to_string(note.key) + ")";
    require(count == 0, std::to_string(count) + " of " + std::to_string(started.size()) +
                            " notes never got a NOTE_END for their id:" + missing + (count > 8 ? " ..." : ""));
}

} // namespace clap_note
} // namespace

void addClapNoteTests(TestList& tests)
{
    using namespace clap_note;
    tests.push_back({"notes", "ids, wildcards, unknown and repeated ids, keys out of range, expressions", oddNotes});
    tests.push_back({"notes", "every NOTE_ON gets a NOTE_END for its id", everyNoteEnds});
}
