#!/usr/bin/python3
"""Draws Kadrant's pictures and icons into resources/pictures/.

Deterministic: the same Pillow and the same Liberation fonts give the same PNGs byte for byte.
Run it again after changing a drawing and commit the PNGs with the script:

    /usr/bin/python3 resources/make_pictures.py

Sizes are fixed: the dialog layout and the digital display rest on them. Pixels of light grey
192,192,192 on the button pictures are painted in the button-face colour by the toolkit.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "pictures")
FONT_BOLD = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"

BLACK = (0, 0, 0)
BUTTON_FACE = (192, 192, 192)
SEGMENT_YELLOW = (255, 214, 0)
WORD_YELLOW = (255, 250, 160)
PLATE = (36, 36, 44)
DARK_BLUE = (0, 0, 0x55)

# Seven segments, in the order a b c d e f g, and which of them light each digit.
DIGIT_SEGMENTS = {
    0: "abcdef",
    1: "bc",
    2: "abdeg",
    3: "abcdg",
    4: "bcfg",
    5: "acdfg",
    6: "acdefg",
    7: "abc",
    8: "abcdefg",
    9: "abcdfg",
}

SUPERSAMPLE = 4


def save(image, name):
    image.save(os.path.join(OUT, name), optimize=False)


def downsampled(big, size):
    return big.resize(size, Image.LANCZOS)


def seven_segment(draw, left, top, width, height, thickness, segments, colour):
    """Bevelled segments inside the box (left, top, width, height); coordinates may be floats."""
    h = thickness / 2.0
    gap = thickness * 0.2
    x0, x1 = left + h, left + width - h
    y0, y1, y2 = top + h, top + height / 2.0, top + height - h

    def horizontal(yc):
        xl, xr = x0 + gap, x1 - gap
        return [(xl, yc), (xl + h, yc - h), (xr - h, yc - h), (xr, yc), (xr - h, yc + h),
                (xl + h, yc + h)]

    def vertical(xc, yt, yb):
        yt, yb = yt + gap, yb - gap
        return [(xc, yt), (xc + h, yt + h), (xc + h, yb - h), (xc, yb), (xc - h, yb - h),
                (xc - h, yt + h)]

    shapes = {
        "a": horizontal(y0),
        "b": vertical(x1, y0, y1),
        "c": vertical(x1, y1, y2),
        "d": horizontal(y2),
        "e": vertical(x0, y1, y2),
        "f": vertical(x0, y0, y1),
        "g": horizontal(y1),
    }
    for s in segments:
        draw.polygon(shapes[s], fill=colour)


def digit_strip():
    """115: eleven 26 x 39 cells, 0 to 9 then blank, stacked; the last row stays black."""
    cell_w, cell_h, cells = 26, 39, 11
    strip = Image.new("RGB", (cell_w, cell_h * cells + 1), BLACK)
    s = SUPERSAMPLE
    for digit in range(10):
        big = Image.new("RGB", (cell_w * s, cell_h * s), BLACK)
        seven_segment(ImageDraw.Draw(big), 3 * s, 3 * s, 20 * s, 33 * s, 4 * s,
                      DIGIT_SEGMENTS[digit], SEGMENT_YELLOW)
        strip.paste(downsampled(big, (cell_w, cell_h)), (0, digit * cell_h))
    save(strip, "115.png")


def dark_plate(size):
    """A dark rounded plate whose cut corners show the button face."""
    image = Image.new("RGB", size, BUTTON_FACE)
    w, h = size
    ImageDraw.Draw(image).rounded_rectangle((0, 0, w - 1, h - 1), radius=2, fill=PLATE)
    return image


def sign_picture(name, with_vertical_bar):
    """116 and 117: a minus or a plus, light yellow on the dark plate."""
    image = dark_plate((20, 19))
    draw = ImageDraw.Draw(image)
    draw.rectangle((4, 8, 15, 10), fill=WORD_YELLOW)
    if with_vertical_bar:
        draw.rectangle((9, 3, 11, 15), fill=WORD_YELLOW)
    save(image, name)


def word_picture(name, size, word, font_size):
    """119 to 121: a push-button word, light yellow on the dark plate, centred."""
    image = dark_plate(size)
    draw = ImageDraw.Draw(image)
    font = ImageFont.truetype(FONT_BOLD, font_size)
    left, top, right, bottom = draw.textbbox((0, 0), word, font=font)
    x = (size[0] - (right - left)) // 2 - left
    y = (size[1] - (bottom - top)) // 2 - top
    draw.text((x, y), word, font=font, fill=WORD_YELLOW)
    save(image, name)


def product_picture():
    """122: a scoreboard on its mast under an evening sky, 77 x 133, 24 bits."""
    w, h = 77, 133
    s = SUPERSAMPLE
    big = Image.new("RGB", (w * s, h * s))
    draw = ImageDraw.Draw(big)
    for y in range(h * s):  # sky: dark blue at the top, lighter towards the ground
        t = y / (h * s)
        draw.line((0, y, w * s, y), fill=(int(10 + 40 * t), int(20 + 70 * t), int(85 + 110 * t)))
    draw.rectangle((0, 112 * s, w * s, h * s), fill=(40, 110, 50))  # lawn
    draw.line((0, 112 * s, w * s, 112 * s), fill=(230, 230, 230), width=s)  # touch line
    draw.rectangle((33 * s, 60 * s, 43 * s, 113 * s), fill=(120, 120, 130))  # mast
    draw.rectangle((33 * s, 60 * s, 35 * s, 113 * s), fill=(170, 170, 180))
    draw.rounded_rectangle((5 * s, 8 * s, 71 * s, 64 * s), radius=3 * s, fill=(60, 60, 70),
                           outline=(200, 200, 210), width=s)  # housing
    draw.rectangle((9 * s, 12 * s, 67 * s, 60 * s), fill=BLACK)  # face
    # upper line: a time 12:30; lower line: a lap count 7
    for i, digit in enumerate((1, 2)):
        seven_segment(draw, (11 + i * 12) * s, 15 * s, 10 * s, 18 * s, 2.4 * s,
                      DIGIT_SEGMENTS[digit], SEGMENT_YELLOW)
    for dot_y in (20, 27):
        draw.rectangle((36 * s, dot_y * s, 38 * s, (dot_y + 2) * s), fill=SEGMENT_YELLOW)
    for i, digit in enumerate((3, 0)):
        seven_segment(draw, (42 + i * 12) * s, 15 * s, 10 * s, 18 * s, 2.4 * s,
                      DIGIT_SEGMENTS[digit], SEGMENT_YELLOW)
    for i, digit in enumerate((0, 7)):
        seven_segment(draw, (42 + i * 12) * s, 38 * s, 10 * s, 18 * s, 2.4 * s,
                      DIGIT_SEGMENTS[digit], (255, 120, 0) if digit else (40, 24, 0))
    draw.rectangle((12 * s, 44 * s, 34 * s, 50 * s), fill=(90, 90, 100))  # lap label plate
    picture = downsampled(big, (w, h))
    ImageDraw.Draw(picture).text((15, 117), "Kadrant", font=ImageFont.truetype(FONT_BOLD, 10),
                                 fill=(255, 255, 255))
    save(picture, "122.png")


def folder_tree():
    """123: a small folder tree (a root folder and two below it) on the button face."""
    image = Image.new("RGB", (20, 20), BUTTON_FACE)
    draw = ImageDraw.Draw(image)
    line = (64, 64, 64)

    def folder(x, y):
        draw.line((x + 1, y, x + 4, y), fill=(120, 80, 0))  # tab
        draw.rectangle((x, y + 1, x + 9, y + 5), fill=(255, 210, 60), outline=(120, 80, 0))

    draw.line((3, 7, 3, 16), fill=line)  # trunk
    draw.line((4, 9, 8, 9), fill=line)  # branches
    draw.line((4, 16, 8, 16), fill=line)
    folder(0, 1)
    folder(9, 6)
    folder(9, 13)
    save(image, "123.png")


def display_frame():
    """124: the black panel behind the digital display, 312 x 61, grey bars at the ends and
    thin grey separators where the display leaves its group gaps."""
    w, h = 312, 61
    image = Image.new("RGB", (w, h), BLACK)
    draw = ImageDraw.Draw(image)
    for left in (0, w - 5):
        draw.rectangle((left, 0, left + 4, h - 1), fill=(128, 128, 128))
        draw.line((left + 1, 0, left + 1, h - 1), fill=(176, 176, 176))
    for centre in (101, 174, 242):  # the three group gaps, as the dialog places the display
        draw.rectangle((centre, 18, centre + 1, 43), fill=(96, 96, 96))
    save(image, "124.png")


def icon(size):
    """10: a tiny scoreboard showing 88, transparent around it."""
    s = SUPERSAMPLE
    big = Image.new("RGBA", (size * s, size * s), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)
    unit = size * s / 32.0
    draw.rounded_rectangle((1 * unit, 4 * unit, 31 * unit, 28 * unit), radius=3 * unit,
                           fill=(60, 60, 70, 255), outline=(200, 200, 210, 255), width=int(unit))
    draw.rectangle((4 * unit, 7 * unit, 28 * unit, 25 * unit), fill=(0, 0, 0, 255))
    for i in range(2):
        seven_segment(draw, (6 + i * 11) * unit, 9 * unit, 9 * unit, 14 * unit, 2.4 * unit,
                      DIGIT_SEGMENTS[8], SEGMENT_YELLOW + (255,))
    save(downsampled(big, (size, size)), "10-%d.png" % size)


def plug(name, size, body, prongs):
    """Port list: a small plug, its prongs up and its cable down, transparent around it. In
    colour for a Com number with a device behind it, grey for an adapter not plugged in."""
    s = SUPERSAMPLE
    big = Image.new("RGBA", (size * s, size * s), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)
    unit = size * s / 16.0
    for left in (4.5, 9.5):  # prongs
        draw.rectangle((left * unit, 0.5 * unit, (left + 2) * unit, 5 * unit), fill=prongs + (255,))
    draw.rounded_rectangle((2.5 * unit, 4.5 * unit, 13.5 * unit, 11 * unit), radius=2 * unit,
                           fill=body + (255,))
    draw.polygon([(4.5 * unit, 11 * unit), (11.5 * unit, 11 * unit), (9.5 * unit, 13 * unit),
                  (6.5 * unit, 13 * unit)], fill=body + (255,))
    draw.rectangle((7 * unit, 12.5 * unit, 9 * unit, 16 * unit), fill=body + (255,))  # cable
    save(downsampled(big, (size, size)), name)


def main():
    os.makedirs(OUT, exist_ok=True)
    digit_strip()
    sign_picture("116.png", with_vertical_bar=False)
    sign_picture("117.png", with_vertical_bar=True)
    word_picture("119.png", (59, 13), "START", 11)
    word_picture("120.png", (48, 14), "STOP", 12)
    word_picture("121.png", (60, 14), "RESET", 12)
    product_picture()
    folder_tree()
    display_frame()
    icon(32)
    icon(64)
    for size in (16, 32):
        plug("plug-%d.png" % size, size, (30, 120, 60), (200, 160, 40))
        plug("plug-absent-%d.png" % size, size, (150, 150, 150), (190, 190, 190))
    return 0


if __name__ == "__main__":
    sys.exit(main())
