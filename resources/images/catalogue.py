"""Every built-in image: name stem, native size, the layouts that use it and how it is drawn."""

from functools import partial

from . import backgrounds as bg
from . import widgets as wd

BOTH, COMPACT, EXTENDED = "CE", "C", "E"

def catalogue():
    """(stem, layouts, {layout: (width, height, draw(ctx, palette))})."""
    entries = []

    def add(stem, layouts, w, h, draw):
        entries.append((stem, layouts, {layout: (w, h, draw) for layout in layouts}))

    entries.append(("BackMain", BOTH, {"C": (784, 520, bg.compact_main), "E": (1168, 632, bg.extended_main)}))
    add("BackMain1", COMPACT, 784, 272, bg.compact_page1)
    add("BackMain2", COMPACT, 784, 272, bg.compact_page2)
    for n in (1, 2):
        add("BackFlt%d" % n, COMPACT, 385, 136, bg.compact_subpage(bg.filter_section, n))
        add("BackEnv%d" % n, COMPACT, 385, 136, bg.compact_subpage(bg.envelope, bg.ENVELOPE_TITLES[n - 1]))
    add("SwitchMain1", COMPACT, 72, 48, lambda c, p: wd.tab_button(c, p, 72, "VOICE", False))
    add("SwitchMain2", COMPACT, 64, 48, lambda c, p: wd.tab_button(c, p, 64, "LFO/ENV", False))
    pages = (partial(bg.matrix_page, page=1), partial(bg.matrix_page, page=2),
             bg.oscillator_page, bg.play_page, bg.effects_page)
    for n, draw in enumerate(pages, 1):
        add("BackSub%d" % n, BOTH, 784, 152, lambda c, p, d=draw: d(c, p))
    for n, label in enumerate(("MATRIX 1", "MATRIX 2", "OSC", "PLAY", "EFFECTS"), 1):
        add("SwitchSub%d" % n, BOTH, 72, 48, lambda c, p, l=label: wd.tab_button(c, p, 72, l, True))
    for kind in ("BP", "CW", "Env"):
        add("KnobMain" + kind, BOTH, 64, 6464, lambda c, p, k=kind: wd.knob_strip(c, p, k))
    add("SwitchOnOff", BOTH, 16, 32, lambda c, p: wd.switch_on_off(c, p))
    add("SwitchOnOffSub", BOTH, 16, 32, lambda c, p: wd.switch_on_off(c, p, round_led=True))
    add("SwitchOscRouting", BOTH, 120, 120, wd.routing_selector)
    add("MovieOscRouting", BOTH, 200, 360, wd.routing_movie)
    add("MovieMidiNote", BOTH, 16, 32, wd.midi_note_lamp)
    for kind in ("Scale", "Config", "Bank", "Preset"):
        add("Menu" + kind, BOTH, 16, 16, lambda c, p, k=kind: wd.menu_icon(c, p, k))
    add("MenuOptions", BOTH, 24, 24, wd.menu_options_icon)
    add("ButtonPresetPrev", BOTH, 16, 32, lambda c, p: wd.arrow_button(c, p, 16, False))
    add("ButtonPresetNext", BOTH, 16, 32, lambda c, p: wd.arrow_button(c, p, 16, True))
    add("ButtonPagePrev", COMPACT, 24, 48, lambda c, p: wd.arrow_button(c, p, 24, False))
    add("ButtonPageNext", COMPACT, 24, 48, lambda c, p: wd.arrow_button(c, p, 24, True))
    return entries

def images(layouts=BOTH):
    """(name, width, height, draw) for every image of the given layouts, in a stable order."""
    result = []
    for stem, used_by, sizes in catalogue():
        for layout in layouts:
            if layout in used_by:
                w, h, draw = sizes[layout]
                result.append((layout + "_" + stem, w, h, draw))
    return sorted(result, key=lambda item: item[0])
