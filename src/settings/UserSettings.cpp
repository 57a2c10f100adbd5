#include "settings/UserSettings.h"

#include "platform/AtomicFile.h"
#include "platform/SystemServices.h"
#include "settings/MidiMapFile.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace fs = std::filesystem;

namespace {

bool isBuiltInTheme(const std::wstring& name)
{
    return name == L"Extended" || name == L"Compact";
}

void reportRefusal(const fs::path& file, WriteResult result)
{
    if (result == WriteResult::Ok || result == WriteResult::Failed)
        return;
    std::fprintf(stderr, "Morvelline: %s %s; it was not saved.\n", file.string().c_str(), writeRefusalText(result));
}

// A tuning named in Settings.txt: a plain file name with its extension, so no line of the file
// can lead the plug-in out of the Tunings folder.
std::wstring tuningFileName(const std::string& value, const char* extension)
{
    const std::string ending = extension;
    if (value.size() <= ending.size() || value.find_first_of("/\\:") != std::string::npos || value[0] == '.')
        return {};
    for (size_t i = 0; i < ending.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(value[value.size() - ending.size() + i])) != ending[i])
            return {};
    return widenOneToOne(value);
}

std::vector<std::wstring> sortedFiles(const fs::path& folder, const wchar_t* pattern)
{
    std::vector<std::wstring> names;
    if (folder.empty())
        return names;
    // Hidden files stay out, as Settings.txt could not name them.
    for (const FolderEntry& entry : systemServices().listFolder(folder, pattern))
        if (!entry.isDirectory && !entry.name.empty() && entry.name[0] != L'.')
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

UserSettings::UserSettings()
{
    locateDataFolder();
    if (dataFolderFound) {
        SystemServices& system = systemServices();
        presetsFolder = dataFolder / "Presets";
        defaultBankFile = presetsFolder / "Default.hfb";
        themesFolder = dataFolder / "Themes";
        tuningsFolder = dataFolder / "Tunings";
        settingsFile = dataFolder / "Settings.txt";
        midiFile = dataFolder / "Midi.txt";
        presetsFolderExists = system.createFolder(presetsFolder);
        themesFolderExists = system.createFolder(themesFolder);
        if (!system.createFolder(tuningsFolder))
            tuningsFolder.clear();
    }
    loadSettings();
}

void UserSettings::locateDataFolder()
{
    SystemServices& system = systemServices();
    dataFolderFound = false;
    dataFolder.clear();

    fs::path module = system.modulePath();
    if (!module.empty()) {
        fs::path beside = module.parent_path() / "Morvelline_Data";
        if (system.folderExists(beside)) {
            dataFolder = beside;
            dataFolderFound = true;
            return;
        }
    }
    fs::path folder = system.localDataFolder();
    if (folder.empty())
        return;
    folder /= "Hollowfen Software";
    if (!system.createFolder(folder))
        return;
    folder /= "Morvelline";
    if (!system.createFolder(folder))
        return;
    dataFolder = folder;
    dataFolderFound = true;
}

void UserSettings::scanThemeFolders()
{
    themeNames.clear();
    if (!themesFolderExists)
        return;
    for (const FolderEntry& entry : systemServices().listFolder(themesFolder, L"*"))
        if (entry.isDirectory)
            themeNames.push_back(entry.name);
}

void UserSettings::scanBankFiles()
{
    bankFileNames.clear();
    if (!presetsFolderExists)
        return;
    for (const FolderEntry& entry : systemServices().listFolder(presetsFolder, L"*.hfb"))
        if (!entry.isDirectory)
            bankFileNames.push_back(entry.name);
}

void UserSettings::scanTuningFiles()
{
    scaleFileNames = sortedFiles(tuningsFolder, L"*.scl");
    mappingFileNames = sortedFiles(tuningsFolder, L"*.kbm");
}

fs::path UserSettings::tuningFile(const std::wstring& name) const
{
    return name.empty() || tuningsFolder.empty() ? fs::path() : tuningsFolder / fileNameToPath(name);
}

std::vector<TuningFileProblem> UserSettings::applyTuning()
{
    std::vector<TuningFileProblem> problems;
    // Read into scratch copies: a broken file keeps what was in use, and its name.
    ScalaScale nextScale = ScalaScale::standard();
    TuningProblem problem;
    if (!tuningScale.empty() && !readScalaScale(tuningFile(tuningScale), nextScale, problem)) {
        problems.push_back({tuningFile(tuningScale), problem});
        nextScale = scaleInUse;
        tuningScale = scaleInUseName;
    }
    KeyboardMapping nextMapping = KeyboardMapping::standard();
    if (!tuningMapping.empty() && !readKeyboardMapping(tuningFile(tuningMapping), nextMapping, problem)) {
        problems.push_back({tuningFile(tuningMapping), problem});
        nextMapping = mappingInUse;
        tuningMapping = mappingInUseName;
    }
    scaleInUse = std::move(nextScale);
    mappingInUse = std::move(nextMapping);
    scaleInUseName = tuningScale;
    mappingInUseName = tuningMapping;
    if (tuningScale.empty() && tuningMapping.empty()) {
        playing.setStandardTuning();
    } else {
        float pitches[kNumKeys];
        tunedKeyPitches(scaleInUse, mappingInUse, pitches);
        playing.setKeyPitches(pitches);
    }
    return problems;
}

void UserSettings::selectTheme(int entryIndex)
{
    theme = L"Extended";
    if (entryIndex == 1)
        theme = L"Compact";
    if (entryIndex >= 3 && size_t(entryIndex - 3) < themeNames.size())
        theme = themeNames[size_t(entryIndex - 3)];
}

void UserSettings::applySettingsText(std::string_view text)
{
    LineReader reader(text);
    applySettingsLines(reader);
}

void UserSettings::applySettingsLines(LineReader& reader)
{
    std::string line;
    while (!reader.atEnd()) {
        reader.readLine(line);
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (key == "theme") {
            theme = widenOneToOne(value);
            if (theme.empty()) {
                theme = L"Extended";
            } else if (!isBuiltInTheme(theme)) {
                bool known = false;
                for (const auto& name : themeNames)
                    known = known || name == theme;
                if (!known)
                    theme = L"Extended";
            }
        } else if (key == "scale") {
            scale = readBase0Integer(value);
        } else if (key == "askOnBankSelect") {
            askOnBankSelect = value == "1";
        } else if (key == "enableMouseWheel") {
            enableMouseWheel = value == "1";
        } else if (key == "ignoreAmpVelocity") {
            ignoreAmpVelocity.store(value == "1");
        } else if (key == "tuningScale") {
            tuningScale = tuningFileName(value, ".scl");
        } else if (key == "tuningMapping") {
            tuningMapping = tuningFileName(value, ".kbm");
        } else if (key == "mpe") {
            const int number = readBase0Integer(value);
            const MpeMode mode = number >= 0 && number <= 2 ? MpeMode(number) : MpeMode::Off;
            // Only a change is a new choice: reading the same file again keeps what a
            // controller's configuration message set.
            if (mode != playing.mpeMode())
                playing.requestMpe(mode);
        }
    }
}

std::string UserSettings::settingsText() const
{
    const std::string br = kPlatformLineBreak;
    std::string text;
    text += "theme=" + narrowOneToOne(theme) + br;
    text += "scale=" + std::to_string(scale) + br;
    text += std::string("askOnBankSelect=") + (askOnBankSelect ? "1" : "0") + br;
    text += std::string("enableMouseWheel=") + (enableMouseWheel ? "1" : "0") + br;
    text += std::string("ignoreAmpVelocity=") + (ignoreAmpVelocity.load() ? "1" : "0") + br;
    text += "tuningScale=" + narrowOneToOne(tuningScale) + br;
    text += "tuningMapping=" + narrowOneToOne(tuningMapping) + br;
    text += "mpe=" + std::to_string(int(playing.mpeMode())) + br;
    return text;
}

void UserSettings::loadSettings()
{
    midiMap.clear();
    scanThemeFolders();
    if (!dataFolderFound) {
        // Without the reset the built values would draw black text on the black window and
        // repeat the titles the images already show.
        themeStyle.resetThemeDefaults(theme != L"Compact");
        return;
    }

    LineReader reader(settingsFile);
    if (reader.isOpen())
        applySettingsLines(reader);

    readMidiMap(midiFile, midiMap);
    // Nobody to ask while loading: a tuning that cannot be used is named on standard error.
    for (const TuningFileProblem& refused : applyTuning()) {
        const std::string line = refused.problem.line > 0 ? ", line " + std::to_string(refused.problem.line) : "";
        std::fprintf(stderr, "Morvelline: %s%s: %s; the tuning stays as it was.\n", refused.file.string().c_str(),
                     line.c_str(), refused.problem.reason.c_str());
    }

    themeStyle.resetThemeDefaults(theme != L"Compact");
    // Also for the built-in names: a folder "Extended" or "Compact" adjusts that built-in theme.
    if (themesFolderExists)
        themeStyle.readThemeFile(themesFolder / fileNameToPath(theme) / "Theme.txt");
}

void UserSettings::saveSettings()
{
    if (!dataFolderFound)
        return;
    // A failed write keeps the old file whole; the map is written either way. A refused write
    // (read-only, or a link leading out of the data folder) is worth a line on stderr: it runs
    // as the window closes, where a question would be in the way.
    reportRefusal(settingsFile, replaceFileSafely(settingsFile, settingsText(), dataFolder));
    reportRefusal(midiFile, writeMidiMap(midiFile, midiMap, dataFolder));
}
