// The state as hosts store it with a project: it must come back byte for byte and sound for
// sound in a fresh instance, survive streams that move a byte at a time, and refuse what is
// not a state without touching the parameters.
#include "ClapRig.h"
#include "StepNote.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// Named as well: batched builds compile several test files as one unit.
namespace clap_state {

using Bytes = std::vector<uint8_t>;

// A stream over bytes that moves at most `step` bytes per call and fails (-1) once `failAt`
// bytes have moved.
struct Stream {
    Bytes bytes;
    size_t at = 0;
    size_t step = SIZE_MAX;
    size_t failAt = SIZE_MAX;

    clap_istream_t in{this, read};
    clap_ostream_t out{this, write};

    static int64_t CLAP_ABI read(const clap_istream_t* s, void* buffer, uint64_t size)
    {
        auto& self = *static_cast<Stream*>(s->ctx);
        if (self.at >= self.failAt)
            return -1;
        const size_t count = std::min({size_t(size), self.step, self.bytes.size() - self.at, self.failAt - self.at});
        if (count > 0)
            std::memcpy(buffer, self.bytes.data() + self.at, count);
        self.at += count;
        return int64_t(count);
    }
    static int64_t CLAP_ABI write(const clap_ostream_t* s, const void* buffer, uint64_t size)
    {
        auto& self = *static_cast<Stream*>(s->ctx);
        if (self.bytes.size() >= self.failAt)
            return -1;
        const size_t count = std::min({size_t(size), self.step, self.failAt - self.bytes.size()});
        const auto* from = static_cast<const uint8_t*>(buffer);
        self.bytes.insert(self.bytes.end(), from, from + count);
        return int64_t(count);
    }
};

const clap_plugin_state_t& stateOf(ClapRig& rig)
{
    const auto* state = rig.host().extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    if (!state || !state->save || !state->load)
        skip("the plug-in has no state extension");
    return *state;
}

Bytes save(ClapRig& rig, size_t step = SIZE_MAX)
{
    noteStep("saving the state" + std::string(step == SIZE_MAX ? "" : " a byte at a time"));
    Stream stream;
    stream.step = step;
    require(stateOf(rig).save(rig.plugin(), &stream.out),
            std::string("state save fails") + (step == SIZE_MAX ? "" : " into a stream that takes a byte per call"));
    return stream.bytes;
}

bool load(ClapRig& rig, const Bytes& bytes, size_t step = SIZE_MAX, size_t failAt = SIZE_MAX)
{
    Stream stream;
    stream.bytes = bytes;
    stream.step = step;
    stream.failAt = failAt;
    return stateOf(rig).load(rig.plugin(), &stream.in);
}

std::string firstDifference(const Bytes& a, const Bytes& b)
{
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return std::to_string(a.size()) + " and " + std::to_string(b.size()) + " bytes, first different at byte " +
           std::to_string(mismatch.first - a.begin());
}

void requireSameValues(ClapRig& a, ClapRig& b, const std::string& after)
{
    const std::vector<double> va = a.paramValues(), vb = b.paramValues();
    const std::vector<clap_param_info_t> infos = a.paramInfos();
    for (size_t i = 0; i < va.size() && i < vb.size(); ++i)
        require(va[i] == vb[i], "parameter " + std::to_string(infos[i].id) + " (" + infos[i].name + ") is " +
                                    numberText(vb[i]) + " after " + after + ", saved as " + numberText(va[i]));
}

void roundTrip(TestContext& context)
{
    ClapRig first(context);
    stateOf(first);
    first.randomizeParams(context);
    const Bytes saved = save(first);
    require(save(first, 1) == saved, "state save into a stream that takes a byte per call gives other bytes: " +
                                         firstDifference(saved, save(first, 1)));
    for (size_t step : {SIZE_MAX, size_t(1)}) {
        ClapRig second(context);
        const std::string how = step == 1 ? " from a stream that gives a byte per call" : "";
        noteStep("loading the state into a fresh instance" + how);
        require(load(second, saved, step), "a fresh instance refuses the state its sibling saved" + how);
        const Bytes again = save(second);
        require(again == saved, "a fresh instance that loaded a state" + how + " saves other bytes: " +
                                    firstDifference(saved, again));
        if (first.hasParams())
            requireSameValues(first, second, "loading the state" + how);
    }
    noteStep("saving into a stream that fails");
    Stream failing;
    failing.failAt = 0;
    require(!stateOf(first).save(first.plugin(), &failing.out), "state save reports success into a stream that fails");
}

// The same notes through an instance and through a fresh one that loaded its state.
std::vector<float> render(ClapRig& rig)
{
    rig.checkClip = false; // random settings may be loud; they must still be finite
    rig.activate(48000, 256);
    std::vector<float> audio;
    for (int block = 0; block < 40; ++block) {
        if (block % 10 == 0)
            rig.note(CLAP_EVENT_NOTE_ON, uint32_t(block % 7), 48 + block / 2, 0, block, 0.8);
        if (block % 10 == 7)
            rig.note(CLAP_EVENT_NOTE_OFF, 3, 48 + (block - 7) / 2, 0, block - 7, 0.5);
        rig.process(256);
        for (size_t c = 0; c < rig.channels(); ++c)
            audio.insert(audio.end(), rig.output(c).begin(), rig.output(c).begin() + 256);
    }
    return audio;
}

void stateSoundsTheSame(TestContext& context)
{
    for (int round = 0; round < context.scaled(3); ++round) {
        ClapRig first(context), second(context);
        stateOf(first);
        first.randomizeParams(context);
        noteStep("round " + std::to_string(round) + ": saving and loading random settings");
        const Bytes saved = save(first);
        require(load(second, saved), "a fresh instance refuses the state its sibling saved");
        noteStep("round " + std::to_string(round) + ": the same notes through both");
        const std::vector<float> a = render(first), b = render(second);
        for (size_t i = 0; i < a.size(); ++i)
            require(std::fabs(a[i] - b[i]) <= 1e-5f, "a fresh instance that loaded the state sounds different: sample " +
                                                         std::to_string(i) + " is " + numberText(b[i]) + ", not " +
                                                         numberText(a[i]) + " (round " + std::to_string(round) + ")");
    }
}

void invalidStates(TestContext& context)
{
    ClapRig rig(context);
    stateOf(rig);
    rig.randomizeParams(context);
    const Bytes valid = save(rig);
    const std::vector<double> before = rig.hasParams() ? rig.paramValues() : std::vector<double>{};
    struct Case {
        std::string what;
        Bytes bytes;
        size_t failAt = SIZE_MAX;
    };
    std::vector<Case> cases = {{"an empty state", {}},
                               {"one byte", {valid.empty() ? uint8_t(1) : valid[0]}},
                               {"a stream that fails at once", valid, 0},
                               {"a stream that fails half-way", valid, valid.size() / 2}};
    for (size_t keep : {valid.size() / 2, valid.size() - 1})
        if (keep > 1 && keep < valid.size())
            cases.push_back({"the state cut to " + std::to_string(keep) + " bytes", Bytes(valid.begin(), valid.begin() + long(keep))});
    for (int i = 0; i < context.scaled(3); ++i) {
        Bytes noise(valid.size() + size_t(context.between(0, 1) * 64));
        for (uint8_t& b : noise)
            b = uint8_t(context.between(0, 255));
        cases.push_back({std::to_string(noise.size()) + " random bytes", noise});
    }
    for (const Case& c : cases) {
        noteStep("loading " + c.what);
        require(!load(rig, c.bytes, SIZE_MAX, c.failAt), "state load accepts " + c.what);
        if (!before.empty() && rig.paramValues() != before) {
            const std::vector<double> after = rig.paramValues();
            const size_t i = size_t(std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin());
            fail("a refused state (" + c.what + ") changed parameter " + std::to_string(rig.paramInfos()[i].id) +
                 " from " + numberText(before[i]) + " to " + numberText(after[i]));
        }
    }
    noteStep("loading the valid state after the refused ones");
    require(load(rig, valid), "state load refuses a valid state after refusing invalid ones");
}

} // namespace clap_state
} // namespace

void addClapStateTests(TestList& tests)
{
    using namespace clap_state;
    tests.push_back({"state", "save, load into a fresh instance, save: the same bytes", roundTrip});
    tests.push_back({"state", "a loaded state sounds the same", stateSoundsTheSame});
    tests.push_back({"state", "empty, cut, random and failing states refused, parameters kept", invalidStates});
}
