#include "presets/ProgramOperations.h"

#include "params/SectionParams.h"
#include "platform/SystemServices.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <memory>

namespace {

// Each section instance's parameters, in the same order for every instance: the clipboard holds
// a section in instance 1's slots and pastes into any instance.
std::vector<int> sectionRoles(const OscillatorParams& p)
{
    return {p.semi,       p.fine,         p.volume,           p.detune, p.pulseWidth,  p.sub,
            p.wave,       p.subFollowsPw, p.subFollowsVolume, p.phase,  p.subSemi,     p.subFine,
            p.subAltWave, p.detuneSpread, p.detuneMix,        p.pan,    p.detuneVoices};
}
std::vector<int> sectionRoles(const FilterParams& p)
{
    return {p.cutoff, p.resonance, p.keyTrack, p.type};
}
std::vector<int> sectionRoles(const EnvelopeParams& p)
{
    return {p.attack, p.decay, p.sustain, p.release, p.velocity};
}
std::vector<int> sectionRoles(const LfoParams& p)
{
    return {p.rate, p.offset, p.wave, p.sync, p.free, p.phase};
}

template <typename Params, size_t Instances>
std::vector<int> sectionRow(const Params (&sections)[Instances], int instance)
{
    if (instance < 1 || size_t(instance) > Instances)
        return {};
    return sectionRoles(sections[instance - 1]);
}

// Saves may follow a link only into the data folder.
std::filesystem::path linkRoot(const UserSettings& settings)
{
    return settings.dataFolderFound ? settings.dataFolder : std::filesystem::path();
}

} // namespace

std::vector<int> sectionParameters(SectionKind kind, int instance)
{
    switch (kind) {
    case SectionKind::Oscillator:
        return sectionRow(kOscillatorParams, instance);
    case SectionKind::Filter:
        return sectionRow(kFilterParams, instance);
    case SectionKind::Envelope:
        return sectionRow(kEnvelopeParams, instance);
    case SectionKind::Lfo:
        return sectionRow(kLfoParams, instance);
    }
    return {};
}

void copySection(ProgramStore& store, SectionKind kind, int instance)
{
    std::vector<int> from = sectionParameters(kind, instance);
    std::vector<int> slots = sectionParameters(kind, 1);
    ProgramRecord& clipboard = store.record(ProgramStore::kSectionClipboard);
    for (size_t i = 0; i < from.size(); ++i)
        clipboard.set(slots[i], store.current().get(from[i]));
}

void pasteSection(ProgramStore& store, SectionKind kind, int instance)
{
    std::vector<int> to = sectionParameters(kind, instance);
    std::vector<int> slots = sectionParameters(kind, 1);
    const ProgramRecord& clipboard = store.record(ProgramStore::kSectionClipboard);
    for (size_t i = 0; i < to.size(); ++i)
        store.current().set(to[i], clipboard.get(slots[i]));
}

void copyPreset(ProgramStore& store)
{
    store.record(ProgramStore::kPresetClipboard).copyFrom(store.current());
}

void pastePreset(ProgramHost& host)
{
    ProgramStore& store = host.programStore();
    store.current().copyFrom(store.record(ProgramStore::kPresetClipboard));
    host.refreshValues();
}

void restorePreset(ProgramHost& host)
{
    ProgramStore& store = host.programStore();
    store.current().copyFrom(store.record(ProgramStore::kUndoRecord));
    host.refreshValues();
}

std::wstring suggestedFileName(const char* programName)
{
    std::wstring name = widenOneToOne(programName);
    for (wchar_t& c : name)
        if (c < 0x20 || c == 0x7f || std::wcschr(L"/\\:*?\"<>|", c))
            c = L'-';
    // Windows drops trailing dots and spaces, and "." or ".." would name a folder.
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.pop_back();
    std::wstring base = name.substr(0, name.find(L'.'));
    for (wchar_t& c : base)
        c = wchar_t(std::towupper(c));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    bool device = std::find_if(std::begin(kDevices), std::end(kDevices), [&](const wchar_t* d) { return base == d; }) !=
                  std::end(kDevices);
    device = device || (base.size() == 4 && (base.rfind(L"COM", 0) == 0 || base.rfind(L"LPT", 0) == 0) &&
                        base[3] >= L'1' && base[3] <= L'9');
    if (device)
        name.insert(base.size(), 1, L'_');
    return name;
}

// A program written to a file is its saved state from then on: Restore Preset and Compare With
// Saved go back to it.
static void rememberSavedState(ProgramStore& store)
{
    store.record(ProgramStore::kUndoRecord).copyFrom(store.current());
}

int saveCurrentPreset(ProgramHost& host, const std::filesystem::path& path, FileProblem& problem)
{
    const int result = savePresetFile(host.programStore().current(), path, linkRoot(host.userSettings()), &problem);
    if (result == kFileOk)
        rememberSavedState(host.programStore());
    return result;
}

int loadCurrentPreset(ProgramStore& store, const std::filesystem::path& path, FileProblem& problem)
{
    // Parameters the file leaves out take their default values.
    ProgramRecord scratch;
    scratch.initialize();
    int result = loadPresetFile(scratch, path, &problem);
    if (result == kFileOk)
        store.current().copyFrom(scratch);
    return result;
}

int saveProgramBank(ProgramHost& host, const std::filesystem::path& path, FileProblem& problem)
{
    const int result = saveBankFile(&host.programStore().record(0), path, linkRoot(host.userSettings()), &problem);
    if (result == kFileOk)
        rememberSavedState(host.programStore());
    return result;
}

int loadProgramBank(ProgramHost& host, const std::filesystem::path& path, FileProblem& problem)
{
    auto scratch = std::make_unique<ProgramRecord[]>(kNumPrograms);
    for (int i = 0; i < kNumPrograms; ++i)
        scratch[i].initialize();
    int result = loadBankFile(scratch.get(), path, &problem);
    if (result != kFileOk)
        return result;
    host.initBank(false);
    for (int i = 0; i < kNumPrograms; ++i)
        host.programStore().record(i).copyFrom(scratch[i]);
    host.setProgram(0);
    return kFileOk;
}

std::vector<std::wstring> bankMenuFiles(const UserSettings& settings)
{
    std::vector<std::wstring> files;
    for (const std::wstring& name : settings.bankFileNames) {
        std::wstring shown = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::wstring();
        std::wstring lower;
        for (wchar_t c : shown)
            lower += wchar_t(std::towlower(c));
        if (lower != L"default")
            files.push_back(name);
    }
    return files;
}

std::optional<std::filesystem::path> bankMenuPath(const UserSettings& settings, int position)
{
    std::vector<std::wstring> files = bankMenuFiles(settings);
    if (position < 2 || size_t(position - 2) >= files.size())
        return std::nullopt;
    return settings.presetsFolder / fileNameToPath(files[size_t(position - 2)]);
}
