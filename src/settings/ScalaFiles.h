// Tunings in the Scala formats: a scale file (.scl) lists the pitches of one period above its
// implicit 1/1, the last of them closing the period; a keyboard mapping (.kbm) says which key
// plays which degree of the scale, and which key sounds at which frequency. From both, every
// key's pitch.
#pragma once

#include <climits>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Why a file was refused: the line (0 when the file could not be read at all) and what is wrong.
struct TuningProblem {
    int line = 0;
    std::string reason;
};

struct ScalaScale {
    std::string description;
    // Degrees 1 to N in cents above 1/1; the last one is the period. Empty: the scale is 1/1 alone.
    std::vector<double> cents;

    // Twelve equal semitones to the octave.
    static ScalaScale standard();
};

struct KeyboardMapping {
    static constexpr int kUnmapped = INT_MIN;

    int size = 0;          // keys before the pattern repeats; 0: every key plays the next degree
    int firstKey = 0;      // the keys from firstKey to lastKey are retuned, the others keep their
    int lastKey = 127;     // equal-tempered pitch
    int middleKey = 60;    // plays degree 0
    int referenceKey = 69; // sounds at referenceHz
    double referenceHz = 440.0;
    int octaveDegree = 0;     // the degree a repeat of the pattern moves up by; 0: the scale's size
    std::vector<int> degrees; // per key of the pattern; kUnmapped (or missing at the end): silent

    // Key 60 plays 1/1, every key the next degree, A4 at 440 Hz.
    static KeyboardMapping standard() { return {}; }
};

// The largest scale and mapping read; the formats set no limit, and larger ones serve no keyboard.
constexpr int kMaxScaleNotes = 4096;
constexpr int kMaxMappingSize = 2048;

// Reading from text or from a file: false, with the problem, for anything malformed; the scale
// or mapping is only replaced when the whole text was good.
bool parseScalaScale(std::string_view text, ScalaScale& scale, TuningProblem& problem);
bool parseKeyboardMapping(std::string_view text, KeyboardMapping& mapping, TuningProblem& problem);
bool readScalaScale(const std::filesystem::path& file, ScalaScale& scale, TuningProblem& problem);
bool readKeyboardMapping(const std::filesystem::path& file, KeyboardMapping& mapping, TuningProblem& problem);

// Every key's pitch as a note number (69 is A4 at 440 Hz, one more an equal-tempered semitone
// higher), held between 1 Hz and 100 kHz; not a number for a key the mapping leaves silent.
void tunedKeyPitches(const ScalaScale& scale, const KeyboardMapping& mapping, float (&pitches)[128]);
