"""Knob strips, switches, buttons, icons and the routing pictures."""

import math

import cairo

from .draw import rounded_rect, set_colour, text, vertical_gradient, well
from .palette import rgb

KNOB_FRAMES = 101
ARC_START = math.radians(135)  # the knob's minimum, lower left
ARC_SWEEP = math.radians(270)


def knob_strip(ctx, pal, kind):
    """101 frames of 64 x 64; kind is "BP" (bipolar), "CW" (from the minimum) or "Env"."""
    colour = pal.envelope if kind == "Env" else pal.accent
    for frame in range(KNOB_FRAMES):
        ctx.save()
        ctx.translate(0, frame * 64)
        knob_frame(ctx, pal, frame / (KNOB_FRAMES - 1), kind == "BP", colour)
        ctx.restore()


def knob_frame(ctx, pal, value, bipolar, colour):
    cx = cy = 32
    angle = ARC_START + value * ARC_SWEEP
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    # Value track, then the value arc over it.
    ctx.set_line_width(4)
    set_colour(ctx, pal.track)
    ctx.arc(cx, cy, 27, ARC_START, ARC_START + ARC_SWEEP)
    ctx.stroke()
    origin = ARC_START + (0.5 if bipolar else 0.0) * ARC_SWEEP
    lo, hi = min(origin, angle), max(origin, angle)
    if hi - lo > 1e-6:
        set_colour(ctx, colour)
        ctx.arc(cx, cy, 27, lo, hi)
        ctx.stroke()
    elif not bipolar:
        pass
    # Tick marks at the ends (and at the centre of bipolar knobs).
    ticks = [ARC_START, ARC_START + ARC_SWEEP] + ([ARC_START + ARC_SWEEP / 2] if bipolar else [])
    ctx.set_line_width(1.2)
    set_colour(ctx, pal.text_dim)
    for tick in ticks:
        ctx.move_to(cx + 30.5 * math.cos(tick), cy + 30.5 * math.sin(tick))
        ctx.line_to(cx + 32 * math.cos(tick), cy + 32 * math.sin(tick))
        ctx.stroke()
    # Body: shadow, gradient cap, rim.
    ctx.arc(cx, cy + 1.5, 20, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.45)
    ctx.fill()
    ctx.arc(cx, cy, 19.5, 0, 2 * math.pi)
    ctx.set_source(vertical_gradient(cy - 20, cy + 20, pal.knob_top, pal.knob_bottom))
    ctx.fill()
    ctx.arc(cx, cy, 19, 0, 2 * math.pi)
    ctx.set_line_width(1)
    ctx.set_source_rgba(1, 1, 1, 0.12)
    ctx.stroke()
    ctx.arc(cx, cy, 14.5, 0, 2 * math.pi)
    ctx.set_source(vertical_gradient(cy - 15, cy + 15, pal.knob_bottom, pal.knob_top, 0.55))
    ctx.fill()
    # Pointer.
    ctx.set_line_width(3)
    set_colour(ctx, "#f2f2f2")
    ctx.move_to(cx + 7 * math.cos(angle), cy + 7 * math.sin(angle))
    ctx.line_to(cx + 17 * math.cos(angle), cy + 17 * math.sin(angle))
    ctx.stroke()


def two_states(ctx, width, height, draw_state):
    """Stacks two states of a control: the first (off, released) on top."""
    for state in (0, 1):
        ctx.save()
        ctx.translate(0, state * height)
        ctx.rectangle(0, 0, width, height)
        ctx.clip()
        draw_state(state)
        ctx.restore()


def switch_on_off(ctx, pal, round_led=False):
    def draw(on):
        if round_led:
            ctx.arc(8, 8, 6.5, 0, 2 * math.pi)
        else:
            rounded_rect(ctx, 1.5, 1.5, 13, 13, 3)
        if on:
            gradient = cairo.RadialGradient(7, 6, 1, 8, 8, 8)
            gradient.add_color_stop_rgba(0, *rgb(pal.accent_light))
            gradient.add_color_stop_rgba(1, *rgb(pal.accent))
            ctx.set_source(gradient)
        else:
            ctx.set_source(vertical_gradient(1, 15, pal.well, pal.panel_bottom))
        ctx.fill_preserve()
        set_colour(ctx, pal.accent if on else pal.well_edge)
        ctx.set_line_width(1)
        ctx.stroke()
        if not round_led:
            # A check mark makes the on state read at any size and in any palette.
            ctx.set_line_width(1.8)
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            ctx.set_line_join(cairo.LINE_JOIN_ROUND)
            ctx.move_to(4.5, 8.2)
            ctx.line_to(7, 10.8)
            ctx.line_to(11.5, 5.2)
            if on:
                set_colour(ctx, "#1a1a1a", 0.85)
            else:
                set_colour(ctx, pal.text_dim, 0.35)
            ctx.stroke()
    two_states(ctx, 16, 16, draw)


def tab_button(ctx, pal, width, label, bar_at_top):
    """Tab states: unselected on top, selected below; the accent bar faces the page."""
    def draw(selected):
        bar_y = 0 if bar_at_top else 22
        ctx.rectangle(0, 0, width, 24)
        if selected:
            ctx.set_source(vertical_gradient(0, 24, pal.panel_top, pal.panel_bottom))
        else:
            ctx.set_source(vertical_gradient(0, 24, pal.header_bottom, pal.window_bottom))
        ctx.fill()
        ctx.rectangle(width - 1, 3, 1, 18)
        set_colour(ctx, pal.panel_edge)
        ctx.fill()
        if selected:
            ctx.rectangle(2, bar_y, width - 5, 2)
            set_colour(ctx, pal.accent)
            ctx.fill()
        text(ctx, pal, label, (0, 0, width - 1, 24), 10.5, pal.text if selected else pal.text_dim, spacing=0.8)
    two_states(ctx, width, 24, draw)


def arrow_button(ctx, pal, size, pointing_right):
    """Kick and page buttons: released on top, pressed below."""
    def draw(pressed):
        inset = 1.5 if size > 16 else 0.5
        rounded_rect(ctx, inset, inset, size - 2 * inset, size - 2 * inset, 3)
        ctx.set_source(vertical_gradient(0, size, pal.knob_top if not pressed else pal.knob_bottom,
                                         pal.knob_bottom if not pressed else pal.knob_top))
        ctx.fill_preserve()
        set_colour(ctx, pal.accent if pressed else pal.panel_edge)
        ctx.set_line_width(1)
        ctx.stroke()
        s = size / 16.0
        direction = 1 if pointing_right else -1
        cx, cy = size / 2 + 0.5 * direction * s, size / 2
        ctx.move_to(cx + 3 * s * direction, cy)
        ctx.line_to(cx - 2.5 * s * direction, cy - 4 * s)
        ctx.line_to(cx - 2.5 * s * direction, cy + 4 * s)
        ctx.close_path()
        set_colour(ctx, pal.accent_light if pressed else pal.icon)
        ctx.fill()
    two_states(ctx, size, size, draw)


def midi_note_lamp(ctx, pal):
    def draw(on):
        colour = pal.accent if on else pal.well_edge
        if on:
            glow = cairo.RadialGradient(8, 8, 0, 8, 8, 8)
            glow.add_color_stop_rgba(0, *rgb(pal.accent, 0.45))
            glow.add_color_stop_rgba(1, *rgb(pal.accent, 0.0))
            ctx.set_source(glow)
            ctx.paint()
        # An eighth note: head, stem, flag.
        ctx.save()
        ctx.translate(5.5, 11.5)
        ctx.rotate(-0.35)
        ctx.scale(1.0, 0.72)
        ctx.arc(0, 0, 3.2, 0, 2 * math.pi)
        ctx.restore()
        set_colour(ctx, colour if on else pal.text_dim)
        ctx.fill()
        ctx.rectangle(8, 2.5, 1.4, 9)
        ctx.fill()
        ctx.move_to(9.4, 2.5)
        ctx.curve_to(10.5, 5, 13.5, 5.5, 12, 9)
        ctx.curve_to(12.5, 6.5, 10.5, 6, 9.4, 6)
        ctx.close_path()
        ctx.fill()
    two_states(ctx, 16, 16, draw)


def menu_icon(ctx, pal, kind):
    set_colour(ctx, pal.icon)
    ctx.set_line_width(1.4)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    if kind == "Scale":
        # A window with an arrow growing it from its corner.
        rounded_rect(ctx, 1.7, 1.7, 12.6, 12.6, 2)
        ctx.stroke()
        ctx.move_to(5, 11)
        ctx.line_to(11, 5)
        ctx.move_to(7.2, 5)
        ctx.line_to(11, 5)
        ctx.line_to(11, 8.8)
        ctx.stroke()
    elif kind == "Config":
        # A cog.
        for tooth in range(8):
            a = tooth * math.pi / 4
            ctx.save()
            ctx.translate(8, 8)
            ctx.rotate(a)
            ctx.rectangle(-1.4, -7.5, 2.8, 3.2)
            ctx.restore()
        ctx.fill()
        ctx.arc(8, 8, 5.2, 0, 2 * math.pi)
        ctx.fill()
        ctx.arc(8, 8, 2.1, 0, 2 * math.pi)
        set_colour(ctx, pal.header_bottom)
        ctx.fill()
    elif kind == "Bank":
        # A folder: banks are files of programs.
        ctx.move_to(1.5, 4)
        ctx.line_to(6, 4)
        ctx.line_to(7.5, 5.5)
        ctx.line_to(14.5, 5.5)
        ctx.line_to(14.5, 13.5)
        ctx.line_to(1.5, 13.5)
        ctx.close_path()
        ctx.fill()
        ctx.rectangle(2.5, 7.3, 11, 1.2)
        set_colour(ctx, pal.header_bottom)
        ctx.fill()
    elif kind == "Preset":
        # A list.
        for y in (3.5, 8, 12.5):
            ctx.arc(2.8, y, 1.2, 0, 2 * math.pi)
            ctx.fill()
            ctx.move_to(6, y)
            ctx.line_to(14, y)
            ctx.stroke()


def menu_options_icon(ctx, pal):
    rounded_rect(ctx, 2.5, 2.5, 19, 19, 4)
    ctx.set_source(vertical_gradient(2, 22, pal.knob_top, pal.knob_bottom))
    ctx.fill_preserve()
    set_colour(ctx, pal.panel_edge)
    ctx.set_line_width(1)
    ctx.stroke()
    set_colour(ctx, pal.icon)
    for x in (7.5, 12, 16.5):
        ctx.arc(x, 12, 1.6, 0, 2 * math.pi)
        ctx.fill()


def routing_selector(ctx, pal):
    """Five frames of 120 x 24, frame k with position k lit."""
    for frame in range(5):
        for position in range(5):
            x, y = position * 24, frame * 24
            lit = position == frame
            rounded_rect(ctx, x + 1.5, y + 2.5, 21, 19, 3)
            if lit:
                ctx.set_source(vertical_gradient(y, y + 24, pal.accent_light, pal.accent))
            else:
                ctx.set_source(vertical_gradient(y, y + 24, pal.knob_top, pal.knob_bottom))
            ctx.fill_preserve()
            set_colour(ctx, pal.accent if lit else pal.panel_edge)
            ctx.set_line_width(1)
            ctx.stroke()
            text(ctx, pal, str(position + 1), (x, y, x + 24, y + 24), 11,
                 "#1a1a1a" if lit else pal.text_dim)


# Routing pictures: sides 1 and 2 on rows y 20 and y 52.
ROW = (20, 52)


def _block(ctx, pal, x, y, label, colour):
    rounded_rect(ctx, x - 14, y - 9, 28, 18, 3)
    set_colour(ctx, pal.well)
    ctx.fill_preserve()
    set_colour(ctx, colour)
    ctx.set_line_width(1.2)
    ctx.stroke()
    text(ctx, pal, label, (x - 14, y - 9, x + 14, y + 9), 9, colour)


def _wire(ctx, pal, points, arrow=True):
    set_colour(ctx, pal.text_dim)
    ctx.set_line_width(1.3)
    ctx.move_to(*points[0])
    for p in points[1:]:
        ctx.line_to(*p)
    ctx.stroke()
    if arrow:
        (x0, y0), (x1, y1) = points[-2], points[-1]
        a = math.atan2(y1 - y0, x1 - x0)
        ctx.move_to(x1, y1)
        ctx.line_to(x1 - 5 * math.cos(a - 0.45), y1 - 5 * math.sin(a - 0.45))
        ctx.line_to(x1 - 5 * math.cos(a + 0.45), y1 - 5 * math.sin(a + 0.45))
        ctx.close_path()
        ctx.fill()


def _sum(ctx, pal, x, y):
    ctx.arc(x, y, 4.5, 0, 2 * math.pi)
    set_colour(ctx, pal.well)
    ctx.fill_preserve()
    set_colour(ctx, pal.text_dim)
    ctx.set_line_width(1.2)
    ctx.stroke()
    ctx.move_to(x - 2.5, y)
    ctx.line_to(x + 2.5, y)
    ctx.move_to(x, y - 2.5)
    ctx.line_to(x, y + 2.5)
    ctx.stroke()


def routing_diagram(ctx, pal, mode):
    """One 200 x 72 picture of a routing: which side goes through which filter to which amp."""
    top, bottom = ROW
    osc, amp = 18, 180
    o, f, a = pal.text, pal.accent, pal.envelope
    if mode in (0, 1, 2):
        f1, f2 = 82, 134
        if mode == 0:
            _wire(ctx, pal, [(osc + 14, top), (44, top)], arrow=False)
            _wire(ctx, pal, [(osc + 14, bottom), (44, bottom), (44, top + 4.5)], arrow=False)
            _sum(ctx, pal, 44, top)
            _wire(ctx, pal, [(48.5, top), (f1 - 14, top)])
            _wire(ctx, pal, [(f1 + 14, top), (f2 - 14, top)])
        else:
            _wire(ctx, pal, [(osc + 14, top), (f1 - 14, top)])
            if mode == 1:
                _wire(ctx, pal, [(f1 + 14, top), (103.5, top)], arrow=False)
                _wire(ctx, pal, [(osc + 14, bottom), (108, bottom), (108, top + 4.5)], arrow=False)
                _sum(ctx, pal, 108, top)
                _wire(ctx, pal, [(112.5, top), (f2 - 14, top)])
            else:
                _wire(ctx, pal, [(f1 + 14, top), (f2 - 14, top)])
        _wire(ctx, pal, [(f2 + 14, top), (amp - 14, top)])
        _block(ctx, pal, f1, top, "F1", f)
        _block(ctx, pal, f2, top, "F2", f)
        if mode == 2:
            _wire(ctx, pal, [(osc + 14, bottom), (amp - 14, bottom)])
            _block(ctx, pal, amp, bottom, "A2", a)
    else:
        f1 = f2 = 92
        _wire(ctx, pal, [(osc + 14, top), (f1 - 14, top)])
        _wire(ctx, pal, [(osc + 14, bottom), (f2 - 14, bottom)])
        if mode == 3:
            _wire(ctx, pal, [(f1 + 14, top), (amp - 14, top)])
            _wire(ctx, pal, [(f2 + 14, bottom), (140, bottom), (140, top + 4.5)], arrow=False)
            _sum(ctx, pal, 140, top)
        else:
            _wire(ctx, pal, [(f1 + 14, top), (amp - 14, top)])
            _wire(ctx, pal, [(f2 + 14, bottom), (amp - 14, bottom)])
            _block(ctx, pal, amp, bottom, "A2", a)
        _block(ctx, pal, f1, top, "F1", f)
        _block(ctx, pal, f2, bottom, "F2", f)
    _block(ctx, pal, osc, top, "O1", o)
    _block(ctx, pal, osc, bottom, "O2", o)
    _block(ctx, pal, amp, top, "A1", a)


def routing_movie(ctx, pal):
    for mode in range(5):
        ctx.save()
        ctx.translate(0, mode * 72)
        routing_diagram(ctx, pal, mode)
        ctx.restore()
