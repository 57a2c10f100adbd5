#include "AudioDevice.h"

#include "formats/standalone/StandaloneInstrument.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <thread>
#include <vector>

bool nameMatches(const std::string& name, const std::string& filter)
{
    auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return text;
    };
    return filter.empty() || lower(name).find(lower(filter)) != std::string::npos;
}

namespace {

constexpr int kPollMillis = 200; // how soon the thread sees that it should end

// "client name:port name" of a sequencer port, as --list-devices shows it.
std::string portName(snd_seq_t* seq, int client, int port)
{
    snd_seq_client_info_t* clientInfo = nullptr;
    snd_seq_port_info_t* portInfo = nullptr;
    snd_seq_client_info_alloca(&clientInfo);
    snd_seq_port_info_alloca(&portInfo);
    if (snd_seq_get_any_client_info(seq, client, clientInfo) < 0 || snd_seq_get_any_port_info(seq, client, port, portInfo) < 0)
        return {};
    return std::string(snd_seq_client_info_get_name(clientInfo)) + ":" + snd_seq_port_info_get_name(portInfo);
}

// A port other programs can read MIDI from (not the system's, not a program's hidden one).
bool sendsMidi(const snd_seq_port_info_t* info)
{
    const unsigned needed = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
    const unsigned capability = snd_seq_port_info_get_capability(info);
    return (capability & needed) == needed && !(capability & SND_SEQ_PORT_CAP_NO_EXPORT) &&
           snd_seq_port_info_get_client(info) != SND_SEQ_CLIENT_SYSTEM;
}

template <typename Visit>
void forEachSendingPort(snd_seq_t* seq, Visit visit)
{
    snd_seq_client_info_t* clientInfo = nullptr;
    snd_seq_port_info_t* portInfo = nullptr;
    snd_seq_client_info_alloca(&clientInfo);
    snd_seq_port_info_alloca(&portInfo);
    snd_seq_client_info_set_client(clientInfo, -1);
    while (snd_seq_query_next_client(seq, clientInfo) >= 0) {
        const int client = snd_seq_client_info_get_client(clientInfo);
        snd_seq_port_info_set_client(portInfo, client);
        snd_seq_port_info_set_port(portInfo, -1);
        while (snd_seq_query_next_port(seq, portInfo) >= 0)
            if (sendsMidi(portInfo))
                visit(client, snd_seq_port_info_get_port(portInfo));
    }
}

class AlsaMidiInput final : public MidiInput {
public:
    AlsaMidiInput(snd_seq_t* openSeq, int ownPort, StandaloneInstrument& target, std::string nameFilter)
        : seq(openSeq), port(ownPort), instrument(target), filter(std::move(nameFilter))
    {
        snd_midi_event_new(64, &decoder);
        snd_midi_event_no_status(decoder, 1);
        // New devices are announced by the system's port: they are connected as they come.
        snd_seq_connect_from(seq, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
        forEachSendingPort(seq, [this](int client, int from) { connect(client, from); });
        thread = std::thread([this] { listen(); });
    }
    ~AlsaMidiInput() override
    {
        running = false;
        thread.join();
        snd_midi_event_free(decoder);
        snd_seq_close(seq);
    }

    int connectedPorts() const override { return connected.load(); }

private:
    void connect(int client, int from)
    {
        if (client == snd_seq_client_id(seq) || !nameMatches(portName(seq, client, from), filter))
            return;
        if (snd_seq_connect_from(seq, port, client, from) == 0)
            connected.fetch_add(1);
    }

    void listen()
    {
        std::vector<pollfd> descriptors(size_t(snd_seq_poll_descriptors_count(seq, POLLIN)));
        snd_seq_poll_descriptors(seq, descriptors.data(), unsigned(descriptors.size()), POLLIN);
        while (running) {
            if (poll(descriptors.data(), descriptors.size(), kPollMillis) <= 0)
                continue;
            snd_seq_event_t* event = nullptr;
            while (snd_seq_event_input(seq, &event) >= 0 && event)
                handle(*event);
        }
    }

    void handle(const snd_seq_event_t& event)
    {
        if (event.type == SND_SEQ_EVENT_PORT_START) {
            snd_seq_port_info_t* info = nullptr;
            snd_seq_port_info_alloca(&info);
            if (snd_seq_get_any_port_info(seq, event.data.addr.client, event.data.addr.port, info) == 0 &&
                sendsMidi(info))
                connect(event.data.addr.client, event.data.addr.port);
            return;
        }
        uint8_t bytes[8];
        const long size = snd_midi_event_decode(decoder, bytes, sizeof bytes, &event);
        if (size > 0 && size <= 3)
            instrument.postMidi(bytes, size_t(size));
    }

    snd_seq_t* seq;
    int port;
    StandaloneInstrument& instrument;
    std::string filter;
    snd_midi_event_t* decoder = nullptr;
    std::atomic<bool> running{true};
    std::atomic<int> connected{0};
    std::thread thread;
};

snd_seq_t* openSequencer(int mode, std::string& error)
{
    snd_seq_t* seq = nullptr;
    const int code = snd_seq_open(&seq, "default", mode, SND_SEQ_NONBLOCK);
    if (code < 0) {
        error = std::string("no ALSA sequencer (") + snd_strerror(code) + ")";
        return nullptr;
    }
    return seq;
}

} // namespace

std::unique_ptr<MidiInput> openAlsaMidiInput(StandaloneInstrument& instrument, const std::string& filter,
                                             std::string& error)
{
    snd_seq_t* seq = openSequencer(SND_SEQ_OPEN_DUPLEX, error);
    if (!seq)
        return nullptr;
    snd_seq_set_client_name(seq, "Morvelline");
    const int port = snd_seq_create_simple_port(seq, "MIDI in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                                SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTHESIZER |
                                                    SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0) {
        error = std::string("cannot make the ALSA MIDI port (") + snd_strerror(port) + ")";
        snd_seq_close(seq);
        return nullptr;
    }
    return std::make_unique<AlsaMidiInput>(seq, port, instrument, filter);
}

void listDevices()
{
    listJackDevices();
    listAlsaDevices();
    std::string error;
    snd_seq_t* seq = openSequencer(SND_SEQ_OPEN_INPUT, error);
    if (!seq) {
        std::printf("ALSA MIDI inputs: none, %s\n", error.c_str());
        return;
    }
    std::printf("ALSA MIDI inputs (for --midi-in; all are connected by default):\n");
    forEachSendingPort(seq, [seq](int client, int port) {
        std::printf("  %3d:%-3d %s\n", client, port, portName(seq, client, port).c_str());
    });
    snd_seq_close(seq);
}
