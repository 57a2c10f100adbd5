#!/usr/bin/python3
"""Lays every PNG of a folder out on one sheet with its name, knob strips as a few frames.

  contact_sheet.py IMAGE_FOLDER OUT.png
"""

import os
import sys

import cairo

KNOB_FRAMES_SHOWN = (0, 25, 50, 75, 100)


def tiles(folder):
    for name in sorted(os.listdir(folder)):
        if name.endswith(".png"):
            yield name[:-4], cairo.ImageSurface.create_from_png(os.path.join(folder, name))


def tile_size(name, image):
    if "Knob" in name:
        frame = image.get_width()
        return frame * len(KNOB_FRAMES_SHOWN) + 4 * (len(KNOB_FRAMES_SHOWN) - 1), frame
    return image.get_width(), image.get_height()


def main():
    folder, out = sys.argv[1], sys.argv[2]
    items = list(tiles(folder))
    width, margin, label = 1200, 12, 14
    # Shelf packing: tiles left to right, a new shelf when a row is full.
    placed, x, y, shelf = [], margin, margin, 0
    for name, image in items:
        w, h = tile_size(name, image)
        if x + w > width - margin and x > margin:
            x, y, shelf = margin, y + shelf + label + margin, 0
        placed.append((name, image, x, y))
        x += max(w, 90) + margin
        shelf = max(shelf, h)
    height = y + shelf + label + margin
    sheet = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    ctx = cairo.Context(sheet)
    ctx.set_source_rgb(0.35, 0.36, 0.38)
    ctx.paint()
    ctx.select_font_face("Liberation Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(10)
    for name, image, x, y in placed:
        if "Knob" in name:
            frame = image.get_width()
            for i, index in enumerate(KNOB_FRAMES_SHOWN):
                ctx.set_source_surface(image, x + i * (frame + 4), y - index * frame)
                ctx.rectangle(x + i * (frame + 4), y, frame, frame)
                ctx.fill()
        else:
            ctx.set_source_surface(image, x, y)
            ctx.paint()
        ctx.set_source_rgb(1, 1, 1)
        ctx.move_to(x, y + tile_size(name, image)[1] + 11)
        ctx.show_text(name)
    sheet.write_to_png(out)


if __name__ == "__main__":
    main()
