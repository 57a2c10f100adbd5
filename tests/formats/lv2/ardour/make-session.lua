-- Builds a session with one MIDI track into Morvelline (LV2), its main oscillator set to a
-- sine, and a two-second MIDI region holding A4. The scripting interface can neither import a
-- MIDI file nor make an empty source, so the region is a bounce of the track's (silent) MIDI
-- before the synth, then filled with the note. The range is saved as a range marker (the
-- session range cannot be made from a script); the caller turns it into the session range.
-- usage: ardour7-lua make-session.lua FOLDER NAME OSC1_WAVE_PORT SINE_CODE
local folder, name = arg[1], arg[2]
local wavePort, sine = tonumber (arg[3]), tonumber (arg[4])
local rate = 48000
local seconds = 2

local session = create_session (folder, name, rate)
assert (session, "cannot create the session in " .. folder)

local synth = ARDOUR.LuaAPI.new_plugin_info ("urn:hollowfen:morvelline", ARDOUR.PluginType.LV2)
assert (not synth:isnil (), "Ardour does not see the Morvelline LV2 plug-in")
local tracks = session:new_midi_track (
	ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1), ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2),
	true, synth, nil, nil, 1, "Morvelline", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tracks:front ()
assert (track, "Ardour made no MIDI track")
local plugin = track:nth_plugin (0)
assert (plugin:display_name () == "Morvelline", "the track's instrument is not Morvelline")
assert (ARDOUR.LuaAPI.set_processor_param (plugin, wavePort, sine), "cannot set the waveform")

local region = track:bounce_range (0, seconds * rate, ARDOUR.InterThreadInfo (), plugin, false, "A4", false)
assert (not region:isnil (), "cannot make a MIDI region")
local model = region:to_midiregion ():model ()
local add = model:new_note_diff_command ("A4")
-- Four beats at the default 120 BPM: the whole two seconds.
add:add (ARDOUR.LuaAPI.new_noteptr (1, Temporal.Beats (0, 0), Temporal.Beats (4, 0), 69, 100))
model:apply_command (session, add)
track:playlist ():add_region (region, Temporal.timepos_t (0), 1, false)

session:locations ():add_range (Temporal.timepos_t (0), Temporal.timepos_t (seconds * rate))
session:save_state ("", false, false, false, false, false)
close_session ()
print ("session made")
