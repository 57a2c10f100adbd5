// The factory bank as shipped: read by the program's own bank reader, and found by a plug-in
// whose data folder sits beside it.
#include "host/LoadedPlugin.h"
#include "params/ParamTable.h"
#include "presets/ProgramFiles.h"
#include "support/FileText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> tokensOf(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;)
        tokens.push_back(t);
    return tokens;
}

const std::string& bankText()
{
    static const std::string text = readAll(MORVELLINE_FACTORY_BANK);
    return text;
}

} // namespace

TEST(FactoryBank, EveryParameterLineHoldsOneValueInRangeForEachOfTheHundredPrograms)
{
    std::vector<std::string> lines = linesOf(bankText());
    ASSERT_EQ(lines.size(), 1u + kNumParams + 1u + kNumPrograms);
    EXPECT_EQ(lines[0], kBankHeader);
    for (int p = 0; p < kNumParams; ++p) {
        std::vector<std::string> tokens = tokensOf(lines[size_t(p) + 1]);
        ASSERT_EQ(tokens.size(), 1u + kNumPrograms) << lines[size_t(p) + 1].substr(0, 20);
        EXPECT_EQ(tokens[0], kParamTable[p].shortName) << "line " << p + 2 << " is out of index order";
        for (int n = 0; n < kNumPrograms; ++n) {
            float v = parseValue(tokens[size_t(n) + 1]);
            EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << tokens[0] << " of program " << n << " is " << v;
        }
    }
    EXPECT_EQ(lines[1 + kNumParams], "");
}

TEST(FactoryBank, LoadsWithTheBankReaderUnderHundredDistinctNamesThatFitTheNameField)
{
    auto bank = std::make_unique<ProgramRecord[]>(kNumPrograms);
    for (int n = 0; n < kNumPrograms; ++n)
        bank[n].initialize();
    ASSERT_EQ(parseBankText(bankText(), bank.get()), kFileOk);

    std::vector<std::string> lines = linesOf(bankText());
    std::set<std::string> names;
    for (int n = 0; n < kNumPrograms; ++n) {
        const std::string& written = lines[size_t(kNumParams + 2 + n)];
        EXPECT_FALSE(written.empty()) << "program " << n;
        EXPECT_LE(written.size(), 24u) << written;
        EXPECT_EQ(std::string(bank[n].name), written);
        names.insert(written);
    }
    EXPECT_EQ(names.size(), size_t(kNumPrograms)) << "two programs share a name";
}

TEST(FactoryBank, NewInstanceBesideTheDataFolderStartsOnItsFirstProgram)
{
    // A private copy of the plug-in, so its data folder is the one this test puts beside it.
    fs::path folder = fs::temp_directory_path() / ("morvelline-factory-" + std::to_string(::getpid()));
    fs::create_directories(folder / "Morvelline_Data" / "Presets");
    fs::copy_file(MORVELLINE_PLUGIN_PATH, folder / "Morvelline.so", fs::copy_options::overwrite_existing);
    fs::copy_file(MORVELLINE_FACTORY_BANK, folder / "Morvelline_Data" / "Presets" / "Default.hfb",
                  fs::copy_options::overwrite_existing);

    auto bank = std::make_unique<ProgramRecord[]>(kNumPrograms);
    ASSERT_EQ(parseBankText(bankText(), bank.get()), kFileOk);
    {
        LoadedPlugin plugin({}, (folder / "Morvelline.so").c_str());
        AEffect* fx = plugin.effect();
        ASSERT_NE(fx, nullptr);
        EXPECT_EQ(plugin.dispatch(effGetProgram), 0);
        EXPECT_EQ(plugin.stringOf(effGetProgramName), bank[0].name);
        for (int p : {12, 50, 69, 70})
            EXPECT_EQ(fx->getParameter(fx, p), bank[0].get(p)) << kParamTable[p].shortName;
        char last[64] = {};
        plugin.dispatch(effGetProgramNameIndexed, 99, 0, last);
        EXPECT_STREQ(last, bank[99].name);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
