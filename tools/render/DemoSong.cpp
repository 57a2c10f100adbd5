#include "DemoSong.h"

#include <algorithm>

namespace {

constexpr int kPpq = 480;

struct Note {
    double beat;   // start, in quarter notes from the start of the song
    double length; // in quarter notes
    int pitch;
    int velocity;
};

void addNote(MidiSong& song, int channel, const Note& n)
{
    auto at = [](double beat) { return uint64_t(beat * kPpq + 0.5); };
    MidiEvent on;
    on.tick = at(n.beat);
    on.bytes[0] = uint8_t(0x90 | channel);
    on.bytes[1] = uint8_t(n.pitch);
    on.bytes[2] = uint8_t(n.velocity);
    on.size = 3;
    MidiEvent off = on;
    off.tick = at(n.beat + n.length);
    off.bytes[0] = uint8_t(0x80 | channel);
    off.bytes[2] = 64;
    song.events.push_back(on);
    song.events.push_back(off);
}

void addControl(MidiSong& song, int channel, double beat, int controller, int value)
{
    MidiEvent e;
    e.tick = uint64_t(beat * kPpq + 0.5);
    e.bytes[0] = uint8_t(0xB0 | channel);
    e.bytes[1] = uint8_t(controller);
    e.bytes[2] = uint8_t(value);
    e.size = 3;
    song.events.push_back(e);
}

// Note numbers: 57 = A3, 60 = C4 (middle C), 69 = A4.
constexpr int A1 = 33, C2 = 36, D2 = 38, E2 = 40, F1 = 29, G1 = 31, A2 = 45, C3 = 48, D3 = 50, E3 = 52, F2 = 41,
              G2 = 43;
constexpr int G3 = 55, Ab3 = 56, A3 = 57, B3 = 59, C4 = 60, D4 = 62, E4 = 64, F4 = 65, G4 = 67;
constexpr int A4 = 69, B4 = 71, C5 = 72, D5 = 74, E5 = 76, F5 = 77, G5 = 79, A5 = 81, C6 = 84;

} // namespace

MidiSong makeDemoSong()
{
    MidiSong song;
    song.format = 1;
    song.ticksPerQuarter = kPpq;
    song.tempos.push_back({0, 468750}); // 128 beats per minute
    song.signatures.push_back({0, 4, 4});

    // Am | F | C | G | Am | F | G | E - Am
    struct Chord {
        int notes[3];
        int root;
        int fifth;
    };
    const Chord chords[8] = {
        {{A3, C4, E4}, A1, E2}, {{A3, C4, F4}, F1, C2}, {{G3, C4, E4}, C2, G2 - 12}, {{G3, B3, D4}, G1, D2},
        {{A3, C4, E4}, A1, E2}, {{A3, C4, F4}, F1, C2}, {{G3, B3, D4}, G1, D2},      {{Ab3, B3, E4}, E2 - 12, B3 - 36},
    };
    for (int bar = 0; bar < 8; ++bar) {
        const Chord& c = chords[bar];
        double start = bar * 4.0;
        // Chords: struck on beats 1 and 3, the second a little softer, the last bar held.
        if (bar < 7) {
            for (int n : c.notes) {
                addNote(song, 0, {start, 1.9, n, 78});
                addNote(song, 0, {start + 2.0, 1.9, n, 64});
            }
        } else {
            for (int n : c.notes)
                addNote(song, 0, {start, 1.9, n, 74});
            for (int n : {A3, C4, E4, A4})
                addNote(song, 0, {start + 2.0, 2.0, n, 80});
        }
        // Bass: driving eighths, root and octave, with the fifth leading into the next bar.
        if (bar < 7) {
            for (int i = 0; i < 8; ++i) {
                int pitch = (i % 2 == 0) ? c.root + 12 : c.root + 24;
                if (i == 6)
                    pitch = c.fifth + 12;
                addNote(song, 1, {start + i * 0.5, 0.42, pitch, i % 2 == 0 ? 100 : 82});
            }
        } else {
            addNote(song, 1, {start, 0.9, E2, 100});
            addNote(song, 1, {start + 1.0, 0.9, Ab3 - 24, 90});
            addNote(song, 1, {start + 2.0, 2.0, A2 - 12, 104});
        }
    }

    // Melody over the eight bars.
    const Note melody[] = {
        {0.0, 1.5, E5, 96},   {1.5, 0.5, D5, 84},   {2.0, 1.0, C5, 90},   {3.0, 1.0, E5, 92},   {4.0, 1.5, F5, 98},
        {5.5, 0.5, E5, 84},   {6.0, 1.0, C5, 88},   {7.0, 1.0, A4, 86},   {8.0, 1.0, G4, 90},   {9.0, 1.0, C5, 92},
        {10.0, 1.0, E5, 96},  {11.0, 1.0, G5, 100}, {12.0, 1.5, D5, 94},  {13.5, 0.5, B4, 84},  {14.0, 2.0, G4, 88},
        {16.0, 0.5, A4, 90},  {16.5, 0.5, C5, 92},  {17.0, 0.5, E5, 96},  {17.5, 0.5, A5, 104}, {18.0, 1.0, G5, 96},
        {19.0, 1.0, E5, 90},  {20.0, 1.0, F5, 96},  {21.0, 1.0, A5, 102}, {22.0, 1.5, C6, 110}, {23.5, 0.5, A5, 92},
        {24.0, 1.0, G5, 100}, {25.0, 0.5, F5, 90},  {25.5, 0.5, E5, 88},  {26.0, 1.0, D5, 92},  {27.0, 1.0, B4, 88},
        {28.0, 1.0, B4, 90},  {29.0, 1.0, D5, 94},  {30.0, 2.0, A4, 100},
    };
    for (const Note& n : melody)
        addNote(song, 2, n);
    // A touch of modulation wheel on the long notes at the end of each phrase.
    addControl(song, 2, 0.0, 1, 0);
    addControl(song, 2, 14.0, 1, 48);
    addControl(song, 2, 16.0, 1, 0);
    addControl(song, 2, 30.0, 1, 56);

    std::stable_sort(song.events.begin(), song.events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    song.endTick = 32 * kPpq;
    return song;
}
