"""Drawing primitives shared by the widgets and the backgrounds."""

import math

import cairo

from .palette import rgb


def set_colour(ctx, hex_colour, alpha=1.0):
    ctx.set_source_rgba(*rgb(hex_colour, alpha))


def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def vertical_gradient(y0, y1, top, bottom, alpha=1.0):
    gradient = cairo.LinearGradient(0, y0, 0, y1)
    gradient.add_color_stop_rgba(0, *rgb(top, alpha))
    gradient.add_color_stop_rgba(1, *rgb(bottom, alpha))
    return gradient


def text(ctx, pal, label, box, size, colour, align="center", bold=True, spacing=0.0, font=None):
    """Draws capital-height-centred text in box (x0, y0, x1, y1), aligned left or centred."""
    x0, y0, x1, y1 = box
    ctx.select_font_face(font or pal.font, cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    cap_height = -ctx.text_extents("H").y_bearing
    width = sum(ctx.text_extents(ch).x_advance for ch in label) + spacing * (len(label) - 1)
    x = x0 if align == "left" else (x0 + x1 - width) / 2
    baseline = round((y0 + y1 + cap_height) / 2)
    set_colour(ctx, colour)
    for ch in label:
        ctx.move_to(x, baseline)
        ctx.show_text(ch)
        x += ctx.text_extents(ch).x_advance + spacing


def panel(ctx, pal, x, y, w, h, radius=5):
    rounded_rect(ctx, x, y, w, h, radius)
    ctx.set_source(vertical_gradient(y, y + h, pal.panel_top, pal.panel_bottom))
    ctx.fill()
    rounded_rect(ctx, x + 0.5, y + 0.5, w - 1, h - 1, radius)
    set_colour(ctx, pal.panel_edge)
    ctx.set_line_width(1)
    ctx.stroke()
    # A faint highlight along the top edge reads as light from above.
    ctx.move_to(x + radius, y + 1.5)
    ctx.line_to(x + w - radius, y + 1.5)
    ctx.set_source_rgba(1, 1, 1, 0.06)
    ctx.stroke()


def well(ctx, pal, x, y, w, h, radius=3):
    """A recessed box behind a value or a display."""
    rounded_rect(ctx, x, y, w, h, radius)
    set_colour(ctx, pal.well)
    ctx.fill()
    rounded_rect(ctx, x + 0.5, y + 0.5, w - 1, h - 1, radius)
    set_colour(ctx, pal.well_edge)
    ctx.set_line_width(1)
    ctx.stroke()


def title_marker(ctx, pal, x, y, h):
    """The accent tab that sits at a section's edge beside its title."""
    rounded_rect(ctx, x, y, 3, h, 1.5)
    set_colour(ctx, pal.accent)
    ctx.fill()
