// MIDI decoding, sample-accurate dispatch, the sustain pedal, controllers and MIDI learn.
#include "EngineTestSupport.h"

#include <string>
#include <vector>

namespace {

MidiInputEvent ev(int frame, int status, int data1 = 0, int data2 = 0)
{
    MidiInputEvent e;
    e.deltaFrames = frame;
    e.status = uint8_t(status);
    e.data1 = uint8_t(data1);
    e.data2 = uint8_t(data2);
    return e;
}

// Records what the decoded messages ask for, with the frame at which they ask.
class RecordingProcessor : public MidiProcessor {
public:
    void processNote(const MidiMessage& m) override
    {
        note(std::string(m.kind == MidiNoteOn && m.data2 > 0 ? "on " : "off ") + std::to_string(m.data1));
    }
    void allNotesOff() override { note("all off"); }
    void learnController(int c) override { learned.push_back(c); }
    void processController(int c, float v) override
    {
        note("cc " + std::to_string(c) + "=" + std::to_string(int(v * 127.0f + 0.5f)));
    }

    void queue(std::vector<MidiInputEvent> events) { queueEvents(events); }
    void play(int frames)
    {
        for (frame = 0; frame < frames; ++frame)
            dispatchEvents(frame);
        clearEventQueue();
    }

    std::vector<std::string> log;
    std::vector<int> learned;
    int frame = 0;

private:
    void note(const std::string& what) { log.push_back(std::to_string(frame) + ": " + what); }
};

using Log = std::vector<std::string>;

} // namespace

TEST(MidiDispatch, EventsApplyAtTheirFrameInHostOrder)
{
    RecordingProcessor p;
    p.queue(
        {ev(17, 0x90, 60, 100), ev(40, 0x80, 60, 0), ev(40, 0x90, 62, 90), ev(40, 0x90, 60, 0), ev(63, 0xB0, 7, 127)});
    p.play(64);
    EXPECT_EQ(p.log, (Log{"17: on 60", "40: off 60", "40: on 62", "40: off 60", "63: cc 7=127"}));
}

TEST(MidiDispatch, UnsortedListsStillApplyEachEventAtItsFrame)
{
    RecordingProcessor p;
    p.queue({ev(30, 0x90, 64, 1), ev(3, 0x90, 60, 1), ev(30, 0x90, 65, 1), ev(3, 0x80, 60, 0)});
    p.play(64);
    EXPECT_EQ(p.log, (Log{"3: on 60", "3: off 60", "30: on 64", "30: on 65"}));
}

TEST(MidiDispatch, EventsOutsideTheBlockAreDropped)
{
    RecordingProcessor p;
    p.queue({ev(-1, 0x90, 60, 1), ev(64, 0x90, 61, 1), ev(1 << 30, 0x90, 62, 1), ev(0, 0x90, 63, 1)});
    p.play(64);
    p.play(64); // nothing survives into the next block
    EXPECT_EQ(p.log, (Log{"0: on 63"}));
}

TEST(MidiDispatch, TwoEventListsBeforeOneBlockAreBothPlayed)
{
    RecordingProcessor p;
    p.queue({ev(10, 0x90, 60, 1)});
    p.queue({ev(5, 0x80, 59, 0)});
    p.play(32);
    EXPECT_EQ(p.log, (Log{"5: off 59", "10: on 60"}));
}

TEST(MidiDecoding, StatusBytesBecomeTheirMessagesAndTheRestIsIgnored)
{
    RecordingProcessor p;
    p.queue({
        ev(0, 0xC5, 10),         // program change: ignored
        ev(0, 0xF0, 0x7E, 0x7F), // system: ignored
        ev(0, 0xF8),             // clock: ignored
        ev(0, 0x45, 60, 100),    // a data byte in the status place: ignored
        ev(1, 0x9F, 0xBC, 0xFF), // data bytes are masked to 7 bits
        ev(2, 0xAF, 0xC0, 0xC0), // key pressure on note 64
        ev(3, 0xD3, 0x7F),       // channel pressure
        ev(4, 0xE0, 0x00, 0x40), // pitch bend centre
    });
    EXPECT_EQ(p.eventQueue.size(), 4u);
    EXPECT_EQ(p.eventQueue[0].channel, 15);
    EXPECT_EQ(p.eventQueue[0].data1, 0x3C);
    EXPECT_EQ(p.eventQueue[0].data2, 0x7F);
    p.play(8);
    EXPECT_EQ(p.log, (Log{"1: on 60"}));
    EXPECT_FLOAT_EQ(p.controllers.keyPressure[64], 64.0f / 127.0f);
    EXPECT_EQ(p.controllers.channelPressure, 1.0f);
    EXPECT_EQ(p.controllers.pitchBend, 0.0f);
}

TEST(MidiDecoding, PitchBendExtremes)
{
    RecordingProcessor p;
    p.queue({ev(0, 0xE0, 0x7F, 0x7F)});
    p.play(1);
    EXPECT_EQ(p.controllers.pitchBend, 8191.0f / 8192.0f);
    p.queue({ev(0, 0xE0, 0x00, 0x00)});
    p.play(1);
    EXPECT_EQ(p.controllers.pitchBend, -1.0f);
    p.queue({ev(0, 0xE0, 0x00, 0x40)});
    p.play(1);
    EXPECT_EQ(p.controllers.pitchBend, 0.0f);
}

TEST(MidiDecoding, ControllerNumbersSortIntoWheelPedalMapAndModeMessages)
{
    RecordingProcessor p;
    p.queue({ev(0, 0xB0, 1, 127), ev(1, 0xB0, 64, 127), ev(2, 0xB0, 119, 5), ev(3, 0xB0, 120, 0), ev(4, 0xB0, 121, 0),
             ev(5, 0xB0, 122, 0), ev(6, 0xB0, 123, 0), ev(7, 0xB0, 127, 0)});
    // The wheel and the pedal also reach the map, learning runs as the list arrives.
    EXPECT_EQ(p.learned, (std::vector<int>{1, 64, 119}));
    EXPECT_TRUE(p.log.empty());
    p.play(8);
    EXPECT_EQ(p.log, (Log{"0: cc 1=127", "1: cc 64=127", "2: cc 119=5", "6: all off", "7: all off"}));
    EXPECT_EQ(p.controllers.modWheel, 1.0f);
    EXPECT_TRUE(p.sustain);
}

TEST(SustainPedal, HoldsNoteOffsUntilTheFrameAfterPedalUp)
{
    RecordingProcessor p;
    p.queue({ev(0, 0xB0, 64, 127), ev(1, 0x90, 60, 100), ev(2, 0x80, 60, 0), ev(3, 0x90, 62, 0), ev(9, 0xB0, 64, 63),
             ev(20, 0x80, 64, 0)});
    p.play(32);
    EXPECT_EQ(p.log, (Log{"0: cc 64=127", "1: on 60", "9: cc 64=63", "10: off 60", "10: off 62", "20: off 64"}));
    EXPECT_FALSE(p.sustain);
    EXPECT_TRUE(p.deferredNoteOffs.empty());
}

TEST(SustainPedal, ReleaseOnTheLastFrameLandsOnFrameZeroOfTheNextBlock)
{
    RecordingProcessor p;
    p.queue({ev(0, 0xB0, 64, 64), ev(5, 0x80, 60, 0), ev(63, 0xB0, 64, 0)});
    p.play(64);
    EXPECT_EQ(p.deferredNoteOffs.size(), 1u);
    p.log.clear();
    p.play(64); // no events for this block at all
    EXPECT_EQ(p.log, (Log{"0: off 60"}));
}

TEST(SustainPedal, HeldNoteOffsComeAfterTheFramesOwnEventsAndSurviveBlocks)
{
    RecordingProcessor p;
    p.queue({ev(0, 0xB0, 64, 127), ev(1, 0x80, 60, 0)});
    p.play(16);
    p.play(16);
    EXPECT_EQ(p.deferredNoteOffs.size(), 1u);
    p.queue({ev(3, 0xB0, 64, 0), ev(4, 0x90, 61, 90)});
    p.log.clear();
    p.play(16);
    EXPECT_EQ(p.log, (Log{"3: cc 64=0", "4: on 61", "4: off 60"}));
}

TEST(SustainPedal, PedalDownAgainAtTheReleaseFrameKeepsHolding)
{
    RecordingProcessor p;
    p.queue({ev(0, 0xB0, 64, 127), ev(1, 0x80, 60, 0), ev(5, 0xB0, 64, 0), ev(6, 0xB0, 64, 127)});
    p.play(16);
    EXPECT_EQ(p.deferredNoteOffs.size(), 1u) << "the note-off is deferred again, not lost";
}

TEST(SkippedBlock, ItsEventsPlayAtTheStartOfTheNextRenderedBlock)
{
    RecordingProcessor p;
    p.queue({ev(-3, 0x90, 59, 1), ev(10, 0x90, 60, 1), ev(40, 0x80, 60, 0), ev(64, 0x90, 61, 1)});
    p.carryOverSkippedBlock(64);
    p.queue({ev(20, 0x90, 62, 1)}); // the next block's own events keep their frames
    p.carryOverSkippedBlock(32);    // and that block is skipped too
    p.queue({ev(5, 0x90, 63, 1)});
    p.play(16);
    EXPECT_EQ(p.log, (Log{"0: on 60", "0: off 60", "0: on 62", "5: on 63"}));
}

TEST(SkippedBlock, EmptyBlocksAndEmptyQueuesAreHarmless)
{
    RecordingProcessor p;
    p.carryOverSkippedBlock(0);
    p.queue({ev(0, 0x90, 60, 1)});
    p.carryOverSkippedBlock(0); // a zero-length block applies nothing
    p.play(4);
    EXPECT_TRUE(p.log.empty());
}

TEST(MidiQueues, SteadyPlayingKeepsTheQueueStorage)
{
    RecordingProcessor p;
    std::vector<MidiInputEvent> events;
    for (int i = 0; i < 200; ++i)
        events.push_back(ev(i % 64, i % 2 ? 0x80 : 0x90, 60 + i % 12, 90));
    p.queue(events);
    p.play(64);
    const MidiMessage* storage = p.eventQueue.data();
    const size_t capacity = p.eventQueue.capacity();
    for (int block = 0; block < 50; ++block) {
        p.queue(events);
        p.play(64);
    }
    EXPECT_EQ(p.eventQueue.data(), storage);
    EXPECT_EQ(p.eventQueue.capacity(), capacity);
}

// Through the engine: notes, learn and the controller map.

TEST_F(EngineTest, NoteAtFrameSeventeenStartsItsVoiceAtFrameSeventeen)
{
    const MidiInputEvent on = ev(17, 0x90, 60, 100);
    engine.queueEvents({&on, 1});
    for (int i = 0; i < 64; ++i) {
        float left = 0.0f, right = 0.0f;
        engine.renderFrames(&left, &right, 64, i, 1);
        EXPECT_EQ(engine.isSounding(0), i >= 17) << "frame " << i;
        EXPECT_EQ(engine.heldNotes().size(), i >= 17 ? 1u : 0u) << "frame " << i;
    }
    engine.clearEventQueue();
}

TEST_F(EngineTest, ControlChange123ReleasesAllAnd120To122DoNothing)
{
    noteOn(60);
    noteOn(64);
    const MidiInputEvent modes[] = {ev(0, 0xB0, 120, 0), ev(0, 0xB0, 121, 0), ev(0, 0xB0, 122, 0)};
    engine.queueEvents(modes);
    renderBlock(4);
    EXPECT_EQ(engine.heldNotes().size(), 2u);
    EXPECT_EQ(stage(0), EnvAttack);
    const MidiInputEvent allOff = ev(2, 0xB7, 123, 0);
    engine.queueEvents({&allOff, 1});
    renderBlock(4);
    EXPECT_TRUE(engine.heldNotes().empty());
    EXPECT_EQ(stage(0), EnvRelease);
    EXPECT_EQ(stage(1), EnvRelease);
    EXPECT_TRUE(writer.writes.empty());
}

TEST_F(EngineTest, LearningRebindsTheSelectedParameterToTheLastControllerMoved)
{
    midiMap.learnActive = true;
    midiMap.learnParameter = Param::FltCut;
    const MidiInputEvent first = ev(5, 0xB0, 74, 64);
    engine.queueEvents({&first, 1});
    EXPECT_EQ(midiMap.ccMap[74].load(), Param::FltCut) << "bound when the list arrives";
    renderBlock(8);
    const MidiInputEvent second = ev(5, 0xB0, 20, 127);
    engine.queueEvents({&second, 1});
    EXPECT_EQ(midiMap.ccMap[20].load(), Param::FltCut);
    EXPECT_EQ(midiMap.ccMap[74].load(), -1);
    renderBlock(8);
    ASSERT_EQ(writer.writes.size(), 2u);
    EXPECT_EQ(writer.writes[0], std::make_pair(int(Param::FltCut), 64.0f / 127.0f));
    EXPECT_EQ(writer.writes[1], std::make_pair(int(Param::FltCut), 1.0f));

    midiMap.learnActive = false;
    const MidiInputEvent third = ev(0, 0xB0, 30, 1);
    engine.queueEvents({&third, 1});
    EXPECT_EQ(midiMap.ccMap[30].load(), -1);
    renderBlock(1);
}

TEST_F(EngineTest, LearningIgnoresASelectionThatIsNoParameter)
{
    midiMap.learnActive = true;
    midiMap.learnParameter = 1001; // an editor command
    const MidiInputEvent cc = ev(0, 0xB0, 74, 64);
    engine.queueEvents({&cc, 1});
    EXPECT_EQ(midiMap.ccMap[74].load(), -1);
    renderBlock(1);
    EXPECT_TRUE(writer.writes.empty());
}

TEST_F(EngineTest, ModWheelAlsoFeedsModCcSourceAndItsMapping)
{
    midiMap.modCcNumber[1] = 1;
    midiMap.ccMap[1] = Param::Volume;
    const MidiInputEvent wheel = ev(0, 0xB0, 1, 127);
    engine.queueEvents({&wheel, 1});
    renderBlock(1);
    EXPECT_EQ(engine.controllers.modWheel, 1.0f);
    EXPECT_EQ(engine.controllers.modCcValue[1], 1.0f);
    EXPECT_EQ(engine.controllers.modCcValue[0], 0.0f);
    ASSERT_EQ(writer.writes.size(), 1u);
    EXPECT_EQ(writer.writes[0], std::make_pair(int(Param::Volume), 1.0f));
}

TEST_F(EngineTest, CorruptMapEntriesNeverReachThePlugin)
{
    midiMap.ccMap[7] = 1050; // would be an editor command
    midiMap.ccMap[8] = -7;
    const MidiInputEvent ccs[] = {ev(0, 0xB0, 7, 10), ev(0, 0xB0, 8, 10)};
    engine.queueEvents(ccs);
    renderBlock(1);
    EXPECT_TRUE(writer.writes.empty());
}

TEST_F(EngineTest, SustainedNoteKeepsItsVoiceUntilThePedalLifts)
{
    const MidiInputEvent events[] = {ev(0, 0xB0, 64, 127), ev(1, 0x90, 60, 100), ev(2, 0x80, 60, 0),
                                     ev(30, 0xB0, 64, 0)};
    engine.queueEvents(events);
    for (int i = 0; i < 64; ++i) {
        float left = 0.0f, right = 0.0f;
        engine.renderFrames(&left, &right, 64, i, 1);
        if (i >= 1) {
            EXPECT_EQ(stage(0), i <= 30 ? EnvAttack : EnvRelease) << "frame " << i;
        }
    }
    engine.clearEventQueue();
    EXPECT_TRUE(engine.heldNotes().empty());
}

TEST_F(EngineTest, NoteOffWithReleaseVelocityReleasesTheNote)
{
    // Keyboards send note-off with a release velocity (often 64), on any channel.
    const MidiInputEvent events[] = {ev(0, 0x90, 57, 100), ev(0, 0x92, 60, 90), ev(5, 0x80, 57, 64),
                                     ev(6, 0x82, 60, 127)};
    engine.queueEvents(events);
    renderBlock(16);
    EXPECT_TRUE(engine.heldNotes().empty());
    EXPECT_EQ(stage(0), EnvRelease);
    EXPECT_EQ(stage(1), EnvRelease);
    // The key can be played again at once.
    const MidiInputEvent again = ev(0, 0x90, 57, 100);
    engine.queueEvents({&again, 1});
    renderBlock(4);
    EXPECT_EQ(engine.heldNotes().size(), 1u);
}
