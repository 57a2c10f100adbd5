// Per-instance user settings and data-folder state, owner of the MIDI map. Values shared with the
// audio thread are atomic.
#pragma once

#include "MidiMap.h"
#include "settings/PlayingSetup.h"
#include "settings/ScalaFiles.h"
#include "settings/ThemeStyle.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

class LineReader;

// A tuning file that could not be used, and why.
struct TuningFileProblem {
    std::filesystem::path file;
    TuningProblem problem;
};

struct UserSettings {
    // Finds (or creates) the data folder, composes the paths and reads the settings files.
    UserSettings();

    UserSettings(const UserSettings&) = delete;
    UserSettings& operator=(const UserSettings&) = delete;

    // Sets dataFolder and dataFolderFound: "Morvelline_Data" beside the plug-in file when the
    // user made one, else "Hollowfen Software/Morvelline" in the user's data folder.
    void locateDataFolder();
    // Re-reads the MIDI map, Settings.txt and the theme from disk; runs at construction and
    // each time the editor opens.
    void loadSettings();
    // Writes Settings.txt and the MIDI map; runs when the editor closes.
    void saveSettings();
    void scanThemeFolders();
    void scanBankFiles();
    // Theme submenu entry: 0 "Extended", 1 "Compact", 3 and up the theme folders.
    void selectTheme(int entryIndex);
    // The scale (.scl) and keyboard mapping (.kbm) files in the Tunings folder, sorted by name.
    void scanTuningFiles();
    // Reads the scale and mapping named by tuningScale and tuningMapping and gives the keys their
    // pitches. A file that cannot be used leaves the scale or mapping it would replace, its name
    // included; the problems are returned, each naming its file and line (none: all went well).
    std::vector<TuningFileProblem> applyTuning();
    // The file the tuning's scale or mapping was read from (empty for the standard ones).
    std::filesystem::path tuningFile(const std::wstring& name) const;

    // Settings.txt parsing and formatting, separate from the disk for tests and fuzzing.
    void applySettingsText(std::string_view text);
    std::string settingsText() const;

    bool askOnBankSelect = false;
    bool enableMouseWheel = false;
    // Read by the voices on the audio thread.
    std::atomic<bool> ignoreAmpVelocity{false};
    int pageState[5] = {0, 0, 0, 0, 0};
    int scale = 1;
    std::wstring theme = L"Extended";
    ThemeStyle themeStyle;

    bool dataFolderFound = false;
    bool presetsFolderExists = false;
    bool themesFolderExists = false;
    std::filesystem::path dataFolder;
    std::filesystem::path presetsFolder;
    std::filesystem::path themesFolder;
    std::filesystem::path settingsFile;
    std::filesystem::path midiFile;
    std::filesystem::path defaultBankFile;
    std::vector<std::wstring> bankFileNames;
    std::vector<std::wstring> themeNames;

    // The tuning: file names in the Tunings folder; empty for twelve equal semitones and for the
    // mapping that puts 1/1 on key 60 and A4 at 440 Hz.
    std::wstring tuningScale;
    std::wstring tuningMapping;
    std::filesystem::path tuningsFolder;
    std::vector<std::wstring> scaleFileNames;
    std::vector<std::wstring> mappingFileNames;

    MidiMap midiMap;
    // Key pitches and the MPE choice, read by the engine.
    PlayingSetup playing;

private:
    void applySettingsLines(LineReader& reader);

    // What the keys play now, and the names it was read from.
    ScalaScale scaleInUse = ScalaScale::standard();
    KeyboardMapping mappingInUse = KeyboardMapping::standard();
    std::wstring scaleInUseName;
    std::wstring mappingInUseName;
};
