#!/usr/bin/env python3
"""Draws the window skins into resources/skins/<NAME>.svg.

The skins are plain SVG Tiny 1.2 (shapes, paths, linear gradients, opacity),
which is what Qt SVG renders: no filters, masks, style sheets, markers, text
or external references. Every window shares one palette and one button face.
The program writes all words over the skins at paint time, so the skins carry
pictograms only and keep the places where text goes plain and light.

Run it after changing a drawing:  python3 scripts/draw_skins.py
"""

import math
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "skins")

# Palette. White symbols on the saturated colours, dark ink on the light ones.
INK = "#13233F"  # symbols on light faces, borders of every button face
PAPER = "#FBFCFE"  # plain areas where the program writes text
BACK = "#D5DDE8"  # window and bar background around the buttons
RULE = "#8D9AAD"  # quiet lines (panels, separators)
WHITE = "#FFFFFF"
COLOUR = {
    "blue": "#0B4FA8",  # tracking: restart, pause, set-up
    "green": "#1B7A33",  # yes, go, resume
    "red": "#C62828",  # no, cancel, exit
    "teal": "#00695C",  # system options, about
    "orange": "#B34700",  # mouse and webcam options
    "slate": "#455A64",  # hide, clear
    "amber": "#FFC21A",  # warning
}
LIT = "#FFD21F"  # the lit (hovered) state of yes and no: a yellow ring
LIT_COLOUR = {"green": "#1F9A40", "red": "#E32F2F"}
WAIT = "#6B7789"  # the start button before both eyes are marked
WAIT_FACE = "#FFFFFF"


def lighter(colour, amount):
    r, g, b = (int(colour[i : i + 2], 16) for i in (1, 3, 5))
    mix = lambda c: round(c + (255 - c) * amount)
    return "#%02X%02X%02X" % (mix(r), mix(g), mix(b))


def num(v):
    text = ("%.2f" % v).rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


class Skin:
    """One SVG document of a fixed design size."""

    def __init__(self, name, width, height, title):
        self.name, self.width, self.height, self.title = name, width, height, title
        self.defs = {}
        self.parts = []

    def gradient(self, colour, top=0.22):
        """A vertical gradient from a lighter top to the colour; returns its url."""
        key = "g%s_%d" % (colour[1:], round(top * 100))
        if key not in self.defs:
            self.defs[key] = (
                '<linearGradient id="%s" x1="0" y1="0" x2="0" y2="1">'
                '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
                "</linearGradient>" % (key, lighter(colour, top), colour)
            )
        return "url(#%s)" % key

    def add(self, comment, *elements):
        self.parts.append("  <!-- %s -->" % comment)
        self.parts.extend("  " + e for e in elements)

    def write(self):
        lines = [
            '<?xml version="1.0" encoding="UTF-8"?>',
            '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny"'
            ' viewBox="0 0 %d %d" width="%d" height="%d">' % ((self.width, self.height) * 2),
            "  <!-- %s -->" % self.title,
        ]
        if self.defs:
            lines.append("  <defs>")
            lines.extend("    " + d for d in self.defs.values())
            lines.append("  </defs>")
        lines.extend(self.parts)
        lines.append("</svg>")
        with open(os.path.join(OUT, self.name + ".svg"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")


# Basic shapes ---------------------------------------------------------------


def rect(x, y, w, h, fill="none", stroke=None, sw=0, r=0, extra=""):
    s = '<rect x="%s" y="%s" width="%s" height="%s"' % (num(x), num(y), num(w), num(h))
    if r:
        s += ' rx="%s" ry="%s"' % (num(r), num(r))
    s += ' fill="%s"' % fill
    if stroke:
        s += ' stroke="%s" stroke-width="%s"' % (stroke, num(sw))
    return s + extra + "/>"


def circle(cx, cy, r, fill="none", stroke=None, sw=0):
    s = '<circle cx="%s" cy="%s" r="%s" fill="%s"' % (num(cx), num(cy), num(r), fill)
    if stroke:
        s += ' stroke="%s" stroke-width="%s"' % (stroke, num(sw))
    return s + "/>"


def path(d, fill="none", stroke=None, sw=0, extra=""):
    s = '<path d="%s" fill="%s"' % (d, fill)
    if stroke:
        s += ' stroke="%s" stroke-width="%s" stroke-linecap="round" stroke-linejoin="round"' % (
            stroke,
            num(sw),
        )
    return s + extra + "/>"


def group(x, y, k, body):
    """Places a pictogram drawn around (0, 0) at (x, y), scaled by k."""
    head = '<g transform="translate(%s %s) scale(%s)">' % (num(x), num(y), num(k))
    return [head] + ["  " + b for b in body] + ["</g>"]


def polar(r, degrees):
    a = math.radians(degrees)
    return r * math.cos(a), r * math.sin(a)


def arc_path(r, start, end):
    """A clockwise arc (screen coordinates) from angle start to end."""
    x0, y0 = polar(r, start)
    x1, y1 = polar(r, end)
    large = 1 if (end - start) % 360 > 180 else 0
    return "M %s %s A %s %s 0 %d 1 %s %s" % (num(x0), num(y0), num(r), num(r), large, num(x1), num(y1))


# Button faces ---------------------------------------------------------------


def face(skin, x, y, w, h, colour, r=7, sw=3, border=INK):
    """A raised button face: a gradient of the colour and a clear border."""
    fill = skin.gradient(colour) if colour not in (WHITE, PAPER) else skin.gradient("#ECF0F5", 1.0)
    i = sw / 2
    return rect(x + i, y + i, w - sw, h - sw, fill=fill, stroke=border, sw=sw, r=r)


def light_face(skin, x, y, w, h, r=7, sw=3, border=INK):
    """A plain light button face for the program's words: white fading to a pale grey."""
    key = "gface"
    if key not in skin.defs:
        skin.defs[key] = (
            '<linearGradient id="gface" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#FFFFFF"/><stop offset="0.55" stop-color="#FFFFFF"/>'
            '<stop offset="1" stop-color="#EBF0F6"/></linearGradient>'
        )
    i = sw / 2
    return rect(x + i, y + i, w - sw, h - sw, fill="url(#gface)", stroke=border, sw=sw, r=r)


# Pictograms, each drawn in a box of about 40 x 40 around (0, 0) ------------


def p_restart(c, sw=5.5, r=13.5):
    """A circular arrow."""
    start, end = -50, 235
    ex, ey = polar(r, end)
    tx, ty = -math.sin(math.radians(end)), math.cos(math.radians(end))  # travel direction
    nx, ny = math.cos(math.radians(end)), math.sin(math.radians(end))  # outward
    tip = (ex + tx * sw * 1.65, ey + ty * sw * 1.65)
    base = (ex - tx * sw * 0.35, ey - ty * sw * 0.35)
    half = sw * 1.5
    head = "M %s %s L %s %s L %s %s Z" % (
        num(tip[0]),
        num(tip[1]),
        num(base[0] + nx * half),
        num(base[1] + ny * half),
        num(base[0] - nx * half),
        num(base[1] - ny * half),
    )
    return [
        path(arc_path(r, start, end - 4), stroke=c, sw=sw),
        path(head, fill=c, stroke=c, sw=2),
    ]


def p_pause(c):
    return [rect(-10.5, -15, 7.5, 30, fill=c, r=1.5), rect(3, -15, 7.5, 30, fill=c, r=1.5)]


def p_play(c):
    return [path("M -9 -15 L -9 15 L 15 0 Z", fill=c, stroke=c, sw=3.5)]


def p_gear(c):
    """An eight-toothed gear with a hole."""
    teeth, outer, inner, hole = 8, 19, 14, 6
    d = []
    for i in range(teeth):
        a = i * 360 / teeth
        pts = [polar(inner, a - 15), polar(outer, a - 9), polar(outer, a + 9), polar(inner, a + 15)]
        if i == 0:
            d.append("M %s %s" % (num(pts[0][0]), num(pts[0][1])))
        else:
            d.append("A %s %s 0 0 1 %s %s" % (num(inner), num(inner), num(pts[0][0]), num(pts[0][1])))
        d.extend("L %s %s" % (num(x), num(y)) for x, y in pts[1:])
    x0, y0 = polar(inner, -15)
    d.append("A %s %s 0 0 1 %s %s Z" % (num(inner), num(inner), num(x0), num(y0)))
    d.append(
        "M %s 0 A %s %s 0 1 0 %s 0 A %s %s 0 1 0 %s 0 Z"
        % (num(hole), num(hole), num(hole), num(-hole), num(hole), num(hole), num(hole))
    )
    return [path(" ".join(d), fill=c, extra=' fill-rule="evenodd"')]


def p_info(c):
    return [
        circle(0, 0, 17, stroke=c, sw=4.5),
        circle(0, -8.5, 3.4, fill=c),
        rect(-3, -2.5, 6, 14, fill=c, r=1.5),
    ]


def p_mouse(c):
    body = "M -11 -2 L -11 8 A 11 11 0 0 0 11 8 L 11 -2 A 11 11 0 0 0 -11 -2 Z"
    button = "M -11 -1 A 11 11 0 0 1 0 -12 L 0 -1 Z"
    return [
        path(button, fill=c),
        path(body, stroke=c, sw=4.5),
        path("M -11 -1 L 11 -1", stroke=c, sw=3.5),
        path("M 0 -12 L 0 -1", stroke=c, sw=3.5),
        path("M 0 -13 C 0 -19 6 -16 11 -20", stroke=c, sw=3.5),
    ]


def p_webcam(c, face_colour):
    return [
        circle(0, -5, 12.5, fill=c),
        circle(0, -5, 7.5, fill=face_colour),
        circle(0, -5, 4, fill=c),
        path("M 0 8 L 0 13", stroke=c, sw=5),
        rect(-12, 12.5, 24, 6, fill=c, r=3),
    ]


def p_hide(c):
    """A window going down into the bottom-right corner, where a small one waits."""
    return [
        rect(-20, -19, 27, 21, fill="none", stroke=c, sw=3.5, r=2),
        rect(-20, -19, 27, 7, fill=c, r=2),
        path("M -4 6 L 4 13", stroke=c, sw=4.5),
        path("M 10 18.5 L -2.5 17 L 8 6.5 Z", fill=c, stroke=c, sw=2),
        rect(12, 10, 8, 9, fill=c, r=1.5),
    ]


def p_power(c, sw=5):
    return [
        path(arc_path(14, -55, 235), stroke=c, sw=sw),
        path("M 0 -19 L 0 -3", stroke=c, sw=sw),
    ]


def p_scroll(c, lit):
    """A page with lines of text and a double arrow beside it: scroll."""
    out = [rect(-17, -17, 22, 34, fill=WHITE, stroke=c, sw=3, r=2)]
    out += [path("M -12 %d L 0 %d" % (y, y), stroke=c, sw=2.5) for y in (-9, -2, 5)]
    out += [path("M 14 -12 L 14 12", stroke=lit, sw=4),
            path("M 14 -20 L 8 -11 L 20 -11 Z", fill=lit, stroke=lit, sw=1.5),
            path("M 14 20 L 8 11 L 20 11 Z", fill=lit, stroke=lit, sw=1.5)]
    return out


def p_check(c, sw=7.5):
    return [path("M -15 1 L -5 11 L 15 -12", stroke=c, sw=sw)]


def p_cross(c, sw=7.5):
    return [path("M -12 -12 L 12 12 M 12 -12 L -12 12", stroke=c, sw=sw)]


def p_eye(c, white, sw=4, pupil=True):
    d = "M -16 0 Q 0 -16 16 0 Q 0 16 -16 0 Z"
    out = [path(d, fill=white, stroke=c, sw=sw)]
    if pupil:
        out.append(circle(0, 0, 5, fill=c))
    return out


def p_hand(c):
    """An open raised hand: hold."""
    out = [rect(-12, -3, 24, 20, fill=c, r=8)]
    for x, top in ((-9, -16), (-3, -20), (3, -19), (9, -14)):
        out.append(path("M %s %s L %s 2" % (num(x), num(top), num(x)), stroke=c, sw=4.6))
    out.append(path("M -10 9 L -18 0", stroke=c, sw=5))
    return out


def p_eraser(c, face_colour):
    g = '<g transform="rotate(-35)">'
    return [
        g,
        '  ' + rect(-17, -8, 34, 16, fill="none", stroke=c, sw=4, r=3),
        '  ' + rect(-17, -8, 13, 16, fill=c, r=3),
        "</g>",
        path("M -2 18 L 18 18", stroke=c, sw=4),
    ]


def p_head(c):
    """A head and shoulders, solid."""
    return [
        circle(0, -7, 9.5, fill=c),
        path("M -16 19 C -16 8 -9 4 0 4 C 9 4 16 8 16 19 Z", fill=c),
    ]


def p_detect(c):
    """A head inside the four corners of a detection frame: automatic set-up."""
    corners = "M -19 -10 L -19 -19 L -10 -19 M 10 -19 L 19 -19 L 19 -10 M 19 10 L 19 19 L 10 19 M -10 19 L -19 19 L -19 10"
    return [
        path(corners, stroke=c, sw=4),
        circle(0, -4, 7, fill=c),
        path("M -11 14 C -11 7 -6 5 0 5 C 6 5 11 7 11 14 Z", fill=c),
    ]


def p_back(c):
    """A U-turn arrow pointing left."""
    return [
        path("M 16 14 L 16 0 C 16 -8 10 -10 4 -10 L -8 -10", stroke=c, sw=5),
        path("M -17 -10 L -6 -19 L -6 -1 Z", fill=c, stroke=c, sw=2.5),
    ]


def p_warning(c_fill, c_ink):
    return [
        path("M 0 -34 L 38 32 L -38 32 Z", fill=c_fill, stroke=c_ink, sw=6),
        path("M 0 -12 L 0 10", stroke=c_ink, sw=8),
        circle(0, 22, 4.6, fill=c_ink),
    ]


POINTER = "M 0 0 L 0 34 L 8.5 26 L 14.5 39.5 L 21 36.5 L 15 23.5 L 26 23.5 Z"


def p_logo(head_colour, arrow_fill, arrow_ink, back=None):
    """The program's mark: a head and a big pointer arrow, in a box of 96 x 96."""
    out = []
    if back:
        out.append(rect(-48, -48, 96, 96, fill=back, r=20))
    out += [
        circle(-13, -17, 16.5, fill=head_colour),
        # the shoulders run into the box's rounded bottom-left corner
        path("M -38 44 C -38 16 -28 6 -13 6 C 2 6 12 16 12 44 L 12 48 L -28 48"
             " A 20 20 0 0 1 -38 45.32 Z", fill=head_colour),
    ]
    out.append('<g transform="translate(6 -7) scale(1.3)">')
    out.append("  " + path(POINTER, fill=arrow_fill, stroke=arrow_ink, sw=4))
    out.append("</g>")
    return out


# Windows --------------------------------------------------------------------


def main_menu(name, running):
    s = Skin(name, 160, 240, "Main window button menu (%s)" % ("tracking" if running else "paused"))
    s.add("background", rect(0, 0, 160, 240, fill=BACK))
    cols = [(0, 82), (82, 160)]
    rows = [(0, 60), (60, 121), (121, 181), (181, 240)]
    buttons = [
        ("restart tracking", "blue", lambda: p_restart(WHITE)),
        ("pause", "blue", lambda: p_pause(WHITE))
        if running
        else ("resume", "green", lambda: p_play(WHITE)),
        ("system options", "teal", lambda: p_gear(WHITE)),
        ("about", "teal", lambda: p_info(WHITE)),
        ("mouse options", "orange", lambda: p_mouse(WHITE)),
        ("webcam options", "orange", lambda: p_webcam(WHITE, COLOUR["orange"])),
        ("hide this window", "slate", lambda: p_hide(WHITE)),
        ("exit", "red", lambda: p_power(WHITE)),
    ]
    inset = 4
    for i, (what, colour, draw) in enumerate(buttons):
        (x0, x1), (y0, y1) = cols[i % 2], rows[i // 2]
        x, y, w, h = x0 + inset, y0 + inset, x1 - x0 - 2 * inset, y1 - y0 - 2 * inset
        s.add(
            what,
            face(s, x, y, w, h, COLOUR[colour]),
            *group(x + w / 2, y + h / 2, 1.0, draw()),
        )
    s.write()


def setup_bar_back(s):
    s.add(
        "background",
        rect(0, 0, 640, 83, fill=BACK),
        rect(0, 0, 640, 3, fill=INK),
    )


def bar_button(s, what, x0, x1, colour, body, k=1.0):
    """A set-up bar button filling the hit zone x0..x1, bar y 14..73."""
    inset = 3
    x, y, w, h = x0 + inset, 14 + inset, x1 - x0 - 2 * inset, 73 - 14 - 2 * inset
    s.add(what, face(s, x, y, w, h, COLOUR[colour]), *group(x + w / 2, y + h / 2, k, body))


def boto3():
    s = Skin("Boto3", 640, 83, "Automatic set-up bar")
    setup_bar_back(s)
    s.add("camera format panel (the program writes the camera name and format here)",
          rect(2, 7, 102, 72, fill=PAPER, stroke=RULE, sw=1.5, r=5))
    bar_button(s, "hold calibration", 110, 178, "blue", p_hand(WHITE), 1.05)
    bar_button(s, "mouse options", 198, 265, "orange", p_mouse(WHITE))
    bar_button(s, "webcam options", 287, 353, "orange", p_webcam(WHITE, COLOUR["orange"]))
    s.add("manual eye set-up (the program writes its name, 35 high, centred on the face)",
          light_face(s, 374, 17, 162, 53))
    bar_button(s, "exit", 555, 625, "red", p_power(WHITE))
    s.write()


def ok_ull_body(s, x, y, w, h, waiting):
    """The start-with-marked-eyes button at (x, y), of size w x h."""
    k = h / 62
    cy = y + h / 2
    if waiting:
        f = rect(x + 1.5, y + 1.5, w - 3, h - 3, fill=WAIT_FACE, stroke=WAIT, sw=3, r=8,
                 extra=' stroke-dasharray="8 5"')
        eyes = [p_eye(WAIT, WAIT_FACE, sw=4, pupil=False)] * 2
        check = lighter(WAIT, 0.45)
    else:
        f = face(s, x, y, w, h, COLOUR["green"], r=8)
        eyes = [p_eye(INK, WHITE, sw=3.5)] * 2
        check = WHITE
    out = [f]
    for i, eye in enumerate(eyes):
        out += group(x + w * (24 + 32 * i) / 128, cy, 0.85 * k, eye)
    return out + group(x + w * 97 / 128, cy + k, 1.15 * k, p_check(check, sw=7.5))


def ok_ull():
    s = Skin("OK_ULL", 128, 62, "Start tracking with the marked eyes")
    s.add("go: both eyes marked", *ok_ull_body(s, 0, 0, 128, 62, waiting=False))
    s.write()


def boto_ulls_ok():
    s = Skin("Boto_ulls_ok", 640, 83, "Manual eye set-up bar")
    setup_bar_back(s)
    bar_button(s, "clear the eye marks", 16, 83, "slate", p_eraser(WHITE, COLOUR["slate"]))
    # Inside both the hit zone and the place of OK_ULL (98, 8, 128 x 62),
    # which covers it once both eyes are marked.
    s.add("start tracking, waiting for both eyes (the program lays OK_ULL over it)",
          *ok_ull_body(s, 103, 15, 122, 54, waiting=True))
    bar_button(s, "mouse options", 245, 313, "orange", p_mouse(WHITE))
    bar_button(s, "webcam options", 329, 395, "orange", p_webcam(WHITE, COLOUR["orange"]))
    x0, x1 = 414, 538
    s.add(
        "back to automatic set-up",
        face(s, x0 + 3, 17, x1 - x0 - 6, 53, COLOUR["blue"]),
        *group(452, 43.5, 0.95, p_back(WHITE)),
        *group(498, 43.5, 1.0, p_detect(WHITE)),
    )
    bar_button(s, "exit", 556, 623, "red", p_power(WHITE))
    s.write()


def reset_0():
    s = Skin("RESET_0", 160, 120, "Restart countdown")
    blue = COLOUR["blue"]
    s.add("background and frame", rect(0, 0, 160, 120, fill=PAPER),
          rect(2, 2, 156, 116, fill="none", stroke=blue, sw=4))
    s.add("restart: a circular arrow round a head",
          *group(47, 60, 2.05, p_restart(blue, sw=4.2, r=15)),
          *group(47, 62, 0.95, p_head(INK)))
    s.add("countdown panel (the program writes the digit here)",
          rect(91, 7, 63, 53, fill=WHITE, stroke=RULE, sw=1.5, r=5))
    s.add("cancel", face(s, 90, 64, 43, 43, COLOUR["red"]), *group(111.5, 85.5, 0.95, p_cross(WHITE, sw=7)))
    s.write()


def question(name, frame_colour, middle, lit):
    s = Skin(name, 160, 120, "%s confirmation%s" % (
        "Pause" if name.startswith("PAUSE") else "Exit",
        {None: "", "yes": ", yes lit", "no": ", no lit"}[lit]))
    s.add("background and frame (the program writes the question at the top)",
          rect(0, 0, 160, 120, fill=PAPER),
          rect(2, 2, 156, 116, fill="none", stroke=frame_colour, sw=4))
    s.add("what is asked", *group(82, 85, 0.62, middle))
    # yes zone 10 < x < 69, no zone 95 < x < 154, both 55 < y < 115
    for which, x0, colour, draw, k in (
        ("yes", 10, "green", p_check, 1.05),
        ("no", 95, "red", p_cross, 1.15),
    ):
        c = COLOUR[colour]
        if lit == which:
            # lit: grown to the zone, brighter, ringed in yellow, the sign outlined
            s.add(
                which + ", lit",
                rect(x0 + 1.5, 56.5, 56, 57, fill=INK, r=10),
                rect(x0 + 5, 60, 49, 50, fill=s.gradient(LIT_COLOUR[colour], 0.15),
                     stroke=LIT, sw=4, r=7),
                *group(x0 + 29.5, 85, k, draw(INK, sw=11) + draw(WHITE, sw=6.5)),
            )
        else:
            s.add(which, face(s, x0 + 4, 59, 51, 52, c),
                  *group(x0 + 29.5, 85, 1.05, draw(WHITE, sw=7)))
    s.write()


def warning():
    s = Skin("WARNING", 599, 98, "Warning")
    s.add("background and frame", rect(0, 0, 599, 98, fill=BACK),
          rect(2, 2, 595, 94, fill="none", stroke="#A86F00", sw=4))
    s.add("message panel (the program writes two lines, 22 high, at x 113 to 558, y 8 and 30)",
          rect(108, 4.75, 456, 52.5, fill=PAPER, stroke=RULE, sw=1.5, r=5))
    s.add("warning sign", *group(56, 50, 1.0, p_warning(COLOUR["amber"], INK)))
    # As tall as the hit zones (y 59 to 87): the words stand at y 64, 20 high.
    s.add("ok and cancel faces (the program writes the words)",
          light_face(s, 158, 59.5, 141, 27, r=6, sw=2.5),
          light_face(s, 392, 59.5, 141, 27, r=6, sw=2.5))
    s.write()


def notice():
    s = Skin("NOTICE", 599, 300, "Notice")
    s.add("background and frame", rect(0, 0, 599, 300, fill=BACK),
          rect(2, 2, 595, 296, fill="none", stroke="#A86F00", sw=4))
    s.add("caption band (the program writes the caption at y 10, 24 high)",
          rect(4, 4, 591, 38, fill="#F3E3BF"), rect(4, 41, 591, 1.5, fill=RULE))
    s.add("message panel (the program writes eight lines, 22 apart, from x 24, y 50)",
          rect(14, 47, 571, 180, fill=PAPER, stroke=RULE, sw=1.5, r=5))
    # As large as the hit zone (200, 232 to 399, 290): the word stands at y 244, 32 high.
    s.add("ok face (the program writes the word)", light_face(s, 201, 233, 197, 56, r=9, sw=3))
    s.write()


def about():
    s = Skin("ABOUT", 608, 514, "About")
    blue = COLOUR["blue"]
    s.add("background and frame", rect(0, 0, 608, 514, fill=PAPER),
          rect(2, 2, 604, 510, fill="none", stroke=blue, sw=4))
    s.add("logo band", rect(4, 4, 600, 104, fill="#E4ECF7"), rect(4, 106, 600, 2, fill=RULE))
    s.add("logo", *group(304, 56, 0.98, p_logo(WHITE, "#FFD21F", INK, back=blue)))
    s.add("motion lines", *group(304, 56, 1.0, [
        path(arc_path(62, 147, 213), stroke=blue, sw=5),
        path(arc_path(76, 151, 209), stroke=blue, sw=5),
        path(arc_path(62, -33, 33), stroke=blue, sw=5),
        path(arc_path(76, -29, 29), stroke=blue, sw=5),
    ]))
    s.add("bottom band (the program writes the manual link at x 20, y 475)",
          rect(4, 458, 600, 52, fill=BACK), rect(4, 458, 600, 2, fill=RULE))
    s.add("close button (the program writes its word)", light_face(s, 441, 472, 142, 31, r=7, sw=3))
    s.write()


def icon():
    s = Skin("Icono", 256, 256, "Veltranix")
    s.add("mark", *group(128, 128, 2.65, p_logo(WHITE, "#FFD21F", INK, back=COLOUR["blue"])))
    s.write()


def main():
    os.makedirs(OUT, exist_ok=True)
    main_menu("MENU_PRINCIPAL_PAUSA", running=True)
    main_menu("MENU_PRINCIPAL", running=False)
    boto3()
    boto_ulls_ok()
    ok_ull()
    reset_0()
    pause_sign = p_pause(COLOUR["blue"])
    exit_sign = p_power(COLOUR["red"], sw=6)
    for lit, suffix in ((None, ""), ("yes", "_TRUE"), ("no", "_FALSE")):
        question("PAUSE" + suffix, COLOUR["blue"], pause_sign, lit)
        question("SALIDA" + suffix, COLOUR["red"], exit_sign, lit)
    warning()
    notice()
    about()
    icon()
    __import__("skins_options").main()
    __import__("skins_click_menu").draw()
    __import__("skins_macros").draw()


if __name__ == "__main__":
    main()
