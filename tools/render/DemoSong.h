// The song played when no MIDI file is given: eight bars in A minor at 128 beats per minute
// (15 seconds) with chords on channel 1, a bass line on channel 2 and a melody on channel 3.
#pragma once

#include "MidiFile.h"

MidiSong makeDemoSong();
