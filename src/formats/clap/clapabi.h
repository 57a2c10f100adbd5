// Our own declarations of the CLAP 1.2 binary interface (the parts a synthesizer and a small test host
// use): records, extension ids and constants, shared by the plug-in and by our hosts. Names follow CLAP's
// C names because hosts and plug-ins meet on them. Layouts are checked by static asserts at the end.
#pragma once

#include <cstddef>
#include <cstdint>

// Only 32-bit Windows has a choice of calling conventions; everywhere else the C default is the ABI.
#if defined(_WIN32) && !defined(_WIN64)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

// ---- Basics ----------------------------------------------------------------------------------------

struct clap_version_t {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
};

inline constexpr uint32_t CLAP_VERSION_MAJOR = 1;
inline constexpr uint32_t CLAP_VERSION_MINOR = 2;
inline constexpr uint32_t CLAP_VERSION_REVISION = 2;
inline constexpr clap_version_t CLAP_VERSION{CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION};

// 0.x was the unstable development series; every 1.x shares one ABI. Any major of 1 or more is accepted,
// as other CLAP hosts and plug-ins accept it: both sides must agree on who may talk to whom.
constexpr bool clap_version_is_compatible(const clap_version_t v)
{
    return v.major >= 1;
}

using clap_id = uint32_t;
inline constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;

// Capacities of fixed text fields, terminator included.
inline constexpr uint32_t CLAP_NAME_SIZE = 256;
inline constexpr uint32_t CLAP_PATH_SIZE = 1024;

// Musical and clock positions travel as 31-bit fixed point: value = round(factor * beats or seconds).
using clap_beattime = int64_t;
using clap_sectime = int64_t;
inline constexpr int64_t CLAP_BEATTIME_FACTOR = int64_t(1) << 31;
inline constexpr int64_t CLAP_SECTIME_FACTOR = int64_t(1) << 31;

// ---- Events ----------------------------------------------------------------------------------------

// Every event starts with this header; `size` covers the whole record so lists can copy events blindly.
struct clap_event_header_t {
    uint32_t size;
    uint32_t time; // frame offset inside the block
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
};

inline constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;

// Header flags.
inline constexpr uint32_t CLAP_EVENT_IS_LIVE = 1u << 0;
inline constexpr uint32_t CLAP_EVENT_DONT_RECORD = 1u << 1; // e.g. a parameter moved by a MIDI CC

// Core event types (header.type when space_id is the core space).
inline constexpr uint16_t CLAP_EVENT_NOTE_ON = 0;
inline constexpr uint16_t CLAP_EVENT_NOTE_OFF = 1;
inline constexpr uint16_t CLAP_EVENT_NOTE_CHOKE = 2;
inline constexpr uint16_t CLAP_EVENT_NOTE_END = 3; // plug-in to host: a voice has finished
inline constexpr uint16_t CLAP_EVENT_NOTE_EXPRESSION = 4;
inline constexpr uint16_t CLAP_EVENT_PARAM_VALUE = 5;
inline constexpr uint16_t CLAP_EVENT_PARAM_MOD = 6;
inline constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_BEGIN = 7;
inline constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_END = 8;
inline constexpr uint16_t CLAP_EVENT_TRANSPORT = 9;
inline constexpr uint16_t CLAP_EVENT_MIDI = 10;
inline constexpr uint16_t CLAP_EVENT_MIDI_SYSEX = 11;
inline constexpr uint16_t CLAP_EVENT_MIDI2 = 12;

// Notes are addressed by (port, channel, key, note_id); -1 in any of them is a wildcard,
// except in NOTE_ON, where port, channel and key must be given.
struct clap_event_note_t {
    clap_event_header_t header;
    int32_t note_id;
    int16_t port_index;
    int16_t channel; // 0..15
    int16_t key;     // 0..127, 60 is middle C
    double velocity; // 0..1; a NOTE_ON with velocity 0 is still a note on
};

using clap_note_expression = int32_t;
inline constexpr clap_note_expression CLAP_NOTE_EXPRESSION_VOLUME = 0; // gain factor 0 < x <= 4
inline constexpr clap_note_expression CLAP_NOTE_EXPRESSION_PAN = 1;    // 0 left, 0.5 centre, 1 right
inline constexpr clap_note_expression CLAP_NOTE_EXPRESSION_TUNING = 2; // semitones, -120..120
inline constexpr clap_note_expression CLAP_NOTE_EXPRESSION_VIBRATO = 3;
inline constexpr clap_note_expression CLAP_NOTE_EXPRESSION_EXPRESSION = 4;
inline constexpr clap_note_expression CLAP_NOTE_EXPRESSION_BRIGHTNESS = 5;
inline constexpr clap_note_expression CLAP_NOTE_EXPRESSION_PRESSURE = 6;

// Expressions state an absolute value, not an increment.
struct clap_event_note_expression_t {
    clap_event_header_t header;
    clap_note_expression expression_id;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
};

// What is heard is value + mod; a polyphonic mod already includes the global one.
struct clap_event_param_value_t {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie; // as given in clap_param_info_t, or null
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
};

struct clap_event_param_mod_t {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double amount;
};

struct clap_event_param_gesture_t {
    clap_event_header_t header;
    clap_id param_id;
};

// Transport flags: which fields of clap_event_transport_t hold data, and the play state.
inline constexpr uint32_t CLAP_TRANSPORT_HAS_TEMPO = 1u << 0;
inline constexpr uint32_t CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 1u << 1;
inline constexpr uint32_t CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 1u << 2;
inline constexpr uint32_t CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 1u << 3;
inline constexpr uint32_t CLAP_TRANSPORT_IS_PLAYING = 1u << 4;
inline constexpr uint32_t CLAP_TRANSPORT_IS_RECORDING = 1u << 5;
inline constexpr uint32_t CLAP_TRANSPORT_IS_LOOP_ACTIVE = 1u << 6;
inline constexpr uint32_t CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 1u << 7;

// Sent in the process record for frame 0, and as an event for changes inside a block.
struct clap_event_transport_t {
    clap_event_header_t header;
    uint32_t flags;
    clap_beattime song_pos_beats;
    clap_sectime song_pos_seconds;
    double tempo;     // beats per minute
    double tempo_inc; // tempo change per frame until the next transport event
    clap_beattime loop_start_beats;
    clap_beattime loop_end_beats;
    clap_sectime loop_start_seconds;
    clap_sectime loop_end_seconds;
    clap_beattime bar_start;
    int32_t bar_number; // the bar at song position 0 is bar 0
    uint16_t tsig_num;
    uint16_t tsig_denom;
};

struct clap_event_midi_t {
    clap_event_header_t header;
    uint16_t port_index;
    uint8_t data[3];
};

// The buffer lives only for the process call (or try_push) that carries it: copy it to keep it.
struct clap_event_midi_sysex_t {
    clap_event_header_t header;
    uint16_t port_index;
    const uint8_t* buffer;
    uint32_t size;
};

struct clap_event_midi2_t {
    clap_event_header_t header;
    uint16_t port_index;
    uint32_t data[4];
};

// Host-owned input list, sorted by time; the returned events stay the list's.
struct clap_input_events_t {
    void* ctx;
    uint32_t(CLAP_ABI* size)(const clap_input_events_t* list);
    const clap_event_header_t*(CLAP_ABI* get)(const clap_input_events_t* list, uint32_t index);
};

// The host copies each pushed event; false means it could not (e.g. out of room).
struct clap_output_events_t {
    void* ctx;
    bool(CLAP_ABI* try_push)(const clap_output_events_t* list, const clap_event_header_t* event);
};

// ---- Audio and processing --------------------------------------------------------------------------

// Exactly one of data32 / data64 is set. Bit n of constant_mask says channel n holds one value
// throughout; it is only a hint, the buffer is filled either way.
struct clap_audio_buffer_t {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
};

using clap_process_status = int32_t;
inline constexpr clap_process_status CLAP_PROCESS_ERROR = 0; // the output must be discarded
inline constexpr clap_process_status CLAP_PROCESS_CONTINUE = 1;
inline constexpr clap_process_status CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2;
inline constexpr clap_process_status CLAP_PROCESS_TAIL = 3;  // keep going for the length the tail reports
inline constexpr clap_process_status CLAP_PROCESS_SLEEP = 4; // nothing to do until the next event or input

struct clap_process_t {
    int64_t steady_time; // -1 when unknown; otherwise grows by at least frames_count per call
    uint32_t frames_count;
    const clap_event_transport_t* transport; // null for a free-running host
    const clap_audio_buffer_t* audio_inputs;
    clap_audio_buffer_t* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events_t* in_events;
    const clap_output_events_t* out_events;
};

// ---- Host, plug-in, factory, entry -----------------------------------------------------------------

struct clap_host_t {
    clap_version_t clap_version;
    void* host_data;
    const char* name; // name and version are mandatory
    const char* vendor;
    const char* url;
    const char* version;
    const void*(CLAP_ABI* get_extension)(const clap_host_t* host, const char* extension_id);
    void(CLAP_ABI* request_restart)(const clap_host_t* host);
    void(CLAP_ABI* request_process)(const clap_host_t* host);
    void(CLAP_ABI* request_callback)(const clap_host_t* host); // asks for on_main_thread
};

// Standard feature strings for the descriptor's null-terminated features list.
inline constexpr char CLAP_PLUGIN_FEATURE_INSTRUMENT[] = "instrument";
inline constexpr char CLAP_PLUGIN_FEATURE_SYNTHESIZER[] = "synthesizer";
inline constexpr char CLAP_PLUGIN_FEATURE_STEREO[] = "stereo";

struct clap_plugin_descriptor_t {
    clap_version_t clap_version;
    const char* id;   // mandatory, stable, reverse-domain style
    const char* name; // mandatory
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features; // null-terminated
};

struct clap_plugin_t {
    const clap_plugin_descriptor_t* desc;
    void* plugin_data;
    bool(CLAP_ABI* init)(const clap_plugin_t* plugin); // false: the host destroys the instance
    void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
    // Frame counts per process call stay within [min, max] until deactivation.
    bool(CLAP_ABI* activate)(const clap_plugin_t* plugin, double sample_rate, uint32_t min_frames_count,
                             uint32_t max_frames_count);
    void(CLAP_ABI* deactivate)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* start_processing)(const clap_plugin_t* plugin);
    void(CLAP_ABI* stop_processing)(const clap_plugin_t* plugin);
    void(CLAP_ABI* reset)(const clap_plugin_t* plugin); // silence voices and buffers, keep parameter values
    clap_process_status(CLAP_ABI* process)(const clap_plugin_t* plugin, const clap_process_t* process);
    const void*(CLAP_ABI* get_extension)(const clap_plugin_t* plugin, const char* id);
    void(CLAP_ABI* on_main_thread)(const clap_plugin_t* plugin);
};

inline constexpr char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

// Every call may come from any thread, at the same time as the others.
struct clap_plugin_factory_t {
    uint32_t(CLAP_ABI* get_plugin_count)(const clap_plugin_factory_t* factory);
    const clap_plugin_descriptor_t*(CLAP_ABI* get_plugin_descriptor)(const clap_plugin_factory_t* factory,
                                                                     uint32_t index);
    // The new instance must not call the host before init(); null on failure.
    const clap_plugin_t*(CLAP_ABI* create_plugin)(const clap_plugin_factory_t* factory, const clap_host_t* host,
                                                  const char* plugin_id);
};

// The one symbol a CLAP library exports, as `clap_entry`. init/deinit may be called more than once
// (wrappers load the same library twice), so they must count.
struct clap_plugin_entry_t {
    clap_version_t clap_version;
    bool(CLAP_ABI* init)(const char* plugin_path);
    void(CLAP_ABI* deinit)();
    const void*(CLAP_ABI* get_factory)(const char* factory_id);
};

// ---- Streams ---------------------------------------------------------------------------------------

// Both may move fewer bytes than asked: loop until done. read returns 0 at end, -1 on error;
// write returns -1 on error.
struct clap_istream_t {
    void* ctx;
    int64_t(CLAP_ABI* read)(const clap_istream_t* stream, void* buffer, uint64_t size);
};

struct clap_ostream_t {
    void* ctx;
    int64_t(CLAP_ABI* write)(const clap_ostream_t* stream, const void* buffer, uint64_t size);
};

// ---- Extension: parameters -------------------------------------------------------------------------

inline constexpr char CLAP_EXT_PARAMS[] = "clap.params";

using clap_param_info_flags = uint32_t;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_STEPPED = 1u << 0; // values are truncated to integers
inline constexpr clap_param_info_flags CLAP_PARAM_IS_PERIODIC = 1u << 1;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_HIDDEN = 1u << 2;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_READONLY = 1u << 3;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_BYPASS = 1u << 4;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_AUTOMATABLE = 1u << 5;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 1u << 6;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 1u << 7;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 1u << 8;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 1u << 9;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_MODULATABLE = 1u << 10;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 1u << 11;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_MODULATABLE_PER_KEY = 1u << 12;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 1u << 13;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_MODULATABLE_PER_PORT = 1u << 14;
inline constexpr clap_param_info_flags CLAP_PARAM_REQUIRES_PROCESS = 1u << 15;
inline constexpr clap_param_info_flags CLAP_PARAM_IS_ENUM = 1u << 16; // needs IS_STEPPED; every step has text

struct clap_param_info_t {
    clap_id id; // stable for the life of saved projects
    clap_param_info_flags flags;
    void* cookie; // echoed back in events so the plug-in can skip a lookup; may come back null
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE]; // '/'-separated group path
    double min_value;
    double max_value;
    double default_value;
};

struct clap_plugin_params_t {
    uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* get_info)(const clap_plugin_t* plugin, uint32_t param_index, clap_param_info_t* param_info);
    bool(CLAP_ABI* get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
    bool(CLAP_ABI* value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value, char* out_buffer,
                                  uint32_t out_buffer_capacity);
    bool(CLAP_ABI* text_to_value)(const clap_plugin_t* plugin, clap_id param_id, const char* param_value_text,
                                  double* out_value);
    // Parameter traffic while not processing; never concurrent with process().
    void(CLAP_ABI* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out);
};

using clap_param_rescan_flags = uint32_t;
inline constexpr clap_param_rescan_flags CLAP_PARAM_RESCAN_VALUES = 1u << 0;
inline constexpr clap_param_rescan_flags CLAP_PARAM_RESCAN_TEXT = 1u << 1;
inline constexpr clap_param_rescan_flags CLAP_PARAM_RESCAN_INFO = 1u << 2;
inline constexpr clap_param_rescan_flags CLAP_PARAM_RESCAN_ALL = 1u << 3; // only while deactivated

using clap_param_clear_flags = uint32_t;
inline constexpr clap_param_clear_flags CLAP_PARAM_CLEAR_ALL = 1u << 0;
inline constexpr clap_param_clear_flags CLAP_PARAM_CLEAR_AUTOMATIONS = 1u << 1;
inline constexpr clap_param_clear_flags CLAP_PARAM_CLEAR_MODULATIONS = 1u << 2;

struct clap_host_params_t {
    void(CLAP_ABI* rescan)(const clap_host_t* host, clap_param_rescan_flags flags);
    void(CLAP_ABI* clear)(const clap_host_t* host, clap_id param_id, clap_param_clear_flags flags);
    void(CLAP_ABI* request_flush)(const clap_host_t* host); // never from the audio thread
};

// ---- Extension: state ------------------------------------------------------------------------------

inline constexpr char CLAP_EXT_STATE[] = "clap.state";

struct clap_plugin_state_t {
    bool(CLAP_ABI* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
    bool(CLAP_ABI* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
};

struct clap_host_state_t {
    void(CLAP_ABI* mark_dirty)(const clap_host_t* host);
};

// ---- Extension: note ports -------------------------------------------------------------------------

inline constexpr char CLAP_EXT_NOTE_PORTS[] = "clap.note-ports";

inline constexpr uint32_t CLAP_NOTE_DIALECT_CLAP = 1u << 0;
inline constexpr uint32_t CLAP_NOTE_DIALECT_MIDI = 1u << 1;
inline constexpr uint32_t CLAP_NOTE_DIALECT_MIDI_MPE = 1u << 2;
inline constexpr uint32_t CLAP_NOTE_DIALECT_MIDI2 = 1u << 3;

struct clap_note_port_info_t {
    clap_id id;
    uint32_t supported_dialects; // bit set of CLAP_NOTE_DIALECT_*
    uint32_t preferred_dialect;  // exactly one of them
    char name[CLAP_NAME_SIZE];
};

struct clap_plugin_note_ports_t {
    uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
    bool(CLAP_ABI* get)(const clap_plugin_t* plugin, uint32_t index, bool is_input, clap_note_port_info_t* info);
};

inline constexpr uint32_t CLAP_NOTE_PORTS_RESCAN_ALL = 1u << 0; // only while deactivated
inline constexpr uint32_t CLAP_NOTE_PORTS_RESCAN_NAMES = 1u << 1;

struct clap_host_note_ports_t {
    uint32_t(CLAP_ABI* supported_dialects)(const clap_host_t* host);
    void(CLAP_ABI* rescan)(const clap_host_t* host, uint32_t flags);
};

// ---- Extension: audio ports ------------------------------------------------------------------------

inline constexpr char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
inline constexpr char CLAP_PORT_MONO[] = "mono";
inline constexpr char CLAP_PORT_STEREO[] = "stereo";

inline constexpr uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1u << 0; // at most one per direction, at index 0
inline constexpr uint32_t CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1u << 1;
inline constexpr uint32_t CLAP_AUDIO_PORT_PREFERS_64BITS = 1u << 2;
inline constexpr uint32_t CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1u << 3;

struct clap_audio_port_info_t {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type; // CLAP_PORT_MONO, CLAP_PORT_STEREO, or null for unspecified
    clap_id in_place_pair; // CLAP_INVALID_ID when input and output buffers must differ
};

struct clap_plugin_audio_ports_t {
    uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
    bool(CLAP_ABI* get)(const clap_plugin_t* plugin, uint32_t index, bool is_input, clap_audio_port_info_t* info);
};

inline constexpr uint32_t CLAP_AUDIO_PORTS_RESCAN_NAMES = 1u << 0;
inline constexpr uint32_t CLAP_AUDIO_PORTS_RESCAN_FLAGS = 1u << 1; // this and below: only while deactivated
inline constexpr uint32_t CLAP_AUDIO_PORTS_RESCAN_CHANNEL_COUNT = 1u << 2;
inline constexpr uint32_t CLAP_AUDIO_PORTS_RESCAN_PORT_TYPE = 1u << 3;
inline constexpr uint32_t CLAP_AUDIO_PORTS_RESCAN_IN_PLACE_PAIR = 1u << 4;
inline constexpr uint32_t CLAP_AUDIO_PORTS_RESCAN_LIST = 1u << 5;

struct clap_host_audio_ports_t {
    bool(CLAP_ABI* is_rescan_flag_supported)(const clap_host_t* host, uint32_t flag);
    void(CLAP_ABI* rescan)(const clap_host_t* host, uint32_t flags);
};

// ---- Extensions: latency, tail, render, voice info -------------------------------------------------

inline constexpr char CLAP_EXT_LATENCY[] = "clap.latency";

struct clap_plugin_latency_t {
    uint32_t(CLAP_ABI* get)(const clap_plugin_t* plugin); // in frames
};

struct clap_host_latency_t {
    void(CLAP_ABI* changed)(const clap_host_t* host); // only during activate()
};

inline constexpr char CLAP_EXT_TAIL[] = "clap.tail";

struct clap_plugin_tail_t {
    uint32_t(CLAP_ABI* get)(const clap_plugin_t* plugin); // in frames; INT32_MAX or more means endless
};

struct clap_host_tail_t {
    void(CLAP_ABI* changed)(const clap_host_t* host);
};

inline constexpr char CLAP_EXT_RENDER[] = "clap.render";

using clap_plugin_render_mode = int32_t;
inline constexpr clap_plugin_render_mode CLAP_RENDER_REALTIME = 0;
inline constexpr clap_plugin_render_mode CLAP_RENDER_OFFLINE = 1; // no deadline: quality may cost more time

struct clap_plugin_render_t {
    bool(CLAP_ABI* has_hard_realtime_requirement)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* set)(const clap_plugin_t* plugin, clap_plugin_render_mode mode);
};

inline constexpr char CLAP_EXT_VOICE_INFO[] = "clap.voice-info";

// The host can then send several NOTE_ONs for one key, told apart by note_id.
inline constexpr uint64_t CLAP_VOICE_INFO_SUPPORTS_OVERLAPPING_NOTES = 1u << 0;

// Lets a host doing polyphonic modulation size its voice pool like ours (count 1 means mono).
struct clap_voice_info_t {
    uint32_t voice_count;    // voices the patch may use, 1..voice_capacity
    uint32_t voice_capacity; // voices allocated
    uint64_t flags;
};

struct clap_plugin_voice_info_t {
    bool(CLAP_ABI* get)(const clap_plugin_t* plugin, clap_voice_info_t* info);
};

struct clap_host_voice_info_t {
    void(CLAP_ABI* changed)(const clap_host_t* host);
};

// ---- Extension: thread check -----------------------------------------------------------------------

inline constexpr char CLAP_EXT_THREAD_CHECK[] = "clap.thread-check";

struct clap_host_thread_check_t {
    bool(CLAP_ABI* is_main_thread)(const clap_host_t* host);
    bool(CLAP_ABI* is_audio_thread)(const clap_host_t* host);
};

// ---- Extension: GUI --------------------------------------------------------------------------------

inline constexpr char CLAP_EXT_GUI[] = "clap.gui";

inline constexpr char CLAP_WINDOW_API_WIN32[] = "win32"; // physical pixels
inline constexpr char CLAP_WINDOW_API_COCOA[] = "cocoa"; // logical pixels, no set_scale
inline constexpr char CLAP_WINDOW_API_X11[] = "x11";     // physical pixels, XEmbed

using clap_hwnd = void*;
using clap_nsview = void*;
using clap_xwnd = unsigned long; // an X11 Window id

struct clap_window_t {
    const char* api; // one of CLAP_WINDOW_API_*, says which union member is set
    union {
        clap_nsview cocoa;
        clap_xwnd x11;
        clap_hwnd win32;
        void* ptr;
    };
};

struct clap_gui_resize_hints_t {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio; // the ratios are meaningful only when this is set
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
};

// Sizes are in pixels of the window API's kind (see above).
struct clap_plugin_gui_t {
    bool(CLAP_ABI* is_api_supported)(const clap_plugin_t* plugin, const char* api, bool is_floating);
    bool(CLAP_ABI* get_preferred_api)(const clap_plugin_t* plugin, const char** api, bool* is_floating);
    bool(CLAP_ABI* create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
    void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* set_scale)(const clap_plugin_t* plugin, double scale); // 2 means 200%
    bool(CLAP_ABI* get_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_ABI* can_resize)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* get_resize_hints)(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints);
    bool(CLAP_ABI* adjust_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_ABI* set_size)(const clap_plugin_t* plugin, uint32_t width, uint32_t height);
    bool(CLAP_ABI* set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
    bool(CLAP_ABI* set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
    void(CLAP_ABI* suggest_title)(const clap_plugin_t* plugin, const char* title);
    bool(CLAP_ABI* show)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* hide)(const clap_plugin_t* plugin);
};

struct clap_host_gui_t {
    void(CLAP_ABI* resize_hints_changed)(const clap_host_t* host);
    // true: the host accepted the size and will not call set_size for it.
    bool(CLAP_ABI* request_resize)(const clap_host_t* host, uint32_t width, uint32_t height);
    bool(CLAP_ABI* request_show)(const clap_host_t* host);
    bool(CLAP_ABI* request_hide)(const clap_host_t* host);
    // was_destroyed: the plug-in must still be told gui.destroy() by the host.
    void(CLAP_ABI* closed)(const clap_host_t* host, bool was_destroyed);
};

// ---- Extensions: timers and file descriptors on the host's main loop -------------------------------

inline constexpr char CLAP_EXT_TIMER_SUPPORT[] = "clap.timer-support";

struct clap_plugin_timer_support_t {
    void(CLAP_ABI* on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
};

struct clap_host_timer_support_t {
    bool(CLAP_ABI* register_timer)(const clap_host_t* host, uint32_t period_ms, clap_id* timer_id);
    bool(CLAP_ABI* unregister_timer)(const clap_host_t* host, clap_id timer_id);
};

inline constexpr char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";

using clap_posix_fd_flags_t = uint32_t;
inline constexpr clap_posix_fd_flags_t CLAP_POSIX_FD_READ = 1u << 0;
inline constexpr clap_posix_fd_flags_t CLAP_POSIX_FD_WRITE = 1u << 1;
inline constexpr clap_posix_fd_flags_t CLAP_POSIX_FD_ERROR = 1u << 2;

struct clap_plugin_posix_fd_support_t {
    // Level-triggered: a writable fd keeps calling until modify_fd drops WRITE.
    void(CLAP_ABI* on_fd)(const clap_plugin_t* plugin, int fd, clap_posix_fd_flags_t flags);
};

struct clap_host_posix_fd_support_t {
    bool(CLAP_ABI* register_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
    bool(CLAP_ABI* modify_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
    bool(CLAP_ABI* unregister_fd)(const clap_host_t* host, int fd);
};

// ---- Extension: log --------------------------------------------------------------------------------

inline constexpr char CLAP_EXT_LOG[] = "clap.log";

using clap_log_severity = int32_t;
inline constexpr clap_log_severity CLAP_LOG_DEBUG = 0;
inline constexpr clap_log_severity CLAP_LOG_INFO = 1;
inline constexpr clap_log_severity CLAP_LOG_WARNING = 2;
inline constexpr clap_log_severity CLAP_LOG_ERROR = 3;
inline constexpr clap_log_severity CLAP_LOG_FATAL = 4;
inline constexpr clap_log_severity CLAP_LOG_HOST_MISBEHAVING = 5;
inline constexpr clap_log_severity CLAP_LOG_PLUGIN_MISBEHAVING = 6;

struct clap_host_log_t {
    void(CLAP_ABI* log)(const clap_host_t* host, clap_log_severity severity, const char* msg); // any thread
};

// ---- Extension: preset load ------------------------------------------------------------------------

inline constexpr char CLAP_EXT_PRESET_LOAD[] = "clap.preset-load/2";
// Hosts from before 1.2 ask under the draft id; the interface is identical.
inline constexpr char CLAP_EXT_PRESET_LOAD_COMPAT[] = "clap.preset-load.draft/2";

// Location kinds: a file path, or presets built into the plug-in itself (location is then null).
inline constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0;
inline constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1;

struct clap_plugin_preset_load_t {
    // load_key picks one preset inside a container file; may be null.
    bool(CLAP_ABI* from_location)(const clap_plugin_t* plugin, uint32_t location_kind, const char* location,
                                  const char* load_key);
};

struct clap_host_preset_load_t {
    // os_error is 0 when no operating-system error applies.
    void(CLAP_ABI* on_error)(const clap_host_t* host, uint32_t location_kind, const char* location,
                             const char* load_key, int32_t os_error, const char* msg);
    void(CLAP_ABI* loaded)(const clap_host_t* host, uint32_t location_kind, const char* location, const char* load_key);
};

// ---- Layout checks ---------------------------------------------------------------------------------
// 32-bit numbers are for x86 Windows, where 64-bit integers and doubles align to 8 inside records.

#define CLAP_AT(rec, field, off) (offsetof(rec, field) == (off))
#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(clap_plugin_entry_t) == 40 && CLAP_AT(clap_plugin_entry_t, init, 16));
static_assert(sizeof(clap_plugin_descriptor_t) == 88 && CLAP_AT(clap_plugin_descriptor_t, id, 16) &&
              CLAP_AT(clap_plugin_descriptor_t, features, 80));
static_assert(sizeof(clap_plugin_t) == 96 && CLAP_AT(clap_plugin_t, init, 16) && CLAP_AT(clap_plugin_t, process, 72));
static_assert(sizeof(clap_host_t) == 88 && CLAP_AT(clap_host_t, host_data, 16) &&
              CLAP_AT(clap_host_t, get_extension, 56));
static_assert(sizeof(clap_event_param_value_t) == 56 && CLAP_AT(clap_event_param_value_t, cookie, 24) &&
              CLAP_AT(clap_event_param_value_t, note_id, 32) && CLAP_AT(clap_event_param_value_t, key, 40) &&
              CLAP_AT(clap_event_param_value_t, value, 48));
static_assert(sizeof(clap_event_param_mod_t) == 56 && CLAP_AT(clap_event_param_mod_t, cookie, 24) &&
              CLAP_AT(clap_event_param_mod_t, amount, 48));
static_assert(sizeof(clap_event_midi_sysex_t) == 40 && CLAP_AT(clap_event_midi_sysex_t, buffer, 24) &&
              CLAP_AT(clap_event_midi_sysex_t, size, 32));
static_assert(sizeof(clap_process_t) == 64 && CLAP_AT(clap_process_t, transport, 16) &&
              CLAP_AT(clap_process_t, audio_outputs, 32) && CLAP_AT(clap_process_t, audio_inputs_count, 40) &&
              CLAP_AT(clap_process_t, in_events, 48) && CLAP_AT(clap_process_t, out_events, 56));
static_assert(sizeof(clap_audio_buffer_t) == 32 && CLAP_AT(clap_audio_buffer_t, channel_count, 16) &&
              CLAP_AT(clap_audio_buffer_t, constant_mask, 24));
static_assert(sizeof(clap_param_info_t) == 1320 && CLAP_AT(clap_param_info_t, name, 16) &&
              CLAP_AT(clap_param_info_t, module, 272) && CLAP_AT(clap_param_info_t, min_value, 1296));
static_assert(sizeof(clap_audio_port_info_t) == 288 && CLAP_AT(clap_audio_port_info_t, channel_count, 264) &&
              CLAP_AT(clap_audio_port_info_t, port_type, 272) && CLAP_AT(clap_audio_port_info_t, in_place_pair, 280));
static_assert(sizeof(clap_window_t) == 16 && CLAP_AT(clap_window_t, win32, 8));
#else
static_assert(sizeof(clap_plugin_entry_t) == 24 && CLAP_AT(clap_plugin_entry_t, init, 12));
static_assert(sizeof(clap_plugin_descriptor_t) == 48 && CLAP_AT(clap_plugin_descriptor_t, id, 12) &&
              CLAP_AT(clap_plugin_descriptor_t, features, 44));
static_assert(sizeof(clap_plugin_t) == 48 && CLAP_AT(clap_plugin_t, init, 8) && CLAP_AT(clap_plugin_t, process, 36));
static_assert(sizeof(clap_host_t) == 48 && CLAP_AT(clap_host_t, host_data, 12) &&
              CLAP_AT(clap_host_t, get_extension, 32));
static_assert(sizeof(clap_event_param_value_t) == 48 && CLAP_AT(clap_event_param_value_t, cookie, 20) &&
              CLAP_AT(clap_event_param_value_t, note_id, 24) && CLAP_AT(clap_event_param_value_t, key, 32) &&
              CLAP_AT(clap_event_param_value_t, value, 40));
static_assert(sizeof(clap_event_param_mod_t) == 48 && CLAP_AT(clap_event_param_mod_t, cookie, 20) &&
              CLAP_AT(clap_event_param_mod_t, amount, 40));
static_assert(sizeof(clap_event_midi_sysex_t) == 28 && CLAP_AT(clap_event_midi_sysex_t, buffer, 20) &&
              CLAP_AT(clap_event_midi_sysex_t, size, 24));
static_assert(sizeof(clap_process_t) == 40 && CLAP_AT(clap_process_t, transport, 12) &&
              CLAP_AT(clap_process_t, audio_outputs, 20) && CLAP_AT(clap_process_t, audio_inputs_count, 24) &&
              CLAP_AT(clap_process_t, in_events, 32) && CLAP_AT(clap_process_t, out_events, 36));
static_assert(sizeof(clap_audio_buffer_t) == 24 && CLAP_AT(clap_audio_buffer_t, channel_count, 8) &&
              CLAP_AT(clap_audio_buffer_t, constant_mask, 16));
static_assert(sizeof(clap_param_info_t) == 1320 && CLAP_AT(clap_param_info_t, name, 12) &&
              CLAP_AT(clap_param_info_t, module, 268) && CLAP_AT(clap_param_info_t, min_value, 1296));
static_assert(sizeof(clap_audio_port_info_t) == 276 && CLAP_AT(clap_audio_port_info_t, channel_count, 264) &&
              CLAP_AT(clap_audio_port_info_t, port_type, 268) && CLAP_AT(clap_audio_port_info_t, in_place_pair, 272));
static_assert(sizeof(clap_window_t) == 8 && CLAP_AT(clap_window_t, win32, 4));
#endif

// Records without pointers: the same on every target.
static_assert(sizeof(clap_version_t) == 12);
static_assert(sizeof(clap_event_header_t) == 16 && CLAP_AT(clap_event_header_t, space_id, 8) &&
              CLAP_AT(clap_event_header_t, flags, 12));
static_assert(sizeof(clap_event_note_t) == 40 && CLAP_AT(clap_event_note_t, note_id, 16) &&
              CLAP_AT(clap_event_note_t, key, 24) && CLAP_AT(clap_event_note_t, velocity, 32));
static_assert(sizeof(clap_event_note_expression_t) == 40 && CLAP_AT(clap_event_note_expression_t, note_id, 20) &&
              CLAP_AT(clap_event_note_expression_t, key, 28) && CLAP_AT(clap_event_note_expression_t, value, 32));
static_assert(sizeof(clap_event_param_gesture_t) == 20);
static_assert(sizeof(clap_event_transport_t) == 104 && CLAP_AT(clap_event_transport_t, song_pos_beats, 24) &&
              CLAP_AT(clap_event_transport_t, tempo, 40) && CLAP_AT(clap_event_transport_t, loop_start_beats, 56) &&
              CLAP_AT(clap_event_transport_t, bar_start, 88) && CLAP_AT(clap_event_transport_t, bar_number, 96) &&
              CLAP_AT(clap_event_transport_t, tsig_denom, 102));
static_assert(sizeof(clap_event_midi_t) == 24 && CLAP_AT(clap_event_midi_t, data, 18));
static_assert(sizeof(clap_event_midi2_t) == 36 && CLAP_AT(clap_event_midi2_t, data, 20));
static_assert(sizeof(clap_note_port_info_t) == 268 && CLAP_AT(clap_note_port_info_t, name, 12));
static_assert(sizeof(clap_voice_info_t) == 16 && CLAP_AT(clap_voice_info_t, flags, 8));
static_assert(sizeof(clap_gui_resize_hints_t) == 12 && CLAP_AT(clap_gui_resize_hints_t, aspect_ratio_width, 4));
#undef CLAP_AT

// Function tables: a missing or extra slot shifts every later call.
static_assert(sizeof(clap_input_events_t) == 3 * sizeof(void*) && sizeof(clap_output_events_t) == 2 * sizeof(void*));
static_assert(sizeof(clap_istream_t) == 2 * sizeof(void*) && sizeof(clap_ostream_t) == 2 * sizeof(void*));
static_assert(sizeof(clap_plugin_factory_t) == 3 * sizeof(void*));
static_assert(sizeof(clap_plugin_params_t) == 6 * sizeof(void*) && sizeof(clap_host_params_t) == 3 * sizeof(void*));
static_assert(sizeof(clap_plugin_gui_t) == 15 * sizeof(void*) && sizeof(clap_host_gui_t) == 5 * sizeof(void*));
static_assert(sizeof(clap_host_posix_fd_support_t) == 3 * sizeof(void*));
static_assert(sizeof(clap_host_preset_load_t) == 2 * sizeof(void*));
