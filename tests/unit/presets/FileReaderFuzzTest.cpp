// Seeded random mutation of valid files fed to the preset, bank, settings and tuning readers: no
// input may crash them, read out of bounds or leave a value that is not finite. The iteration count is
// fixed so the test runs in a few seconds, also under AddressSanitizer.
#include "presets/ProgramFiles.h"
#include "settings/ScalaFiles.h"
#include "settings/UserSettings.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

namespace {

std::string mutate(std::string text, std::mt19937& random)
{
    static const char* const pieces[] = {"\r",
                                         "\n",
                                         "\r\n",
                                         " ",
                                         "=",
                                         "0x",
                                         "1e999",
                                         "-",
                                         ".",
                                         "nan",
                                         "\0",
                                         "FltCut",
                                         "Morvelline Preset",
                                         "\xff",
                                         "0.5 0.5 0.5",
                                         "!",
                                         "x",
                                         "/",
                                         "3/2",
                                         "99999999999"};
    int edits = 1 + int(random() % 8);
    for (int e = 0; e < edits; ++e) {
        size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        switch (random() % 6) {
        case 0: // flip a byte
            if (!text.empty())
                text[at % text.size()] = char(random());
            break;
        case 1: // delete a stretch
            text.erase(at, random() % 64);
            break;
        case 2: { // insert a meaningful piece
            const char* piece = pieces[random() % std::size(pieces)];
            text.insert(at, piece, std::max<size_t>(1, std::strlen(piece)));
            break;
        }
        case 3: // duplicate a stretch
            text.insert(at, text.substr(random() % (text.size() + 1), random() % 256));
            break;
        case 4: // cut the file
            text.resize(at);
            break;
        default: // random bytes
            for (int i = 0, n = int(random() % 16); i < n; ++i)
                text.insert(text.begin() + long(std::min(at, text.size())), char(random()));
            break;
        }
    }
    return text;
}

bool allFinite(const ProgramRecord& program)
{
    for (int i = 0; i < kNumParams; ++i)
        if (!std::isfinite(program.get(i)))
            return false;
    return std::memchr(program.name, 0, kProgramNameSize) != nullptr;
}

} // namespace

TEST(FileReaderFuzz, MutatedFilesNeverBreakTheReaders)
{
    TemporaryFolder folder;
    FakeSystemServices system;
    system.localData = folder.path;
    UserSettings settings;

    auto store = std::make_unique<ProgramStore>();
    std::mt19937 random(20240611);
    for (int p = 0; p < kNumPrograms; ++p)
        for (int i = 0; i < kNumParams; ++i)
            store->record(p).set(i, float(random() % 1000) / 999.0f);
    const std::string preset = presetFileText(store->record(3));
    const std::string bank = bankFileText(&store->record(0));
    const std::string scaleText = "! a scale\nJust\n 7\n!\n 9/8\n 5/4\n 4/3\n 701.955 cents\n 5/3\n 15/8\n 2/1\n";
    const std::string mappingText = "! a map\n12\n0\n127\n60\n69\n440.0\n0\n0\nx\n1\nx\n2\n3\nx\n4\nx\n5\nx\n6\n";
    const std::string settingsText =
        "theme=Compact\r\nscale=2\r\naskOnBankSelect=1\r\nenableMouseWheel=0\r\n"
        "ignoreAmpVelocity=1\r\ntuningScale=Just.scl\r\ntuningMapping=../../a.kbm\r\nmpe=2\r\n";

    for (int round = 0; round < 1000; ++round) {
        int result = parsePresetText(mutate(preset, random), store->record(0));
        ASSERT_GE(result, 0);
        ASSERT_LE(result, 2);
        ASSERT_TRUE(allFinite(store->record(0))) << "round " << round;
        if (round % 4 == 0) {
            result = parseBankText(mutate(bank, random), &store->record(0));
            ASSERT_LE(result, 2);
            for (int p = 0; p < kNumPrograms; ++p)
                ASSERT_TRUE(allFinite(store->record(p))) << "round " << round;
        }
        settings.applySettingsText(mutate(settingsText, random));
        ASSERT_FALSE(settings.theme.empty());
        // A tuning read whole gives every key a pitch within hearing, or silence.
        ScalaScale scale;
        KeyboardMapping mapping;
        TuningProblem problem;
        const bool scaleRead = parseScalaScale(mutate(scaleText, random), scale, problem);
        const bool mappingRead = parseKeyboardMapping(mutate(mappingText, random), mapping, problem);
        ASSERT_TRUE((scaleRead && mappingRead) || !problem.reason.empty());
        float pitches[128];
        tunedKeyPitches(scale, mapping, pitches);
        for (float pitch : pitches)
            ASSERT_TRUE(std::isnan(pitch) || (pitch > -37.0f && pitch < 163.0f)) << "round " << round;
    }
    // The clipboards and the undo record are never touched by file reads.
    for (int r = ProgramStore::kPresetClipboard; r < ProgramStore::kNumRecords; ++r)
        EXPECT_STREQ(store->record(r).name, "Default");
}
