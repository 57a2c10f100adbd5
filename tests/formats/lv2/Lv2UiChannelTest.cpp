// The LV2 editor reaches the plug-in only through the host: port writes for values and patch
// messages on the event port for the program. What the editor changes goes out once; what the
// host tells it comes back as no write at all. Runs on a virtual display.
#include "formats/lv2/Lv2Messages.h"
#include "formats/lv2/Lv2PortValues.h"
#include "formats/lv2/Lv2Ui.h"
#include "params/CommandTags.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Last, and without the macros that would hide our names.
#include <X11/Xlib.h>
#undef None
#undef Bool

namespace {

struct Write {
    uint32_t port;
    uint32_t format;
    std::vector<uint8_t> bytes;
};

struct Recorder {
    std::vector<Write> writes;
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle self, const char* uri) {
                         auto& known = static_cast<Recorder*>(self)->ids;
                         return known.emplace(uri, LV2_URID(known.size() + 1)).first->second;
                     }};

    static void record(LV2UI_Controller self, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
    {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        static_cast<Recorder*>(self)->writes.push_back({port, format, {bytes, bytes + size}});
    }

    std::vector<Lv2PatchMessage> messages()
    {
        const Lv2Urids uris(map);
        std::vector<Lv2PatchMessage> found;
        for (const Write& write : writes)
            if (write.port == lv2port::kEvents && write.format == uris.atomEventTransfer)
                found.push_back(readPatchMessage(uris, reinterpret_cast<const LV2_Atom*>(write.bytes.data())));
        return found;
    }

    int portWrites(uint32_t port) const
    {
        int n = 0;
        for (const Write& write : writes)
            n += write.port == port && write.format == 0;
        return n;
    }
};

// The factory bank in the data folder, so neighbouring programs differ.
void installFactoryBank()
{
    namespace fs = std::filesystem;
    const fs::path presets = fs::path(std::getenv("XDG_DATA_HOME")) / "Hollowfen Software" / "Morvelline" / "Presets";
    fs::create_directories(presets);
    fs::copy_file(MORVELLINE_FACTORY_BANK, presets / "Default.hfb", fs::copy_options::overwrite_existing);
}

TEST(Lv2UiChannel, EditorChangesGoOutOnceAndHostChangesDoNotEcho)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        GTEST_SKIP() << "no X display";
    installFactoryBank();
    const ::Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 900, 700, 0, 0, 0);
    XFlush(display);

    Recorder recorder;
    {
        Lv2Ui ui(Recorder::record, &recorder, recorder.map);
        // A host sends every port's value before the UI shows.
        for (uint32_t port = 0; port < uint32_t(kNumParams); ++port) {
            float value = 0.0f;
            lv2PortFromValue(int(port), kParamTable[port].defaultValue, value);
            ui.portEvent(port, sizeof value, 0, &value);
        }
        ASSERT_TRUE(ui.open(reinterpret_cast<void*>(parent), nullptr, nullptr));
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_EQ(recorder.messages()[0].kind, Lv2PatchMessage::Get); // asks for name and number
        recorder.writes.clear();

        const float hostCutoff = 0.25f;
        ui.portEvent(Param::FltCut, sizeof hostCutoff, 0, &hostCutoff);
        ui.editorCommand(CommandTag::None, 0.0f);
        EXPECT_TRUE(recorder.writes.empty()) << "the host's own change came back, or the UI sent its guess of the name";

        ui.editParameter(Param::FltCut, 0.75f);
        EXPECT_EQ(recorder.portWrites(Param::FltCut), 1);

        recorder.writes.clear();
        ui.editorCommand(CommandTag::NextProgram, 1.0f);
        EXPECT_GT(recorder.portWrites(Param::FltCut) + recorder.portWrites(Param::Osc1Wave), 0);
        bool toldNumber = false, toldName = false;
        for (const Lv2PatchMessage& message : recorder.messages()) {
            toldNumber |= message.kind == Lv2PatchMessage::Number && message.number == 1;
            toldName |= message.kind == Lv2PatchMessage::Name && message.nameLength > 0;
        }
        EXPECT_TRUE(toldNumber && toldName) << "the plug-in must hear of program 2 and its name";
    }
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}

} // namespace

namespace {

// What the plug-in's notify port says of the voices reads back the same in the UI; a cut-off
// message reads as nothing.
TEST(Lv2UiChannel, VoiceActivityReadsBackAsSent)
{
    Recorder recorder;
    const Lv2Urids uris(recorder.map);
    for (const auto& [sounding, keyHeld] : std::vector<std::pair<uint32_t, bool>>{{0x80000005u, true}, {0, false}}) {
        std::vector<uint8_t> buffer(256);
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, &recorder.map);
        lv2_atom_forge_set_buffer(&forge, buffer.data(), uint32_t(buffer.size()));
        LV2_Atom_Forge_Frame sequence;
        ASSERT_TRUE(lv2_atom_forge_sequence_head(&forge, &sequence, 0));
        ASSERT_TRUE(forgeVoiceActivity(forge, uris, sounding, keyHeld));
        lv2_atom_forge_pop(&forge, &sequence);
        auto* event = lv2_atom_sequence_begin(&reinterpret_cast<LV2_Atom_Sequence*>(buffer.data())->body);
        const Lv2PatchMessage message = readPatchMessage(uris, &event->body);
        EXPECT_EQ(message.kind, Lv2PatchMessage::VoiceActivity);
        EXPECT_EQ(uint32_t(message.number), sounding);
        EXPECT_EQ(message.keyHeld, keyHeld);
        event->body.size = sizeof(LV2_Atom_Object_Body) + sizeof(LV2_Atom_Property_Body) + sizeof(int32_t);
        EXPECT_EQ(readPatchMessage(uris, &event->body).kind, Lv2PatchMessage::None) << "without whether a key is held";
    }
}

} // namespace
