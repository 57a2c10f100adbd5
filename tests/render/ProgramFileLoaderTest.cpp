// Bank and preset files reach a running Morvelline through the host interface.
#include "ProgramFileLoader.h"
#include "presets/ProgramFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct LoadedMorvelline : ::testing::Test {
    fs::path folder = fs::temp_directory_path() / ("render-programs-" + std::to_string(::getpid()));
    PluginHost host{MORVELLINE_PLUGIN_PATH};

    LoadedMorvelline() { fs::create_directories(folder); }
    ~LoadedMorvelline() override { fs::remove_all(folder); }

    std::string programName(int program)
    {
        char name[256] = {};
        host.effect()->dispatcher(host.effect(), effGetProgramNameIndexed, program, 0, name, 0.0f);
        return name;
    }
    float parameter(int index) { return host.effect()->getParameter(host.effect(), index); }
};

} // namespace

TEST_F(LoadedMorvelline, BankSetsEveryProgramAndSelectsTheFirst)
{
    auto bank = std::make_unique<ProgramStore>();
    for (int p = 0; p < kNumPrograms; ++p) {
        std::snprintf(bank->record(p).name, kProgramNameSize, "Sound %d", p);
        bank->record(p).set(Param::FltCut, float(p) / 100.0f);
    }
    const fs::path file = folder / "mine.hfb";
    ASSERT_EQ(saveBankFile(*bank, file), kFileOk);

    host.setProgram(42);
    loadBankIntoPlugin(host, file.string());
    EXPECT_EQ(host.effect()->dispatcher(host.effect(), effGetProgram, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(programName(0), "Sound 0");
    EXPECT_EQ(programName(99), "Sound 99");
    EXPECT_FLOAT_EQ(parameter(Param::FltCut), 0.0f);
    host.setProgram(37);
    EXPECT_FLOAT_EQ(parameter(Param::FltCut), 0.37f);
}

TEST_F(LoadedMorvelline, PresetGoesIntoTheCurrentProgramOnly)
{
    ProgramRecord preset;
    preset.initialize();
    std::strcpy(preset.name, "Warm Pad");
    preset.set(Param::Env1Att, 0.6f);
    const fs::path file = folder / "pad.hfp";
    ASSERT_EQ(savePresetFile(preset, file), kFileOk);

    host.setProgram(5);
    loadPresetIntoPlugin(host, file.string());
    EXPECT_EQ(programName(5), "Warm Pad");
    EXPECT_FLOAT_EQ(parameter(Param::Env1Att), 0.6f);
    EXPECT_EQ(programName(4), "Default");
}

TEST_F(LoadedMorvelline, UnreadableOrForeignFilesAreRefused)
{
    EXPECT_THROW(loadBankIntoPlugin(host, (folder / "missing.hfb").string()), HostError);
    const fs::path preset = folder / "pad.hfp";
    ProgramRecord program;
    program.initialize();
    ASSERT_EQ(savePresetFile(program, preset), kFileOk);
    // A preset is not a bank: the header tells them apart.
    EXPECT_THROW(loadBankIntoPlugin(host, preset.string()), HostError);
    EXPECT_EQ(programName(0), "Default");
}
