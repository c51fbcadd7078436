#!/usr/bin/env python3
"""Generates the program folder's own cursors and sounds.

cursors/cur2.ani .. cur8.ani: the dwell clock. An animated cursor (RIFF
"ACON") of 20 frames of 32 x 32 pixels that fills a clock face clockwise from
twelve o'clock; cur N lasts exactly N seconds (each frame 3 N jiffies of 1/60 s).
cursors/scroll2.ani .. scroll8.ani: the same clocks with the scroll mark, a
black up-and-down arrow over the face, shown while the head scrolls.
so/click.wav: a short click. so/sound1.wav: a two-note chime (head shake).

Run from the repository root: python3 scripts/make-resources.py
The outputs are committed; run it again only to change them.
"""

import math
import os
import struct
import wave

SIZE = 32
FRAMES = 20
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "programfolder")


def chunk(tag, data):
    padding = b"\0" if len(data) % 2 else b""
    return tag + struct.pack("<I", len(data)) + data + padding


def on_scroll_mark(dx, dy):
    """The scroll mark: a vertical bar with an arrow head at each end."""
    if abs(dx) <= 1.2 and abs(dy) <= 11.5:
        return True
    tip = 12.5
    for sign in (-1, 1):
        along = tip - sign * dy  # 0 at the tip, growing towards the middle
        if 0 <= along <= 6.5 and abs(dx) <= along * 0.9:
            return True
    return False


def clock_pixels(fraction, scroll_mark=False):
    """BGRA rows, bottom-up as a DIB stores them; and the AND mask."""
    centre = (SIZE - 1) / 2.0
    outer = 15.0
    rows = []
    mask_rows = []
    for row in range(SIZE - 1, -1, -1):
        line = b""
        mask_bits = 0
        for column in range(SIZE):
            dx = column - centre
            dy = row - centre
            distance = math.hypot(dx, dy)
            # Angle clockwise from twelve o'clock, 0 to 1.
            angle = (math.atan2(dx, -dy) / (2 * math.pi)) % 1.0
            if distance > outer:
                pixel = (0, 0, 0, 0)
                mask_bits |= 1 << (31 - column)
            elif distance > outer - 2.0:
                pixel = (40, 40, 40, 255)
            elif angle < fraction:
                pixel = (200, 110, 20, 255)  # blue, as B, G, R, A
            else:
                pixel = (255, 255, 255, 255)
            if abs(dx) < 0.8 and abs(dy) < 0.8:
                pixel = (40, 40, 40, 255)
            if scroll_mark and distance <= outer and on_scroll_mark(dx, dy):
                pixel = (0, 0, 0, 255)
            line += bytes(pixel)
        rows.append(line)
        mask_rows.append(struct.pack(">I", mask_bits))
    return b"".join(rows), b"".join(mask_rows)


def cursor_file(fraction, scroll_mark=False):
    pixels, mask = clock_pixels(fraction, scroll_mark)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    image = header + pixels + mask
    hotspot = SIZE // 2
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hotspot, hotspot, len(image), 22)
    return directory + entry + image


def animated_cursor(seconds, scroll_mark=False):
    jiffies_per_frame = 3 * seconds  # FRAMES * 3 * seconds / 60 = seconds
    anih = struct.pack("<9I", 36, FRAMES, FRAMES, 0, 0, 0, 0, jiffies_per_frame, 1)
    frames = b"".join(chunk(b"icon", cursor_file((index + 1) / FRAMES, scroll_mark)) for index in range(FRAMES))
    body = b"ACON" + chunk(b"anih", anih) + chunk(b"LIST", b"fram" + frames)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def write_wave(path, samples, rate=22050):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767))))
                                 for s in samples))


def click(rate=22050):
    length = int(rate * 0.04)
    return [0.8 * math.exp(-i / (rate * 0.004)) * math.sin(2 * math.pi * 2200 * i / rate)
            for i in range(length)]


def chime(rate=22050):
    samples = []
    for frequency, seconds in ((880.0, 0.15), (1320.0, 0.25)):
        length = int(rate * seconds)
        samples += [0.5 * math.exp(-3.0 * i / length) * math.sin(2 * math.pi * frequency * i / rate)
                    for i in range(length)]
    return samples


def main():
    os.makedirs(os.path.join(ROOT, "cursors"), exist_ok=True)
    os.makedirs(os.path.join(ROOT, "so"), exist_ok=True)
    for seconds in range(2, 9):
        with open(os.path.join(ROOT, "cursors", "cur%d.ani" % seconds), "wb") as out:
            out.write(animated_cursor(seconds))
        with open(os.path.join(ROOT, "cursors", "scroll%d.ani" % seconds), "wb") as out:
            out.write(animated_cursor(seconds, scroll_mark=True))
    write_wave(os.path.join(ROOT, "so", "click.wav"), click())
    write_wave(os.path.join(ROOT, "so", "sound1.wav"), chime())


if __name__ == "__main__":
    main()
