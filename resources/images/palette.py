"""Colours and type of a look. The built-in themes use DEFAULT; example themes swap the palette."""

from dataclasses import dataclass


def rgb(hex_colour, alpha=1.0):
    value = int(hex_colour.lstrip("#"), 16)
    return ((value >> 16) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0, alpha)


@dataclass(frozen=True)
class Palette:
    window_top: str = "#17191d"
    window_bottom: str = "#0f1013"
    header_top: str = "#23262c"
    header_bottom: str = "#181a1e"
    panel_top: str = "#2c3037"
    panel_bottom: str = "#1f2227"
    panel_edge: str = "#3e444d"
    well: str = "#101215"
    well_edge: str = "#343941"
    accent: str = "#ff7700"        # the voice lamps' orange
    accent_light: str = "#ffa04d"
    envelope: str = "#37c3d6"      # envelope knobs' own tint
    title: str = "#ff8a24"
    text: str = "#c9ced6"
    text_dim: str = "#7d848f"
    knob_top: str = "#555b64"
    knob_bottom: str = "#2a2d33"
    track: str = "#15171a"
    icon: str = "#c5cad3"
    font: str = "Liberation Sans"


DEFAULT = Palette()

# A cool, blue-steel variant for the example theme.
GLACIER = Palette(
    window_top="#121a22", window_bottom="#0b1016",
    header_top="#1a2631", header_bottom="#111921",
    panel_top="#1f2d3a", panel_bottom="#16212b", panel_edge="#33485a",
    well="#0a1117", well_edge="#2b3d4c",
    accent="#3fb8ff", accent_light="#8fd6ff", envelope="#b58cff", title="#6cc8ff",
    text="#d2e3f0", text_dim="#7891a6", knob_top="#4b6275", knob_bottom="#1e2b37",
    track="#0b1218", icon="#cfe4f5")
