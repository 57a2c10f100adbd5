// Parameters as hosts use them: the info list, texts both ways (and garbage texts), values read
// back after events in process and after a flush, and random events with wild values.
#include "ClapRig.h"
#include "GuardedText.h"
#include "StepNote.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace {
// Named as well: batched builds compile several test files as one unit.
namespace clap_parameter {

std::string nameOf(const clap_param_info_t& info)
{
    return "parameter " + std::to_string(info.id) + " (" + std::string(info.name) + ")";
}

bool inRange(const clap_param_info_t& info, double v)
{
    return std::isfinite(v) && v >= info.min_value && v <= info.max_value;
}

double snapped(const clap_param_info_t& info, double v)
{
    return info.flags & CLAP_PARAM_IS_STEPPED ? std::round(v) : v;
}

void checkInfo(const clap_param_info_t& info, uint32_t index)
{
    const std::string who = "parameter index " + std::to_string(index) + " (id " + std::to_string(info.id) + ")";
    require(std::memchr(info.name, 0, CLAP_NAME_SIZE) && std::memchr(info.module, 0, CLAP_PATH_SIZE),
            who + " has a name or module without a terminator");
    require(info.name[0] != 0, who + " has an empty name");
    require(info.id != CLAP_INVALID_ID, who + " has the invalid id");
    const std::string range = " (min " + numberText(info.min_value) + ", default " + numberText(info.default_value) +
                              ", max " + numberText(info.max_value) + ")";
    require(std::isfinite(info.min_value) && std::isfinite(info.max_value) && std::isfinite(info.default_value),
            who + " has a range that is not finite" + range);
    require(info.min_value <= info.default_value && info.default_value <= info.max_value,
            who + " has its default outside its range" + range);
    if (info.flags & CLAP_PARAM_IS_STEPPED)
        require(info.min_value == std::round(info.min_value) && info.max_value == std::round(info.max_value) &&
                    info.default_value == std::round(info.default_value),
                who + " is stepped but its range has fractions" + range);
    require(!(info.flags & CLAP_PARAM_IS_ENUM) || (info.flags & CLAP_PARAM_IS_STEPPED),
            who + " is an enum but not stepped");
}

void paramInfo(TestContext& context)
{
    ClapRig rig(context);
    const clap_plugin_params_t& p = rig.params();
    const uint32_t count = p.count(rig.plugin());
    std::set<clap_id> ids;
    for (uint32_t i = 0; i < count; ++i) {
        noteStep("get_info of parameter index " + std::to_string(i));
        clap_param_info_t info;
        std::memset(&info, 0xA5, sizeof info); // a name left unterminated shows
        require(p.get_info(rig.plugin(), i, &info), "get_info refuses index " + std::to_string(i));
        checkInfo(info, i);
        require(ids.insert(info.id).second, "parameter index " + std::to_string(i) + " repeats the id " +
                                                std::to_string(info.id));
        const double v = rig.paramValue(info.id);
        require(inRange(info, v), nameOf(info) + " reads " + numberText(v) + ", outside its range");
    }
    noteStep("calls for an index and an id that do not exist");
    clap_param_info_t past{};
    require(!p.get_info(rig.plugin(), count, &past), "get_info answers for index " + std::to_string(count) +
                                                         ", past the count");
    clap_id unknown = *ids.rbegin() + 1;
    if (unknown == CLAP_INVALID_ID || ids.count(unknown))
        unknown = *ids.begin() - 1;
    double value = 0;
    char text[CLAP_NAME_SIZE] = "";
    require(!p.get_value(rig.plugin(), unknown, &value), "get_value answers for id " + std::to_string(unknown) +
                                                              ", which no parameter has");
    require(!p.value_to_text(rig.plugin(), unknown, 0.5, text, sizeof text),
            "value_to_text answers for id " + std::to_string(unknown) + ", which no parameter has");
    require(!p.text_to_value(rig.plugin(), unknown, "0.5", &value),
            "text_to_value answers for id " + std::to_string(unknown) + ", which no parameter has");
}

// The plug-in's text for a value, in a guarded buffer; false when it has none.
bool textOf(ClapRig& rig, const clap_param_info_t& info, double value, uint32_t capacity, std::string& text)
{
    noteStep("value_to_text of " + nameOf(info) + " at " + numberText(value) + " into " + std::to_string(capacity) +
             " bytes");
    GuardedText buffer(capacity);
    if (!rig.params().value_to_text(rig.plugin(), info.id, value, buffer.data(), capacity))
        return false;
    text = buffer.checked("value_to_text of " + nameOf(info) + " at " + numberText(value));
    return true;
}

const char* const kGarbageTexts[] = {"",     " ",        "abc",   "nan",     "-nan",  "inf",    "-inf", "1e999",
                                     "-1e999", "1e-999", "99999999999999999999999", "0x7fffffff", "--1",
                                     "1.2.3", "\xff\xfe\xfd", "%s%s%n", "50 %", "-0", "C#-1", "\t\n"};

void checkGarbage(ClapRig& rig, const clap_param_info_t& info)
{
    std::vector<std::string> texts(std::begin(kGarbageTexts), std::end(kGarbageTexts));
    texts.push_back(std::string(5000, '7'));
    texts.push_back(std::string(5000, 'x'));
    for (const std::string& garbage : texts) {
        noteStep("text_to_value of " + nameOf(info) + " with '" + garbage.substr(0, 40) + "'");
        double v = 0;
        if (rig.params().text_to_value(rig.plugin(), info.id, garbage.c_str(), &v))
            require(inRange(info, v), "text_to_value of " + nameOf(info) + " turns '" + garbage.substr(0, 40) +
                                          "' into " + numberText(v) + ", outside its range");
    }
}

// value -> text -> value -> text must give the same text twice; a plug-in that reads any of
// its own texts back must read them all.
void roundTrip(ClapRig& rig, const clap_param_info_t& info, const std::vector<double>& values)
{
    std::string refused;
    bool parsedAny = false;
    for (double value : values) {
        std::string first, second;
        if (!textOf(rig, info, value, CLAP_NAME_SIZE, first))
            continue;
        double back = 0;
        noteStep("text_to_value of " + nameOf(info) + " with its own '" + first + "'");
        if (!rig.params().text_to_value(rig.plugin(), info.id, first.c_str(), &back)) {
            refused = first;
            continue;
        }
        parsedAny = true;
        require(inRange(info, back), nameOf(info) + " reads its own text '" + first + "' as " + numberText(back) +
                                         ", outside its range");
        require(textOf(rig, info, back, CLAP_NAME_SIZE, second),
                nameOf(info) + " has no text for " + numberText(back) + ", read from its own '" + first + "'");
        require(first == second, nameOf(info) + ": " + numberText(value) + " reads '" + first + "', which reads back as " +
                                     numberText(back) + ", which reads '" + second + "'");
    }
    require(!parsedAny || refused.empty(),
            nameOf(info) + " reads some of its texts back but refuses its own '" + refused + "'");
}

void texts(TestContext& context)
{
    ClapRig rig(context);
    for (const clap_param_info_t& info : rig.paramInfos()) {
        std::vector<double> values = {info.min_value, info.max_value, info.default_value};
        for (int k = 1; k < 8; ++k)
            values.push_back(info.min_value + (info.max_value - info.min_value) * k / 8);
        for (int i = 0; i < context.scaled(2); ++i)
            values.push_back(info.min_value + (info.max_value - info.min_value) * context.uniform(0, 1));
        for (double& v : values)
            v = snapped(info, v);
        roundTrip(rig, info, values);
        checkGarbage(rig, info);
        std::string text;
        for (uint32_t capacity : {1u, 2u, 8u})
            textOf(rig, info, info.default_value, capacity, text);
    }
}

double randomIn(TestContext& context, const clap_param_info_t& info)
{
    return snapped(info, info.min_value + (info.max_value - info.min_value) * context.uniform(0, 1));
}

void requireValues(ClapRig& rig, const std::vector<clap_param_info_t>& infos, const std::vector<double>& sent,
                   const std::string& after)
{
    for (size_t i = 0; i < infos.size(); ++i) {
        const double v = rig.paramValue(infos[i].id);
        const double tolerance = 1e-6 * std::max(1.0, infos[i].max_value - infos[i].min_value);
        require(std::fabs(v - sent[i]) <= tolerance, nameOf(infos[i]) + " reads " + numberText(v) + " after " + after +
                                                         " set it to " + numberText(sent[i]));
    }
}

void valuesReadBack(TestContext& context)
{
    ClapRig rig(context);
    const std::vector<clap_param_info_t> infos = rig.paramInfos();
    const int block = 256;
    rig.activate(48000, block);
    std::vector<double> sent;
    noteStep("a PARAM_VALUE event for every parameter in one block");
    for (size_t i = 0; i < infos.size(); ++i) {
        const uint32_t time = uint32_t(i * block / infos.size());
        // An earlier event for the same parameter in the block must not win over the later one.
        rig.setParam(time, infos[i].id, randomIn(context, infos[i]));
        sent.push_back(randomIn(context, infos[i]));
        rig.setParam(time, infos[i].id, sent.back());
    }
    rig.process(block);
    requireValues(rig, infos, sent, "a PARAM_VALUE event in process");
    noteStep("a PARAM_VALUE event for every parameter through a flush");
    rig.deactivate();
    for (size_t i = 0; i < infos.size(); ++i) {
        sent[i] = randomIn(context, infos[i]);
        rig.setParam(0, infos[i].id, sent[i]);
    }
    rig.host().flushParameters();
    requireValues(rig, infos, sent, "a flush");
    rig.activate(48000, block);
    rig.process(block);
    requireValues(rig, infos, sent, "reactivation following a flush, which");
}

double fuzzValue(TestContext& context, const clap_param_info_t& info)
{
    const double range = info.max_value - info.min_value;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double wild[] = {info.min_value - 1, info.max_value + 1, -1e300, 1e300, nan, inf, -inf, 1e-310, -0.0,
                           info.min_value - 1000 * range};
    switch (context.between(0, 9)) {
    case 0:
        return info.min_value;
    case 1:
        return info.max_value;
    case 2:
    case 3:
        return wild[context.between(0, 9)];
    default:
        return randomIn(context, info);
    }
}

void fuzz(TestContext& context)
{
    ClapRig rig(context);
    const std::vector<clap_param_info_t> infos = rig.paramInfos();
    rig.checkClip = false; // random settings may be loud; they must still be finite
    const int largest = 1024;
    rig.activate(48000, largest);
    for (int block = 0; block < context.scaled(300); ++block) {
        const int frames = context.between(1, largest);
        if (block % 6 == 0)
            rig.note(CLAP_EVENT_NOTE_ON, 0, context.between(24, 96), 0, block);
        if (block % 6 == 3)
            rig.note(CLAP_EVENT_NOTE_OFF, 0, -1, -1, block - 3);
        std::vector<uint32_t> times(size_t(context.between(0, 12)));
        for (uint32_t& t : times)
            t = uint32_t(context.between(0, frames - 1));
        std::sort(times.begin(), times.end());
        std::string events;
        for (uint32_t t : times) {
            const clap_param_info_t& info = infos[size_t(context.between(0, int(infos.size()) - 1))];
            const double v = fuzzValue(context, info);
            rig.setParam(t, info.id, v);
            events.append(" ").append(std::to_string(info.id)).append("=").append(numberText(v));
            events.append("@").append(std::to_string(t));
        }
        noteStep("block " + std::to_string(block) + " of " + std::to_string(frames) + " frames, events" + events);
        try {
            rig.process(frames);
        } catch (const TestFailure& failure) {
            fail(std::string(failure.what()) + ", in a block with the parameter events" + events);
        }
    }
    // Hosts store what they read: a value that is not a number must never be kept.
    for (const clap_param_info_t& info : infos) {
        const double v = rig.paramValue(info.id);
        require(std::isfinite(v), nameOf(info) + " reads " + numberText(v) + " after random events");
    }
    // Whatever the plug-in kept must still be a state it can save and read back.
    if (rig.host().extension<clap_plugin_state_t>(CLAP_EXT_STATE)) {
        noteStep("the state after random events, loaded into a fresh instance");
        ClapRig fresh(context);
        try {
            require(fresh.host().loadState(rig.host().saveState()),
                    "a fresh instance refuses the state saved after random parameter events");
        } catch (const HostError& error) {
            fail(std::string(error.what()) + " after random parameter events");
        }
    }
}

} // namespace clap_parameter
} // namespace

void addClapParameterTests(TestList& tests)
{
    using namespace clap_parameter;
    tests.push_back({"parameters", "info: ids, ranges, names, unknown ids", paramInfo});
    tests.push_back({"parameters", "texts both ways, garbage texts, small buffers", texts});
    tests.push_back({"parameters", "values read back after events in process and a flush", valuesReadBack});
}

void addClapFuzzTests(TestList& tests)
{
    using namespace clap_parameter;
    tests.push_back({"fuzz", "random parameter events, in range, extreme and non-finite", fuzz});
}
