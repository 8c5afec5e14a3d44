#!/usr/bin/python3
"""Draws the program's icons: a rounded key-cap with the letter क on it,
coloured while a keymap is on (korimo-on.ico) and grey while it is off
(korimo-off.ico).

Each size is drawn on its own, eight times larger, then scaled down, so that
the small tray sizes stay sharp. The .ico files hold 16, 20, 24, 32, 40, 48
and 64 pixel images as 32-bit bitmaps and the 256 pixel one as PNG.

Usage: make-icons.py [--out DIR] [--preview FILE.png]
Needs Debian's python3-pil and fonts-lohit-deva (tools/setup.sh installs them).
"""

import argparse
import io
import os
import struct
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
SCALE = 8
LETTER = "\u0915"  # क

# skirt (the key's sides), top face from its upper to its lower colour, letter
THEMES = {
    "on": {"edge": (18, 64, 64), "skirt": (33, 96, 96), "top": [(62, 158, 152), (38, 122, 118)],
           "letter": (255, 255, 255), "shadow": (16, 60, 60)},
    "off": {"edge": (92, 92, 92), "skirt": (140, 140, 140), "top": [(244, 244, 244), (206, 206, 206)],
            "letter": (70, 70, 70), "shadow": None},
}


def font_path():
    known = "/usr/share/fonts/truetype/lohit-devanagari/Lohit-Devanagari.ttf"
    if os.path.exists(known):
        return known
    found = subprocess.run(["fc-match", "-f", "%{file}", "Lohit Devanagari"],
                           capture_output=True, text=True).stdout
    if not found or not os.path.exists(found):
        sys.exit("make-icons: the Lohit Devanagari font is missing (fonts-lohit-deva)")
    return found


def vertical_gradient(width, height, top, bottom):
    image = Image.new("RGBA", (width, height))
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = y / max(1, height - 1)
        draw.line([(0, y), (width, y)],
                  fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,))
    return image


def draw_icon(size, theme, font_file):
    """One image of the given size, drawn SCALE times larger and scaled down."""
    big = size * SCALE
    u = big / 16.0  # one pixel of the 16 pixel icon
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    radius = 3.2 * u
    # the whole key: a dark edge around the skirt
    draw.rounded_rectangle([0, 0.4 * u, big - 1, big - 1], radius, fill=theme["edge"] + (255,))
    draw.rounded_rectangle([0.7 * u, 1.1 * u, big - 1 - 0.7 * u, big - 1 - 0.7 * u],
                           radius - 0.7 * u, fill=theme["skirt"] + (255,))
    # the top face, lighter, set back from the bottom edge like a key's
    small = size <= 24  # tray sizes: a thinner skirt leaves the letter more room
    inset = 1.2 * u if small else 1.6 * u
    left, top, right, bottom = inset, 1.2 * u, big - inset, big - (2.6 if small else 3.2) * u
    face = vertical_gradient(int(right - left), int(bottom - top), *theme["top"])
    mask = Image.new("L", face.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, face.size[0] - 1, face.size[1] - 1],
                                           2.2 * u, fill=255)
    image.paste(face, (int(left), int(top)), mask)

    # the letter, as large as the face allows, a little bold at small sizes
    stroke = round((0.55 if small else 0.35) * u)
    font = ImageFont.truetype(font_file, int(15.5 * u))
    box = draw.textbbox((0, 0), LETTER, font=font, stroke_width=stroke)
    width, height = box[2] - box[0], box[3] - box[1]
    fill = 0.94 if small else 0.86
    target_w, target_h = (right - left) * fill, (bottom - top) * fill
    factor = min(target_w / width, target_h / height)
    font = ImageFont.truetype(font_file, int(15.5 * u * factor))
    stroke = max(1, round(stroke * factor))
    box = draw.textbbox((0, 0), LETTER, font=font, stroke_width=stroke)
    x = (left + right) / 2 - (box[0] + box[2]) / 2
    y = (top + bottom) / 2 - (box[1] + box[3]) / 2
    if theme["shadow"]:
        draw.text((x, y + 0.6 * u), LETTER, font=font, fill=theme["shadow"] + (255,),
                  stroke_width=stroke, stroke_fill=theme["shadow"] + (255,))
    draw.text((x, y), LETTER, font=font, fill=theme["letter"] + (255,),
              stroke_width=stroke, stroke_fill=theme["letter"] + (255,))
    return image.resize((size, size), Image.LANCZOS)


def bitmap_entry(image):
    """A 32-bit BGRA DIB with its AND mask, as an .ico entry holds it."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up rows
        for x in range(width):
            r, g, b, a = image.getpixel((x, y))
            pixels += bytes((b, g, r, a))
    mask_row = ((width + 31) // 32) * 4
    mask = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(width):
            if image.getpixel((x, y))[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def png_entry(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


def write_ico(path, images):
    entries = [png_entry(i) if i.size[0] >= 256 else bitmap_entry(i) for i in images]
    offset = 6 + 16 * len(images)
    data = struct.pack("<HHH", 0, 1, len(images))
    for image, entry in zip(images, entries):
        side = image.size[0] % 256  # 0 stands for 256
        data += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(entry), offset)
        offset += len(entry)
    with open(path, "wb") as f:
        f.write(data + b"".join(entries))


def preview(path, drawn):
    """Both icons at every size, on a light and a dark strip, and enlarged."""
    sizes = [s for s in SIZES if s <= 64]
    width = sum(s + 12 for s in sizes) + 12 + 2 * (16 * 8 + 12)
    sheet = Image.new("RGBA", (width, 2 * (64 + 24) * 2), (255, 255, 255, 255))
    y = 12
    for name in ("off", "on"):
        for background in ((243, 243, 243), (32, 32, 32)):
            ImageDraw.Draw(sheet).rectangle([0, y - 12, width, y + 64 + 12], fill=background)
            x = 12
            for image in drawn[name][:len(sizes)]:
                sheet.alpha_composite(image, (x, y + 64 - image.size[1]))
                x += image.size[0] + 12
            for small in drawn[name][:2]:
                big = small.resize((small.size[0] * 4, small.size[1] * 4), Image.NEAREST)
                sheet.alpha_composite(big.crop((0, 0, min(big.size[0], 128), 64)), (x, y))
                x += 16 * 8 + 12
            y += 64 + 24
    sheet.save(path)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(REPO, "app", "icons"))
    parser.add_argument("--preview")
    args = parser.parse_args(argv)
    font_file = font_path()
    drawn = {name: [draw_icon(s, theme, font_file) for s in SIZES] for name, theme in THEMES.items()}
    os.makedirs(args.out, exist_ok=True)
    for name, images in drawn.items():
        write_ico(os.path.join(args.out, f"korimo-{name}.ico"), images)
    if args.preview:
        preview(args.preview, drawn)


if __name__ == "__main__":
    main()
