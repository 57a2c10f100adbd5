"""Turns musical quantities (seconds, hertz, semitones, menu entries) into the normalized values
that Morvelline stores, so the factory patches can be written in units a sound designer thinks in."""
import math

# Every parameter in index order with the value of the default program.
PARAMETERS = """
Osc1Semi .5 Osc2Semi .5 Osc1Fine .5 Osc2Fine .5 Osc1Vol .5 Osc2Vol .5 Osc1Det 0 Osc2Det 0
Osc1PW .5 Osc2PW .5 Osc1Sub .5 Osc2Sub .5 FltCut 1 FltRes 0 FltKey 0 Env1Att 0 Env2Att 0
Env3Att 0 Env1Dec 0 Env2Dec 0 Env3Dec 0 Env1Sus 1 Env2Sus 1 Env3Sus 1 Env1Rel R Env2Rel R
Env3Rel R Env1Vel .5 Env2Vel .5 Env3Vel 0 Lfo1Rate 0 Lfo2Rate 0 Lfo3Rate 0 Lfo4Rate 0
Lfo1Ofs .5 Lfo2Ofs .5 Lfo3Ofs .5 Lfo4Ofs .5 ModAmt1 .5 ModAmt2 .5 ModAmt3 .5 ModAmt4 .5
ModAmt5 .5 ModAmt6 .5 ModAmt7 .5 ModAmt8 .5 ModAmt9 .5 ModAmt10 .5 ModAmt11 .5 ModAmt12 .5
Poly .5 GldAmt 0 PBRange B Tuning .5 DlyMix 0 Unused01 0 RvbMix 0 DlyTime .2 DlyFBack .5
DlyCut 0 DlyWidth .5 Unused02 0 Unused03 0 Unused04 0 Unused05 0 RvbPrDly 0 RvbSize .5
RvbDamp .5 RvbWidth 1 Volume .5 Osc1Wave .02 Osc2Wave 0 FltType .02 Lfo1Wave 0 Lfo2Wave 0
Lfo3Wave 0 Lfo4Wave 0 ModSrc1 0 ModSrc2 0 ModSrc3 0 ModSrc4 0 ModSrc5 0 ModSrc6 0 ModSrc7 0
ModSrc8 0 ModSrc9 0 ModSrc10 0 ModSrc11 0 ModSrc12 0 ModDst1 0 ModDst2 0 ModDst3 0 ModDst4 0
ModDst5 0 ModDst6 0 ModDst7 0 ModDst8 0 ModDst9 0 ModDst10 0 ModDst11 0 ModDst12 0 Unused06 0
Unused07 0 Sub1FlPW 1 Sub2FlPW 1 Lfo1Sync 0 Lfo2Sync 0 Lfo3Sync 0 Lfo4Sync 0 Lfo1Free 0
Lfo2Free 0 Lfo3Free 0 Lfo4Free 0 DlySync 0 DlyLP 0 Unused08 0 RvbSync 0 Unused09 0 Unused10 0
Unused11 0 Sub1FlVl 1 Sub2FlVl 1 Unused12 0 Unused13 0 Unused14 0 Unused15 0 Unused16 0
Unused17 0 Osc1Phse 0 Osc2Phse 0 Sub1Semi .5 Sub2Semi .5 Sub1Fine .5 Sub2Fine .5 Flt2Cut 1
Flt2Res 0 Flt2Key 0 Lfo1Phse 0 Lfo2Phse 0 Lfo3Phse 0 Lfo4Phse 0 OscRoute 0 ModAmt13 .5
ModAmt14 .5 ModAmt15 .5 ModAmt16 .5 ModAmt17 .5 ModAmt18 .5 ModAmt19 .5 ModAmt20 .5
ModAmt21 .5 ModAmt22 .5 ModAmt23 .5 ModAmt24 .5 Flt2Type 0 Sub1AltW 0 Sub2AltW 0 ModSrc13 0
ModSrc14 0 ModSrc15 0 ModSrc16 0 ModSrc17 0 ModSrc18 0 ModSrc19 0 ModSrc20 0 ModSrc21 0
ModSrc22 0 ModSrc23 0 ModSrc24 0 ModDst13 0 ModDst14 0 ModDst15 0 ModDst16 0 ModDst17 0
ModDst18 0 ModDst19 0 ModDst20 0 ModDst21 0 ModDst22 0 ModDst23 0 ModDst24 0 Osc1DtSp 0
Osc2DtSp 0 Osc1DtMx .5 Osc2DtMx .5 Osc1Pan .5 Osc2Pan .5 Osc1DtVo 1 Osc2DtVo 1 Env4Att 0
Env4Dec 0 Env4Sus 1 Env4Rel R Env4Vel 0 KeySplit 0 PBRange2 B RvbDens .5 DlyAmp1 0 RvbAmp1 0
"""
_SPECIAL = {"R": 0.076632, "B": 1 / 6}


def default_program():
    words = PARAMETERS.split()
    return {name: _SPECIAL.get(v, None) if v in _SPECIAL else float(v)
            for name, v in zip(words[0::2], words[1::2])}


# Menu entries by the numbers they store (value = number / 100).
OSC_WAVE = {"off": 0, "saw": 2, "square": 3, "triangle": 4, "sine": 9, "white": 6, "pink": 7,
            "chime": 10, "organ": 11}
FILTER = {"off": 0, "lp24": 2, "lp12": 3, "hp": 5, "bp": 6, "notch": 7, "peak": 8}
LFO_WAVE = {"off": 0, "sine": 2, "triangle": 3, "square": 4, "saw": 5, "random": 7}
SUB_ALT = {"off": 0, "saw/square": 2, "triangle/sine": 3, "white/pink": 4, "chime/organ": 5}
MOD_SOURCE = {"lfo1": 1, "lfo2": 2, "lfo3": 3, "lfo4": 4, "velocity": 9, "env1": 5, "env2": 6,
              "env3": 7, "env4": 17, "cc1": 13, "cc2": 14, "const": 8, "random": 15, "bend": 10,
              "wheel": 11, "chanpress": 12, "keypress": 16, "polypress": 18, "slide": 19}
MOD_TARGET = {"osc1tune": 1, "osc1semi": 3, "osc1fine": 5, "osc1pw": 7, "osc1sub": 37,
              "osc1pan": 42, "osc1vol": 9, "osc2tune": 2, "osc2semi": 4, "osc2fine": 6,
              "osc2pw": 8, "osc2sub": 38, "osc2pan": 43, "osc2vol": 10, "oscxvol": 39,
              "cut1": 11, "res1": 12, "cut2": 40, "res2": 41,
              "lfo1rate": 44, "lfo2rate": 45, "lfo3rate": 46, "lfo4rate": 47}
MOD_TARGET.update({f"amt{n}": 12 + n for n in range(1, 25)})

LFO_DIVISIONS = ["8/1", "8/1T", "4/1D", "4/1", "4/1T", "2/1D", "2/1", "2/1T", "1/1D", "1/1", "1/1T",
                 "1/2D", "1/2", "1/2T", "1/4D", "1/4", "1/4T", "1/8D", "1/8", "1/8T", "1/16D",
                 "1/16", "1/16T", "1/32D", "1/32"]
DELAY_DIVISIONS = ["1/32T", "1/32", "1/32D", "1/16T", "1/16", "1/16D", "1/8T", "1/8", "1/8D",
                   "1/4T", "1/4", "1/4D", "1/2T", "1/2", "1/2D", "1/1T", "1/1"]


def code(table, entry):
    return table[entry] / 100


def semitones(n):
    """Coarse tuning of n semitones (-24..24): the middle of the value's step."""
    return 0.5 if n == 0 else min(1.0, 0.5 + (n + 0.5) / 48)


def cents(n):
    return 0.5 if n == 0 else min(1.0, 0.5 + (n + 0.5) / 200)


def seconds(t):
    """Envelope time (1 ms to 20 s)."""
    return ((max(t, 0.001) - 0.001) / 19.999) ** (1 / 3)


def hertz(f):
    """Filter cutoff in Hz (20 to 21000), without key tracking."""
    return ((min(max(f, 20), 21000) - 20) / 20980) ** 0.2


def lfo_hertz(f):
    return ((f - 0.01) / 49.99) ** (1 / 3)


def lfo_division(text):
    return (LFO_DIVISIONS.index(text) + 0.5) * 0.04


def delay_ms(ms):
    return ((ms - 10) / 5990) ** 0.5


def delay_division(text):
    return (DELAY_DIVISIONS.index(text) + 0.5) / 17


def delay_cutoff(f):
    return ((f - 10) / 19990) ** 0.25


def voices(n):
    """Polyphony; 0 is the mono mode with glide."""
    return 0 if n <= 1 else (n - 0.5) / 31


def unison(n):
    return [0.0, 0.0, 0.2, 0.4, 0.6, 0.8, 1.0][n]


def routing(mode):
    return (mode - 1) * 0.2 + 0.1


def split_note(note):
    return (note + 0.5) / 127


def bipolar(amount):
    """-1..+1 to the stored 0..1 of a modulation amount, LFO offset or sub level."""
    return 0.5 + amount / 2


def glide_ms(ms):
    return ms / 2000


def bend(semis):
    return semis / 12
