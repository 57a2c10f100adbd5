// Preset and bank files: what is written, what is read back, and hostile or broken files.
#include "presets/ProgramFiles.h"
#include "support/FileText.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Files : ::testing::Test {
    TemporaryFolder folder;
    std::unique_ptr<ProgramStore> store = std::make_unique<ProgramStore>();
    ProgramRecord& program = store->record(0);
    ProgramRecord* bank = &store->record(0);
    fs::path file(const char* name) const { return folder.path / name; }
};

} // namespace

TEST_F(Files, BankRoundTripKeepsEveryValueToSixDigitsAndEveryName)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-2.0f, 3.0f);
    for (int p = 0; p < kNumPrograms; ++p) {
        for (int i = 0; i < kNumParams; ++i)
            bank[p].set(i, value(random));
        std::snprintf(bank[p].name, kProgramNameSize, "Patch %d with a long nam", p);
    }
    bank[3].set(5, 1e-05f);
    bank[4].set(5, 123456789.0f);
    ASSERT_EQ(saveBankFile(bank, file("b.hfb")), kFileOk);

    auto loaded = std::make_unique<ProgramStore>();
    ASSERT_EQ(loadBankFile(&loaded->record(0), file("b.hfb")), kFileOk);
    for (int p = 0; p < kNumPrograms; ++p) {
        EXPECT_STREQ(loaded->record(p).name, bank[p].name);
        for (int i = 0; i < kNumParams; ++i) {
            float a = bank[p].get(i), b = loaded->record(p).get(i);
            ASSERT_NEAR(b, a, std::fabs(a) * 5e-6f + 1e-30f) << "program " << p << " param " << i;
        }
    }
}

TEST_F(Files, WrittenFilesUseCrLfTheHeaderAndPercentGValues)
{
    program.initialize();
    program.set(Param::Osc1Semi, 1.0f / 6.0f);
    ASSERT_EQ(savePresetFile(program, file("p.hfp")), kFileOk);
    std::string text = readAll(file("p.hfp"));
    EXPECT_EQ(text.rfind("Morvelline Preset\r\nOsc1Semi 0.166667\r\nOsc2Semi 0.5\r\nOsc1Fine 0.5\r\n", 0), 0u);
    EXPECT_TRUE(text.ends_with("\r\n\r\nDefault\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 202);

    EXPECT_EQ(formatValue(0.5f), "0.5");
    EXPECT_EQ(formatValue(1.0f), "1");
    EXPECT_EQ(formatValue(0.0f), "0");
    EXPECT_EQ(formatValue(0.00001f), "1e-05");

    ASSERT_EQ(saveBankFile(bank, file("b.hfb")), kFileOk);
    EXPECT_EQ(readAll(file("b.hfb")).rfind("Morvelline Preset Bank\r\nOsc1Semi 0.166667 0.5 0.5 ", 0), 0u);
}

TEST_F(Files, BendRangeOneSixthComesBackAsSixDigits)
{
    program.set(Param::PBRange, kBendRangeDefault);
    ASSERT_EQ(savePresetFile(program, file("p.hfp")), kFileOk);
    program.set(Param::PBRange, 0.0f);
    ASSERT_EQ(loadPresetFile(program, file("p.hfp")), kFileOk);
    EXPECT_EQ(program.get(Param::PBRange), 0.166667f);
}

TEST_F(Files, PresetLinesInAnyOrderWithUnknownKeysAndBadNumbers)
{
    ProgramRecord& reference = store->record(1);
    reference.initialize();
    for (int i = 0; i < kNumParams; ++i)
        reference.set(i, float(i) / 256.0f);
    std::string forward = presetFileText(reference);

    // The same lines in reverse order, LF only.
    std::string reversed = "Morvelline Preset\n";
    for (int i = kNumParams - 1; i >= 0; --i)
        reversed += std::string(kParamTable[i].shortName) + " " + formatValue(reference.get(i)) + "\n";
    reversed += "\nDefault\n";
    ASSERT_EQ(parsePresetText(reversed, program), kFileOk);
    ProgramRecord& inOrder = store->record(2);
    ASSERT_EQ(parsePresetText(forward, inOrder), kFileOk);
    for (int i = 0; i < kNumParams; ++i)
        ASSERT_EQ(program.get(i), inOrder.get(i)) << i;

    program.initialize();
    ASSERT_EQ(parsePresetText("Morvelline Preset\r\n"
                              "NoSuchKey 0.9\r\n"
                              "FltCut\r\n"           // no value: 0
                              "FltRes 0.25xyz\r\n"   // numeric prefix
                              "fltkey 0.7\r\n"       // keys are case-sensitive
                              "Osc1Vol 0.3\r0.9\r\n" // CR inside the line stays part of it
                              "Osc2Vol nan\r\n"      // not a usable value: 0
                              "Osc1Pan 1e999\r\n"    // overflow: 0
                              "Volume 0.1\r\nVolume 0.2\r\n"
                              "\r\n"
                              "A name that is much longer than allowed\r\n",
                              program),
              kFileOk);
    EXPECT_EQ(program.get(Param::FltCut), 0.0f);
    EXPECT_EQ(program.get(Param::FltRes), 0.25f);
    EXPECT_EQ(program.get(Param::FltKey), kParamTable[Param::FltKey].defaultValue);
    EXPECT_EQ(program.get(Param::Osc1Vol), 0.3f);
    EXPECT_EQ(program.get(Param::Osc2Vol), 0.0f);
    EXPECT_EQ(program.get(Param::Osc1Pan), 0.0f);
    EXPECT_EQ(program.get(Param::Volume), 0.2f);
    EXPECT_STREQ(program.name, "A name that is much long");
}

TEST_F(Files, HeaderMustMatchExactly)
{
    program.set(Param::FltCut, 0.42f);
    for (const char* text : {"Morvelline Preset \r\nFltCut 0.1\r\n", "morvelline preset\nFltCut 0.1\n",
                             "Morvelline Preset Bank\nFltCut 0.1\n", "", "\xff\xfe\x00garbage"}) {
        EXPECT_EQ(parsePresetText(text, program), kFileWrongHeader) << text;
        EXPECT_EQ(program.get(Param::FltCut), 0.42f);
    }
    EXPECT_EQ(parseBankText("Morvelline Preset\r\n", bank), kFileWrongHeader);
    EXPECT_EQ(parseBankText("Morvelline Preset Bank \r\n", bank), kFileWrongHeader);
    EXPECT_EQ(loadPresetFile(program, file("missing.hfp")), kFileCannotOpen);
    EXPECT_EQ(loadBankFile(bank, folder.path), kFileCannotOpen); // a folder is no file
}

// A preset is taken whole or not at all: a file cut short must not leave half a sound.
TEST_F(Files, APresetCutShortLeavesTheProgramAndSaysWhere)
{
    const std::string full = presetFileText(store->record(1));
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"Morvelline Preset", 1},
        {"Morvelline Preset\r\n", 2},
        {"Morvelline Preset\r\nFltCut 0.1\r\nFltRes 0.", 3},
        {full.substr(0, full.find("\r\n\r\n") + 2), 201}, // every value, no empty line or name
        {"Not a preset\r\n\r\nName\r\n", 1},
    };
    for (const auto& c : cases) {
        program.initialize();
        program.set(Param::FltRes, 0.42f);
        std::strcpy(program.name, "BS Reese");
        FileProblem problem;
        EXPECT_EQ(parsePresetText(c.text, program, &problem), kFileWrongHeader) << c.text;
        EXPECT_EQ(problem.line, c.line) << c.text;
        EXPECT_FALSE(problem.reason.empty());
        EXPECT_EQ(program.get(Param::FltCut), kParamTable[Param::FltCut].defaultValue);
        EXPECT_EQ(program.get(Param::FltRes), 0.42f);
        EXPECT_STREQ(program.name, "BS Reese");
    }
    // The empty line ends the values; a missing name line after it is an empty name.
    ASSERT_EQ(parsePresetText("Morvelline Preset\nFltCut 0.1\n\n", program), kFileOk);
    EXPECT_EQ(program.get(Param::FltCut), 0.1f);
    EXPECT_STREQ(program.name, "");
}

// Some Windows editors start a saved text file with a UTF-8 byte-order mark.
TEST_F(Files, AByteOrderMarkBeforeTheHeaderIsSkipped)
{
    const std::string bom = "\xEF\xBB\xBF";
    ASSERT_EQ(parsePresetText(bom + "Morvelline Preset\r\nFltCut 0.25\r\n\r\nMarked\r\n", program), kFileOk);
    EXPECT_EQ(program.get(Param::FltCut), 0.25f);
    EXPECT_STREQ(program.name, "Marked");
    writeAll(file("marked.hfb"), bom + "Morvelline Preset Bank\r\nFltCut 0.5 0.75\r\n\r\nFirst\r\n");
    ASSERT_EQ(loadBankFile(bank, file("marked.hfb")), kFileOk);
    EXPECT_EQ(bank[1].get(Param::FltCut), 0.75f);
    EXPECT_STREQ(bank[0].name, "First");
}

TEST_F(Files, ShortBankLinesAndMissingNamesKeepTheRest)
{
    for (int p = 0; p < kNumPrograms; ++p) {
        bank[p].initialize();
        std::snprintf(bank[p].name, kProgramNameSize, "Old %d", p);
    }
    ASSERT_EQ(parseBankText("Morvelline Preset Bank\r\nFltCut 0.1 0.2\r\n\r\nFirst\r\nSecond\r\n", bank), kFileOk);
    EXPECT_EQ(bank[0].get(Param::FltCut), 0.1f);
    EXPECT_EQ(bank[1].get(Param::FltCut), 0.2f);
    for (int p = 2; p < kNumPrograms; ++p)
        ASSERT_EQ(bank[p].get(Param::FltCut), kParamTable[Param::FltCut].defaultValue);
    EXPECT_STREQ(bank[0].name, "First");
    EXPECT_STREQ(bank[1].name, "Second");
    EXPECT_STREQ(bank[2].name, ""); // the one after the last name read
    EXPECT_STREQ(bank[3].name, "Old 3");

    // More than 100 values: the extra ones are ignored.
    std::string line = "Volume";
    for (int i = 0; i < 150; ++i)
        line += " 0.75";
    ASSERT_EQ(parseBankText("Morvelline Preset Bank\n" + line + "\n", bank), kFileOk);
    EXPECT_EQ(bank[99].get(Param::Volume), 0.75f);
}

TEST_F(Files, NamesWithLineBreaksCannotShiftTheFollowingLines)
{
    for (int p = 0; p < kNumPrograms; ++p)
        std::snprintf(bank[p].name, kProgramNameSize, "P%d", p);
    std::strcpy(bank[10].name, "two\r\nlines");
    auto loaded = std::make_unique<ProgramStore>();
    ASSERT_EQ(parseBankText(bankFileText(bank), &loaded->record(0)), kFileOk);
    EXPECT_STREQ(loaded->record(10).name, "two  lines");
    EXPECT_STREQ(loaded->record(11).name, "P11");
    EXPECT_STREQ(loaded->record(99).name, "P99");
}

TEST_F(Files, HugeLinesAndMillionsOfLinesStayBounded)
{
    // A header line of 10 MB: refused, without holding it in memory.
    writeAll(file("huge.hfp"), std::string(10 << 20, 'x'));
    EXPECT_EQ(loadPresetFile(program, file("huge.hfp")), kFileWrongHeader);

    // A million parameter lines: read to the end, the last one wins.
    {
        std::FILE* out = std::fopen(file("many.hfb").c_str(), "wb");
        ASSERT_TRUE(out);
        std::fputs("Morvelline Preset Bank\n", out);
        for (int i = 0; i < 1000000; ++i)
            std::fprintf(out, "FltCut 0.%d\n", i % 10);
        std::fclose(out);
    }
    EXPECT_EQ(loadBankFile(bank, file("many.hfb")), kFileOk);
    EXPECT_EQ(bank[0].get(Param::FltCut), 0.9f);

    // A value line longer than the line limit keeps its beginning.
    std::string longLine = "Morvelline Preset\nVolume 0.25" + std::string(200000, '5') + "\n\nLong\n";
    EXPECT_EQ(parsePresetText(longLine, program), kFileOk);
    EXPECT_NEAR(program.get(Param::Volume), 0.255555f, 1e-5f);
}

TEST_F(Files, FailedWritesKeepTheOldFileAndReportFailure)
{
    ASSERT_EQ(savePresetFile(program, file("keep.hfp")), kFileOk);
    std::string before = readAll(file("keep.hfp"));

    // The disk fills up during the write: the process may write only a few bytes.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    int presetResult = savePresetFile(store->record(5), file("keep.hfp"));
    int bankResult = saveBankFile(bank, file("keep.hfp"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(presetResult, kFileCannotOpen);
    EXPECT_EQ(bankResult, kFileCannotOpen);
    EXPECT_EQ(readAll(file("keep.hfp")), before);
    for (const auto& entry : fs::directory_iterator(folder.path))
        EXPECT_NE(entry.path().extension(), ".tmp") << "left behind: " << entry.path();

    // A folder that does not exist, and a target that is a folder.
    EXPECT_EQ(savePresetFile(program, folder.path / "no" / "such.hfp"), kFileCannotOpen);
    fs::create_directory(file("dir.hfb"));
    EXPECT_EQ(saveBankFile(bank, file("dir.hfb")), kFileCannotOpen);
    EXPECT_TRUE(fs::is_directory(file("dir.hfb")));

    // A read-only folder (root may write anyway, so only checked for ordinary users).
    if (geteuid() != 0) {
        fs::create_directory(file("ro"));
        writeAll(file("ro") / "old.hfp", "old");
        fs::permissions(file("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(savePresetFile(program, file("ro") / "old.hfp"), kFileCannotOpen);
        fs::permissions(file("ro"), fs::perms::owner_all);
        EXPECT_EQ(readAll(file("ro") / "old.hfp"), "old");
    }
}
