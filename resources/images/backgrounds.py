"""Backgrounds: window, Compact pages and lower pages, with every section frame, title, knob name
and caption at the place where the window puts the matching control."""

from .draw import panel, set_colour, text, title_marker, vertical_gradient, well

KNOB_ROW = (8, 80, 152, 224, 296)


def fill_window(ctx, pal, w, h):
    ctx.rectangle(0, 0, w, h)
    ctx.set_source(vertical_gradient(0, h, pal.window_top, pal.window_bottom))
    ctx.fill()


def section_frame(ctx, pal, width, title, title_box_width, title_size=13):
    panel(ctx, pal, -3, 1, width, 132)
    title_marker(ctx, pal, -3, 9, 14)
    text(ctx, pal, title, (5, 4, title_box_width + 40, 28), title_size, pal.title, align="left", spacing=0.6)


def knob_name(ctx, pal, label, x, y0=104, y1=128, width=80):
    text(ctx, pal, label, (x, y0, x + width, y1), 10, pal.text, spacing=0.5)


def small_caption(ctx, pal, label, box):
    text(ctx, pal, label, box, 8.5, pal.text_dim, spacing=0.6)


def oscillator(ctx, pal, n):
    section_frame(ctx, pal, 379, "OSC %d" % n, 56)
    small_caption(ctx, pal, "WAVE", (92, 4, 132, 28))
    for x, name in zip(KNOB_ROW, ("SEMI", "FINE", "DETUNE", "SUB", "VOLUME")):
        knob_name(ctx, pal, name, x - 8)


def filter_section(ctx, pal, n):
    section_frame(ctx, pal, 379, "FILTER %d" % n, 80)
    small_caption(ctx, pal, "TYPE", (96, 4, 132, 28))
    for x, name in zip((48, 144, 240), ("CUTOFF", "RESONANCE", "KEY TRACK")):
        knob_name(ctx, pal, name, x)


def envelope(ctx, pal, title):
    section_frame(ctx, pal, 379, title, 96)
    for x, name in zip((0, 72, 144, 216, 288), ("ATTACK", "DECAY", "SUSTAIN", "RELEASE", "VEL SENS")):
        knob_name(ctx, pal, name, x)


def lfo(ctx, pal, n):
    section_frame(ctx, pal, 187, "LFO %d" % n, 20)
    knob_name(ctx, pal, "RATE", 0)
    for label, box in (("FREE", (68, 64, 116, 80)), ("SYNC", (68, 112, 116, 128)),
                       ("PHASE", (120, 64, 168, 80)), ("OFFSET", (120, 112, 168, 128))):
        text(ctx, pal, label, box, 9, pal.text, spacing=0.5)
    for y in (40, 88):
        well(ctx, pal, 121, y + 1, 46, 22)


ENVELOPE_TITLES = ("ENV / AMP 1", "ENV / AMP 2", "ENV 3", "ENV 4")


def at(ctx, origin, draw, *args):
    ctx.save()
    ctx.translate(*origin)
    draw(*args)
    ctx.restore()


def header(ctx, pal, width, h):
    ctx.rectangle(0, 0, width, 48)
    ctx.set_source(vertical_gradient(0, 48, pal.header_top, pal.header_bottom))
    ctx.fill()
    ctx.rectangle(0, 47, width, 1)
    set_colour(ctx, pal.accent, 0.55)
    ctx.fill()
    # Name over the voice lamps, and the lamps' slot.
    text(ctx, pal, "MORVELLINE", (48, 12, 200, 29), 11, pal.text, align="left", spacing=3.2)
    well(ctx, pal, 45, 31, 132, 7, 2)
    # Program number and name share one display.
    well(ctx, pal, h + 348, 13, 264, 22)
    ctx.rectangle(h + 385, 17, 1, 14)
    set_colour(ctx, pal.well_edge)
    ctx.fill()
    # Master volume display and its caption, the MIDI lamp's caption.
    well(ctx, pal, h + 670, 11, 52, 26)
    small_caption(ctx, pal, "MASTER", (h + 664, 37, h + 728, 47))
    small_caption(ctx, pal, "MIDI", (h + 640, 37, h + 672, 47))


def tab_row(ctx, pal, y, width):
    ctx.rectangle(0, y, width, 24)
    ctx.set_source(vertical_gradient(y, y + 24, pal.header_bottom, pal.window_bottom))
    ctx.fill()
    ctx.rectangle(0, y, width, 1)
    set_colour(ctx, pal.panel_edge)
    ctx.fill()


def extended_main(ctx, pal):
    fill_window(ctx, pal, 1168, 632)
    header(ctx, pal, 1168, 112)
    upper = 48
    for n, x in ((1, 16), (2, 400)):
        at(ctx, (x, upper), oscillator, ctx, pal, n)
        at(ctx, (x, upper + 136), filter_section, ctx, pal, n)
        at(ctx, (x, upper + 272), envelope, ctx, pal, ENVELOPE_TITLES[n - 1])
    at(ctx, (784, upper + 272), envelope, ctx, pal, ENVELOPE_TITLES[2])
    at(ctx, (784, 456), envelope, ctx, pal, ENVELOPE_TITLES[3])
    for n, origin in ((1, (784, 0)), (2, (976, 0)), (3, (784, 136)), (4, (976, 136))):
        at(ctx, (origin[0], upper + origin[1]), lfo, ctx, pal, n)
    tab_row(ctx, pal, 608, 784)
    wordmark(ctx, pal, 781, 592, 1165, 632)


def wordmark(ctx, pal, x0, y0, x1, y1):
    text(ctx, pal, "MORVELLINE", (x0, y0, x1, y1 - 10), 20, pal.text, spacing=6)
    text(ctx, pal, "POLYPHONIC  WAVETABLE  SYNTHESIZER", (x0, y1 - 14, x1, y1 - 2), 7.5, pal.accent, spacing=1.6)


def compact_main(ctx, pal):
    fill_window(ctx, pal, 784, 520)
    header(ctx, pal, 784, 16)
    tab_row(ctx, pal, 48, 784)
    tab_row(ctx, pal, 496, 784)


def compact_page1(ctx, pal):
    fill_window(ctx, pal, 784, 272)
    for n, x in ((1, 16), (2, 400)):
        at(ctx, (x, 0), oscillator, ctx, pal, n)
    # Under the filter and envelope page views, which show their own pages.
    at(ctx, (16, 136), filter_section, ctx, pal, 1)
    at(ctx, (400, 136), envelope, ctx, pal, ENVELOPE_TITLES[0])


def compact_page2(ctx, pal):
    fill_window(ctx, pal, 784, 272)
    for n, x in ((1, 16), (2, 208), (3, 400), (4, 592)):
        at(ctx, (x, 0), lfo, ctx, pal, n)
    at(ctx, (16, 136), envelope, ctx, pal, ENVELOPE_TITLES[2])
    at(ctx, (400, 136), envelope, ctx, pal, ENVELOPE_TITLES[3])


def compact_subpage(draw, *args):
    """A filter or envelope page of 385 x 136, its section at (8, 0)."""
    def paint(ctx, pal):
        fill_window(ctx, pal, 385, 136)
        at(ctx, (8, 0), draw, ctx, pal, *args)
    return paint


# Lower pages, 784 x 152.

def lower_panel(ctx, pal, x, w, title, title_x, title_w):
    panel(ctx, pal, x, 1, w, 147)
    title_marker(ctx, pal, x, 13, 14)
    left = max(title_x, x + 7)
    text(ctx, pal, title, (left, 8, title_x + title_w + 60, 32), 13, pal.title, align="left", spacing=0.6)


def value_wells(ctx, pal, x0, x1, rows=(40, 64, 88, 112)):
    for y in rows:
        well(ctx, pal, x0 + 2, y + 3, x1 - x0 - 4, 18)


def matrix_page(ctx, pal, page):
    fill_window(ctx, pal, 784, 152)
    lower_panel(ctx, pal, 13, 763, "MOD MATRIX %d" % page, 16, 140)
    for c in range(3):
        x = 24 + 240 * c
        for label, x0, x1 in (("SOURCE", x + 32, x + 104), ("AMOUNT", x + 104, x + 152), ("TARGET", x + 152, x + 240)):
            small_caption(ctx, pal, label, (x0, 29, x1, 39))
        for r in range(4):
            y = 40 + 24 * r
            ctx.rectangle(x + 12, y + 2, 226, 20)
            ctx.set_source_rgba(1, 1, 1, 0.035 if r % 2 == 0 else 0.015)
            ctx.fill()
            well(ctx, pal, x + 106, y + 3, 44, 18)
        if c > 0:
            ctx.rectangle(x + 4, 34, 1, 100)
            set_colour(ctx, pal.panel_edge)
            ctx.fill()


def oscillator_page(ctx, pal):
    fill_window(ctx, pal, 784, 152)
    for n, dx in ((1, 0), (2, 384)):
        lower_panel(ctx, pal, 13 + dx, 379, "OSC %d" % n, 16 + dx, 56)
        value_wells(ctx, pal, 136 + dx, 192 + dx)
        value_wells(ctx, pal, 296 + dx, 368 + dx)


def play_page(ctx, pal):
    fill_window(ctx, pal, 784, 152)
    lower_panel(ctx, pal, 13, 379, "PLAY", 16, 56)
    value_wells(ctx, pal, 128, 200)
    value_wells(ctx, pal, 296, 368)
    lower_panel(ctx, pal, 397, 228, "ROUTING", 400, 200)
    well(ctx, pal, 398, 38, 212, 76)
    lower_panel(ctx, pal, 627, 149, "MIDI LEARN", 632, 96)
    for y in (64, 112):
        well(ctx, pal, 634, y + 2, 116, 20)


def effects_page(ctx, pal):
    fill_window(ctx, pal, 784, 152)
    lower_panel(ctx, pal, 13, 379, "DELAY", 16, 80)
    value_wells(ctx, pal, 128, 200)
    value_wells(ctx, pal, 296, 368, rows=(112,))
    lower_panel(ctx, pal, 397, 379, "REVERB", 400, 80)
    value_wells(ctx, pal, 512, 584)
    value_wells(ctx, pal, 680, 752, rows=(88, 112))


def footer(ctx, pal, width, y0, y1):
    """The strip a theme's bottom padding adds under the window."""
    ctx.rectangle(0, y0, width, 1)
    set_colour(ctx, pal.accent, 0.45)
    ctx.fill()
    text(ctx, pal, "MORVELLINE", (16, y0, 400, y1), 9, pal.text_dim, align="left", spacing=3)
