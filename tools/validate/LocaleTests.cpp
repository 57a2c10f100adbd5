// Hosts in much of Europe run with a comma as the decimal separator. A plug-in whose texts or
// saved state follow the process locale shows "0,5" in one host and "0.5" in another, and may
// not read back what it saved; texts and state must be the same as under the "C" locale.
#include "GuardedText.h"
#include "Rig.h"
#include "StepNote.h"

#include <clocale>
#include <locale>

namespace {

const char* const kCommaLocales[] = {"de_DE.UTF-8", "de_DE.utf8",          "fr_FR.UTF-8",
                                     "nl_NL.UTF-8", "German_Germany.1252", "de-DE"};

// Switches this process to a comma-decimal locale; the name, or empty when none is installed.
std::string useCommaLocale()
{
    for (const char* name : kCommaLocales) {
        if (!std::setlocale(LC_ALL, name))
            continue;
        if (std::localeconv()->decimal_point[0] != ',')
            continue;
        try {
            std::locale::global(std::locale(name));
        } catch (const std::exception&) {
            // The C++ library knows only the "C" locale here; the C locale is switched all the same.
        }
        return name;
    }
    return {};
}

// Everything the plug-in says in text, and its state, after a fixed set of parameter values.
std::vector<std::string> textsAndState(TestContext& context)
{
    Rig rig(context);
    std::vector<std::string> texts;
    for (int i = 0; i < rig.fx()->numParams; ++i) {
        rig.fx()->setParameter(rig.fx(), i, float((i * 37) % 100) / 99.0f);
        for (VstInt32 opcode : {effGetParamName, effGetParamDisplay, effGetParamLabel}) {
            GuardedText text(kParamTextLimit);
            rig.dispatch(opcode, i, 0, text.data());
            texts.push_back("parameter " + std::to_string(i) + " text \"" + text.checked("a parameter text") + "\"");
        }
    }
    for (int p = 0; p < std::min(rig.fx()->numPrograms, 128); ++p) {
        GuardedText name(kProgramNameLimit);
        rig.dispatch(effGetProgramNameIndexed, p, 0, name.data());
        texts.push_back("program " + std::to_string(p) + " name \"" + name.checked("a program name") + "\"");
    }
    if (rig.fx()->flags & effFlagsProgramChunks) {
        void* chunk = nullptr;
        VstIntPtr size = rig.dispatch(effGetChunk, 1, 0, &chunk);
        if (size > 0 && chunk)
            texts.push_back("the saved state " + std::string(static_cast<char*>(chunk), size_t(size)));
    }
    return texts;
}

void commaLocale(TestContext& context)
{
    noteStep("texts and state under the C locale");
    std::vector<std::string> plain = textsAndState(context);
    std::string locale = useCommaLocale();
    if (locale.empty())
        skip("no comma-decimal locale is installed (tried de_DE.UTF-8, fr_FR.UTF-8 and others)");
    noteStep("texts and state under the " + locale + " locale");
    std::vector<std::string> comma = textsAndState(context);
    require(plain.size() == comma.size(), "the plug-in tells a different number of texts under " + locale);
    for (size_t i = 0; i < plain.size(); ++i)
        require(plain[i] == comma[i],
                plain[i].substr(0, 200) + " becomes " + comma[i].substr(0, 200) + " under " + locale);
}

} // namespace

void addLocaleTests(TestList& tests)
{
    tests.push_back({"locale", "texts and state with a comma as decimal point", commaLocale});
}
