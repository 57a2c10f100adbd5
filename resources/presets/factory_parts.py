"""Building blocks of the factory patches: each returns the parameter settings of one section."""
from factory_units import (FILTER, LFO_WAVE, MOD_SOURCE, MOD_TARGET, OSC_WAVE, SUB_ALT, bipolar,
                           code, delay_cutoff, delay_division, delay_ms, glide_ms, hertz, lfo_division,
                           lfo_hertz, routing, semitones, cents, seconds, split_note, unison, voices)


def osc(n, wave, semi=0, fine=0, vol=0.5, pw=0.5, pan=0.0, sub=0.0, sub_upper=False,
        sub_alt="off", sub_semi=0, sub_fine=0, detune=0.0, copies=1, spread=0.0, mix=0.5,
        phase=0.0, sub_follows_pw=True, sub_follows_vol=True):
    """One oscillator side. sub is the sub level 0..1; sub_upper picks the upper-half waveform."""
    sub_value = 0.5 + (sub / 2 if sub_upper else -sub / 2)
    return {f"Osc{n}Wave": code(OSC_WAVE, wave), f"Osc{n}Semi": semitones(semi), f"Osc{n}Fine": cents(fine),
            f"Osc{n}Vol": vol, f"Osc{n}PW": pw, f"Osc{n}Pan": 0.5 + pan / 2, f"Osc{n}Sub": sub_value,
            f"Sub{n}AltW": code(SUB_ALT, sub_alt), f"Sub{n}Semi": semitones(sub_semi),
            f"Sub{n}Fine": cents(sub_fine), f"Osc{n}Det": detune, f"Osc{n}DtVo": unison(copies),
            f"Osc{n}DtSp": spread, f"Osc{n}DtMx": mix, f"Osc{n}Phse": phase,
            f"Sub{n}FlPW": 1.0 if sub_follows_pw else 0.0, f"Sub{n}FlVl": 1.0 if sub_follows_vol else 0.0}


def filt(n, kind, cutoff_hz=21000, res=0.0, key=0.0):
    names = ("FltType", "FltCut", "FltRes", "FltKey") if n == 1 else ("Flt2Type", "Flt2Cut", "Flt2Res", "Flt2Key")
    return dict(zip(names, (code(FILTER, kind), hertz(cutoff_hz), res, key)))


def env(n, attack, decay, sustain, release, vel=None):
    s = {f"Env{n}Att": seconds(attack), f"Env{n}Dec": seconds(decay), f"Env{n}Sus": sustain,
         f"Env{n}Rel": seconds(release)}
    if vel is not None:
        s[f"Env{n}Vel"] = vel
    return s


def lfo(n, wave, hz=None, sync=None, offset=0.0, free=False, phase=0.0):
    rate = lfo_division(sync) if sync else lfo_hertz(hz)
    return {f"Lfo{n}Wave": code(LFO_WAVE, wave), f"Lfo{n}Rate": rate, f"Lfo{n}Sync": 1.0 if sync else 0.0,
            f"Lfo{n}Ofs": bipolar(offset), f"Lfo{n}Free": 1.0 if free else 0.0, f"Lfo{n}Phse": phase}


def mods(*slots):
    """(source, target, amount -1..1) for slots 1, 2, ..."""
    s = {}
    for i, (source, target, amount) in enumerate(slots, start=1):
        s.update({f"ModSrc{i}": code(MOD_SOURCE, source), f"ModDst{i}": code(MOD_TARGET, target),
                  f"ModAmt{i}": bipolar(amount)})
    return s


def delay(mix, ms=None, sync=None, feedback=0.4, width=1.0, lowpass_hz=None):
    s = {"DlyMix": mix, "DlyTime": delay_division(sync) if sync else delay_ms(ms),
         "DlySync": 1.0 if sync else 0.0, "DlyFBack": feedback, "DlyWidth": width}
    if lowpass_hz:
        s.update({"DlyLP": 1.0, "DlyCut": delay_cutoff(lowpass_hz)})
    return s


def reverb(mix, size=0.5, damp=0.5, predelay_ms=0, density=0.5, width=1.0):
    return {"RvbMix": mix, "RvbSize": size, "RvbDamp": damp, "RvbPrDly": predelay_ms / 1000,
            "RvbDens": density, "RvbWidth": width}


def play(poly=16, glide=0, bend_up=2, bend_down=2, route=1, split=0):
    return {"Poly": voices(poly), "GldAmt": glide_ms(glide), "PBRange": bend_up / 12, "PBRange2": bend_down / 12,
            "OscRoute": routing(route), "KeySplit": split_note(split) if split else 0.0}


def vibrato(lfo_number, depth_semitones, both=True):
    """Pitch modulation slots of one LFO on oscillator 1 (and 2); LFO output is +-0.5."""
    amount = depth_semitones / 50
    slots = [(f"lfo{lfo_number}", "osc1tune", amount)]
    if both:
        slots.append((f"lfo{lfo_number}", "osc2tune", amount))
    return slots
