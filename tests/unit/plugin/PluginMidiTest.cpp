// Host event lists through the plug-in into the engine: timing, malformed lists, skipped blocks,
// and rendering while another thread resets the engine.
#include "PluginEventTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <thread>

namespace {

std::unique_ptr<TestPlugin> makePlugin()
{
    auto plugin = std::make_unique<TestPlugin>();
    plugin->programStore().current().set(Param::Poly, 1.0f);
    return plugin;
}

void renderBlock(Plugin& plugin, int frames, std::vector<float>& left, std::vector<float>& right)
{
    left.assign(size_t(frames), 99.0f);
    right.assign(size_t(frames), 99.0f);
    float* outputs[2] = {left.data(), right.data()};
    plugin.processReplacing(nullptr, outputs, frames);
}

} // namespace

TEST(PluginMidi, NoteAtFrameSeventeenReachesTheEngineAtFrameSeventeen)
{
    auto p = makePlugin();
    HostEventList events;
    events.add(17, 0x90, 60, 100);
    events.add(40, 0x80, 60, 0);
    EXPECT_EQ(p->processEvents(events.list()), 1);
    for (int i = 0; i < 64; ++i) {
        float left = 0.0f, right = 0.0f;
        p->engine().renderFrames(&left, &right, 64, i, 1);
        EXPECT_EQ(p->engine().isSounding(0), i >= 17) << "frame " << i;
        EXPECT_EQ(p->engine().heldNotes().size(), i >= 17 && i < 40 ? 1u : 0u) << "frame " << i;
    }
}

TEST(PluginMidi, MalformedListsAreHandledWithoutHarm)
{
    auto p = makePlugin();
    EXPECT_EQ(p->processEvents(nullptr), 1);
    HostEventList none;
    EXPECT_EQ(p->processEvents(none.list()), 1);

    HostEventList negative;
    negative.add(0, 0x90, 60, 100);
    VstEvents* list = negative.list();
    list->numEvents = -5;
    EXPECT_EQ(p->processEvents(list), 1);
    EXPECT_TRUE(p->engine().eventQueue.empty());

    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.dumpBytes = 100000; // with no dump behind it
    VstEvent unknown{};
    unknown.type = 99;
    unknown.data[8] = char(0x90); // would read as a note-on if the type were ignored

    HostEventList odd;
    odd.addRaw(nullptr);
    odd.addRaw(reinterpret_cast<VstEvent*>(&sysex));
    odd.addRaw(&unknown);
    odd.add(3, 0x90, 61, 100).byteSize = 24; // hosts disagree on the size; the event still counts
    odd.add(4, 0x90, 62, 100).byteSize = 0;
    odd.add(5, 0x90, 0xFF, 0xFF).byteSize = -1;
    odd.add(6, 0xF7);
    EXPECT_EQ(p->processEvents(odd.list()), 1);
    ASSERT_EQ(p->engine().eventQueue.size(), 3u);
    EXPECT_EQ(p->engine().eventQueue[0].data1, 61);
    EXPECT_EQ(p->engine().eventQueue[1].data1, 62);
    EXPECT_EQ(p->engine().eventQueue[2].data1, 127);
    EXPECT_EQ(p->engine().eventQueue[2].data2, 127);

    std::vector<float> left, right;
    renderBlock(*p, 8, left, right);
    EXPECT_EQ(p->engine().heldNotes().size(), 3u);
    EXPECT_TRUE(p->engine().eventQueue.empty());
}

TEST(PluginMidi, ABlockWithoutOutputBuffersStillPlaysItsEventsOnTime)
{
    auto p = makePlugin();
    for (int block = 0; block < 3; ++block) {
        HostEventList events;
        events.add(10, 0x90, 60 + block, 100);
        p->processEvents(events.list());
        p->processReplacing(nullptr, nullptr, 64);
        ASSERT_EQ(p->engine().heldNotes().size(), size_t(block + 1)) << "block " << block;
        EXPECT_EQ(p->engine().heldNotes().back().note, 60 + block);
    }
    std::vector<float> left, right;
    renderBlock(*p, 64, left, right);
    EXPECT_EQ(p->engine().heldNotes().size(), 3u) << "nothing replayed from the blocks without buffers";
}

// The program number moves under the render lock, so no block renders the new program's values
// on the old program's voices before the reset.
TEST(PluginMidi, AProgramChangeWaitsForTheRenderLockBeforeSwitching)
{
    auto p = makePlugin();
    std::thread changer;
    {
        std::lock_guard<std::mutex> rendering(p->engineLock);
        changer = std::thread([&] { p->setProgram(5); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(p->programStore().currentNumber(), 0);
        EXPECT_EQ(p->getProgram(), 0);
    }
    changer.join();
    EXPECT_EQ(p->programStore().currentNumber(), 5);
    EXPECT_EQ(p->getProgram(), 5);
}

TEST(PluginMidi, ABlockSkippedForAResetPlaysItsEventsInTheNextBlock)
{
    auto p = makePlugin();
    std::mutex gate;
    std::condition_variable changed;
    int phase = 0;
    // Another thread holds the render lock, as a program change from the user interface does.
    std::thread resetter([&] {
        std::lock_guard<std::mutex> engineHeld(p->engineLock);
        std::unique_lock<std::mutex> lock(gate);
        phase = 1;
        changed.notify_all();
        changed.wait(lock, [&] { return phase == 2; });
    });
    {
        std::unique_lock<std::mutex> lock(gate);
        changed.wait(lock, [&] { return phase == 1; });
    }

    HostEventList events;
    events.add(10, 0x90, 60, 100);
    events.add(70, 0x90, 61, 100); // beyond the block: dropped as it would have been anyway
    p->processEvents(events.list());
    std::vector<float> left, right;
    renderBlock(*p, 64, left, right);
    for (int i = 0; i < 64; ++i)
        ASSERT_TRUE(left[size_t(i)] == 0.0f && right[size_t(i)] == 0.0f) << "frame " << i;
    EXPECT_TRUE(p->engine().heldNotes().empty());

    {
        std::lock_guard<std::mutex> lock(gate);
        phase = 2;
    }
    changed.notify_all();
    resetter.join();

    HostEventList next;
    next.add(5, 0x90, 64, 100);
    p->processEvents(next.list());
    float l0 = 0.0f, r0 = 0.0f;
    p->engine().renderFrames(&l0, &r0, 64, 0, 1);
    ASSERT_EQ(p->engine().heldNotes().size(), 1u) << "the skipped block's note comes first, at frame 0";
    EXPECT_EQ(p->engine().heldNotes()[0].note, 60);
    p->engine().clearEventQueue();

    // Once a block has rendered, nothing of the skipped one is left to replay.
    HostEventList release;
    release.add(0, 0x80, 60, 0);
    p->processEvents(release.list());
    renderBlock(*p, 64, left, right);
    renderBlock(*p, 64, left, right);
    EXPECT_TRUE(p->engine().heldNotes().empty());
}

TEST(PluginMidi, ResetsFromTheHostSilenceTheEngine)
{
    auto p = makePlugin();
    HostEventList events;
    events.add(0, 0x90, 60, 100);
    events.add(0, 0xE0, 0, 0);
    p->processEvents(events.list());
    std::vector<float> left, right;
    renderBlock(*p, 16, left, right);
    ASSERT_TRUE(p->engine().isSounding(0));
    EXPECT_EQ(p->engine().controllers.pitchBend, -1.0f);

    p->suspend();
    EXPECT_FALSE(p->engine().isSounding(0));
    EXPECT_EQ(p->engine().controllers.pitchBend, 0.0f);

    p->processEvents(events.list());
    renderBlock(*p, 16, left, right);
    p->setProgram(3);
    EXPECT_FALSE(p->engine().isSounding(0));
    EXPECT_TRUE(p->engine().heldNotes().empty());

    p->processEvents(events.list());
    renderBlock(*p, 16, left, right);
    p->setSampleRate(96000.0f);
    EXPECT_FALSE(p->engine().isSounding(0));
    EXPECT_EQ(p->engine().voice(0).sampleRate, 96000.0f);
}

// Run under ThreadSanitizer too: the render thread plays notes while the user-interface thread
// selects programs, changes the sample rate and suspends and resumes.
TEST(EngineConcurrency, RenderingWhileAnotherThreadResetsTheEngine)
{
    auto p = makePlugin();
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<bool> badSample{false};

    std::thread audio([&] {
        HostEventList events;
        std::vector<float> left, right;
        int note = 0;
        while (!stop.load()) {
            events = HostEventList();
            for (int i = 0; i < 8; ++i) {
                events.add(i * 8, 0x90, 36 + (note + i) % 48, 100);
                events.add(i * 8 + 4, 0x80, 36 + (note + i + 40) % 48, 0);
            }
            events.add(30, 0xB0, 64, (note & 1) ? 127 : 0);
            events.add(31, 0xE0, note & 0x7F, 0x40);
            ++note;
            p->processEvents(events.list());
            renderBlock(*p, 64, left, right);
            for (float x : left)
                if (!std::isfinite(x))
                    badSample = true;
            blocks.fetch_add(1);
        }
    });

    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int round = 0;
    while (std::chrono::steady_clock::now() < until) {
        p->setProgram(round % 100);
        p->setSampleRate(round % 2 ? 48000.0f : 44100.0f);
        p->suspend();
        p->resume();
        p->setParameter(Param::Poly, float(round % 3) * 0.5f);
        p->setParameter(Param::OscRoute, float(round % 5) * 0.2f);
        // What the editor's idle tick reads.
        if (p->engine().soundingVoices() == 0xFFFFFFFFu && !p->engine().anyNoteHeld())
            ++round;
        ++round;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    stop = true;
    audio.join();

    EXPECT_GT(blocks.load(), 10);
    EXPECT_FALSE(badSample.load());
    p->suspend();
    EXPECT_TRUE(p->engine().heldNotes().empty());
    for (int i = 0; i < kNumVoices; ++i)
        EXPECT_FALSE(p->engine().isSounding(i));
}
