#!/usr/bin/env python3
"""Draws the options menus' skins and pictures into resources/skins/.

The webcam menu (MENUOPCIONS, the animations RELATIVO0-27 and ABSOLUTE0-27),
the system menu (SYSTEM, the pause picture PAUSE_00-02), the mouse menu
(MENU_OP_RATON and its demonstration pictures) and the check mark. Same
palette and button faces as draw_skins.py; the program writes every word.

Run through draw_skins.py, or alone:  python3 scripts/skins_options.py
"""

import math

import draw_skins as d
from draw_skins import (BACK, COLOUR, INK, PAPER, RULE, WHITE, Skin, circle, face, group,
                        light_face, path, rect)

ORANGE = COLOUR["orange"]
TEAL = COLOUR["teal"]
GREEN = COLOUR["green"]
RED = COLOUR["red"]
BLUE = COLOUR["blue"]


def frame(s, colour):
    s.add("background and frame", rect(0, 0, s.width, s.height, fill=BACK),
          rect(2, 2, s.width - 4, s.height - 4, fill="none", stroke=colour, sw=4))


def panel(x0, y0, x1, y1, r=6):
    return rect(x0, y0, x1 - x0, y1 - y0, fill=PAPER, stroke=RULE, sw=1.5, r=r)


def option(s, x0, y0, x1, y1):
    """An option face filling its hit rectangle."""
    return light_face(s, x0 + 1, y0 + 1, x1 - x0 - 2, y1 - y0 - 2, r=7, sw=2.5)


def arrow(x0, x1, y, c, sw=4, both=False):
    """A horizontal arrow from x0 to x1 (the head at x1)."""
    direction = 1 if x1 > x0 else -1
    head = "M %s %s L %s %s L %s %s Z" % (
        d.num(x1), d.num(y), d.num(x1 - direction * 9), d.num(y - 7), d.num(x1 - direction * 9),
        d.num(y + 7))
    out = [path("M %s %s L %s %s" % (d.num(x0), d.num(y), d.num(x1 - direction * 6), d.num(y)),
                stroke=c, sw=sw), path(head, fill=c, stroke=c, sw=1.5)]
    if both:
        out += arrow(x1, x0, y, c, sw)[1:]
    return out


def chevrons(cx, cy, count, c):
    out = []
    for i in range(count):
        x = cx + (i - (count - 1) / 2) * 16
        out.append(path("M %s %s L %s %s L %s %s" % (d.num(x - 5), d.num(cy - 11), d.num(x + 6),
                                                     d.num(cy), d.num(x - 5), d.num(cy + 11)),
                        stroke=c, sw=5))
    return out


def head_and_arrow(cx, cy, mirrored):
    """A head with the way it turns (blue) and the way the pointer goes (orange)."""
    out = group(cx - 30, cy + 2, 1.1, d.p_head(INK)) + arrow(cx - 5, cx + 45, cy - 20, BLUE)
    return out + (arrow(cx + 45, cx - 5, cy + 18, ORANGE) if mirrored else
                  arrow(cx - 5, cx + 45, cy + 18, ORANGE))


def webcam_menu():
    s = Skin("MENUOPCIONS", 608, 570, "Webcam options menu")
    frame(s, ORANGE)
    # Row headings: pictograms in the left column.
    s.add("mirror row", panel(10, 13, 150, 101),
          *group(45, 57, 1.0, d.p_webcam(INK, PAPER)),
          *arrow(75, 135, 45, BLUE, both=True), *arrow(75, 135, 72, ORANGE, both=True))
    s.add("speed row", panel(10, 127, 150, 170), *chevrons(80, 148.5, 3, INK))
    s.add("range row", panel(10, 196, 150, 276),
          *group(80, 225, 0.9, d.p_head(INK)), *arrow(30, 130, 262, BLUE, both=True))
    s.add("mirror options", option(s, 163, 13, 311, 101), option(s, 441, 13, 590, 101),
          *head_and_arrow(237, 57, False), *head_and_arrow(515, 57, True))
    s.add("camera between the mirror options", *group(376, 57, 1.2, d.p_webcam(RULE, BACK)))
    for i, (x0, x1) in enumerate(((163, 277), (320, 433), (477, 590))):
        cx = (x0 + x1) / 2
        # Option 1 is the slowest: one chevron; option 3 the fastest: three.
        s.add("speed %d" % (i + 1), option(s, x0, 127, x1, 170), *chevrons(cx, 148.5, i + 1, BLUE))
        half = (20, 35, 50)[i]
        s.add("range %d" % (i + 1), option(s, x0, 196, x1, 276),
              *group(cx, 224, 0.85, d.p_head(INK)), *arrow(cx - half, cx + half, 262, ORANGE, sw=3.5, both=True))
    s.add("pointer modes (the program writes their names and shows their animations)",
          option(s, 12, 301, 144, 342), option(s, 163, 302, 367, 450), option(s, 388, 302, 590, 450))
    s.add("head movement off", *group(78, 392, 1.1, d.p_head(RULE)),
          path("M 52 366 L 104 418", stroke=RED, sw=6))
    s.add("ok and cancel (the program writes the words)",
          light_face(s, 109, 473, 144, 27, r=6, sw=2.5), light_face(s, 358, 473, 144, 27, r=6, sw=2.5))
    s.add("camera row: previous, the camera's name (the program writes it), next",
          rect(8, 508, 592, 1.5, fill=RULE), panel(10, 516, 150, 562),
          *group(50, 539, 0.95, d.p_webcam(INK, PAPER)), *group(110, 539, 0.95, d.p_webcam(INK, PAPER)),
          *arrow(66, 94, 539, ORANGE, sw=3.5, both=True),
          face(s, 163, 516, 56, 46, ORANGE, r=6, sw=2.5),
          path("M 201 525 L 181 539 L 201 553 Z", fill=WHITE, stroke=WHITE, sw=2),
          panel(225, 518, 528, 560, r=5),
          face(s, 534, 516, 56, 46, ORANGE, r=6, sw=2.5),
          path("M 552 525 L 572 539 L 552 553 Z", fill=WHITE, stroke=WHITE, sw=2))
    s.write()


def animation(name, n, absolute):
    """Frame n of the pointer-mode animation, 150 x 113: a head and a screen."""
    s = Skin(name + str(n), 150, 113, "%s pointer mode, frame %d" % ("Absolute" if absolute else "Relative", n))
    s.add("background", rect(0, 0, 150, 113, fill=WHITE))
    phase = 2 * math.pi * ((n - 1) % 26) / 26
    if absolute:
        head = 9 * math.sin(phase)
        pointer = 103 + 32 * math.sin(phase)
    else:
        # The head turned aside keeps the pointer travelling; back in the
        # middle it stops.
        head = 9 if math.sin(phase) > 0.3 else (-9 if math.sin(phase) < -0.3 else 0)
        t = ((n - 1) % 26) / 26
        pointer = 103 + 32 * (4 * t - 1 if t < 0.5 else 3 - 4 * t)
    s.add("head", *group(35 + head, 60, 1.25, d.p_head(INK)))
    s.add("screen", rect(66, 22, 76, 58, fill=PAPER, stroke=INK, sw=3, r=3),
          rect(98, 80, 12, 10, fill=INK))
    s.add("pointer", *group(pointer - 5, 32, 0.55, [path(d.POINTER, fill=WHITE, stroke=INK, sw=4)]))
    s.write()


def check_mark():
    s = Skin("checkbox", 25, 23, "Check mark")
    s.add("box", rect(1, 1, 23, 21, fill=WHITE, stroke=INK, sw=2, r=3))
    s.add("check", *group(12.5, 11.5, 0.55, d.p_check(GREEN, sw=9)))
    s.write()


def radio(x0, y0, x1, y1):
    return rect(x0 + 1, y0 + 1, x1 - x0 - 2, y1 - y0 - 2, fill=WHITE, stroke=INK, sw=2, r=3)


def system_menu():
    s = Skin("SYSTEM", 604, 514, "System options menu")
    frame(s, TEAL)
    s.add("language: next (pointing on), the name, previous (pointing back)",
          face(s, 178, 32, 22, 33, TEAL, r=4, sw=2),
          path("M 184 40 L 194 48.5 L 184 57 Z", fill=WHITE),
          panel(200, 34, 380, 63, r=4),
          face(s, 380, 32, 20, 33, TEAL, r=4, sw=2),
          path("M 395 40 L 385 48.5 L 395 57 Z", fill=WHITE))
    boxes = [(178, 111, 200, 129), (178, 151, 200, 169), (178, 201, 200, 220), (178, 239, 200, 256),
             (322, 201, 341, 220), (178, 294, 200, 311), (178, 334, 200, 353), (178, 383, 200, 402),
             (178, 426, 200, 443), (501, 111, 523, 129), (501, 151, 523, 169)]
    s.add("choice boxes (the program writes the words beside them)", *[radio(*b) for b in boxes])
    s.add("separators", rect(8, 92, 588, 1.5, fill=RULE), rect(8, 186, 290, 1.5, fill=RULE),
          rect(8, 280, 588, 1.5, fill=RULE), rect(8, 368, 588, 1.5, fill=RULE))
    s.add("sound", *group(150, 140, 0.8, sound_sign(INK)))
    s.add("automatic start", *group(565, 60, 0.8, d.p_power(GREEN, sw=5)))
    s.add("pause picture place", panel(298, 290, 387, 359))
    s.add("ok and cancel (the program writes the words)",
          light_face(s, 107, 473, 144, 27, r=6, sw=2.5), light_face(s, 356, 473, 144, 27, r=6, sw=2.5))
    s.write()


def sound_sign(c):
    return [path("M -14 -6 L -6 -6 L 4 -15 L 4 15 L -6 6 L -14 6 Z", fill=c),
            path(d.arc_path(10, -45, 45), stroke=c, sw=3.5),
            path(d.arc_path(17, -45, 45), stroke=c, sw=3.5)]


def pause_picture(n):
    s = Skin("PAUSE_0%d" % n, 85, 65, "Automatic pause, frame %d" % n)
    s.add("background", rect(0, 0, 85, 65, fill=WHITE))
    angle = (-14, 0, 14)[n]
    s.add("a head shaking", '<g transform="translate(30 36) rotate(%d)">' % angle,
          *["  " + e for e in d.p_head(INK)], "</g>")
    s.add("motion", path(d.arc_path(26, 200, 250), stroke=BLUE, sw=3).replace("<path", '<path transform="translate(30 36)"'),
          path(d.arc_path(26, 290, 340), stroke=BLUE, sw=3).replace("<path", '<path transform="translate(30 36)"'))
    s.add("pause", *group(70, 18, 0.45, d.p_pause(BLUE)))
    s.write()


COLUMNS = [(3, 134), (134, 214), (214, 291), (291, 369), (369, 450), (450, 528), (528, 605),
           (605, 683)]
WIDTH = 686
# The scroll speed's three steps, under the scroll column.
SCROLL_SPEED_ROWS = [(360, 388), (389, 417), (418, 446)]
ROWS = [(8, 100), (100, 174), (174, 247), (247, 329)]


def mouse_sign(c, lit):
    """A mouse seen from above; `lit` names the pressed buttons: l, m, r."""
    out = [path("M -13 -4 L -13 10 A 13 13 0 0 0 13 10 L 13 -4 A 13 13 0 0 0 -13 -4 Z",
                fill=WHITE, stroke=c, sw=3)]
    if "l" in lit:
        out.append(path("M -13 -3 A 13 13 0 0 1 -1 -17 L -1 -3 Z", fill=ORANGE))
    if "r" in lit:
        out.append(path("M 13 -3 A 13 13 0 0 0 1 -17 L 1 -3 Z", fill=ORANGE))
    out += [path("M -13 -3 L 13 -3", stroke=c, sw=2.5), path("M 0 -17 L 0 -3", stroke=c, sw=2.5)]
    if "m" in lit:
        out.append(rect(-3, -14, 6, 9, fill=ORANGE, stroke=c, sw=1.5, r=3))
    return out


def menu_sign(c):
    return [rect(-15, -17, 30, 34, fill=WHITE, stroke=c, sw=3, r=3)] + [
        rect(-10, -11 + 8 * i, 20, 4, fill=ORANGE if i == 1 else c, r=1) for i in range(3)]


def drag_sign(c, moving):
    out = [rect(-16, -10, 20, 16, fill=WHITE, stroke=c, sw=2.5, r=2, extra=' stroke-dasharray="4 3"')]
    if moving:
        out.append(rect(-4, -2, 20, 16, fill=lighter_orange(), stroke=c, sw=2.5, r=2))
    out += group(6 if moving else -6, 0, 0.45, [path(d.POINTER, fill=WHITE, stroke=c, sw=4)])
    return out


def lighter_orange():
    return d.lighter(ORANGE, 0.55)


def eye_closed(c):
    return [path("M -17 -2 Q 0 12 17 -2", stroke=c, sw=4),
            *[path("M %d %d L %d %d" % (x, 5, x * 1.3, 12), stroke=c, sw=2.5) for x in (-9, 0, 9)]]


def mouth_open(c):
    return [path("M -15 -2 Q 0 -10 15 -2 Q 0 22 -15 -2 Z", fill=INK, stroke=c, sw=3),
            path("M -8 5 Q 0 9 8 5", stroke=RED, sw=3)]


def clock(c, seconds, total=8):
    out = [circle(0, 0, 17, fill=WHITE, stroke=c, sw=3)]
    if seconds:
        end = -90 + 360 * seconds / total
        x1, y1 = d.polar(14, end)
        large = 1 if seconds / total > 0.5 else 0
        if seconds >= total:
            out.append(circle(0, 0, 14, fill=ORANGE))
        else:
            out.append(path("M 0 0 L 0 -14 A 14 14 0 %d 1 %s %s Z" % (large, d.num(x1), d.num(y1)),
                            fill=ORANGE))
    out.append(path("M 0 0 L 0 -11", stroke=c, sw=2.5))
    return out


def picture(name, title, body, k=1.1):
    s = Skin(name, 50, 50, title)
    s.add("background", rect(0, 0, 50, 50, fill=WHITE, stroke=RULE, sw=1, r=6))
    s.add(title, *group(25, 25, k, body))
    s.write()


def mouse_menu():
    s = Skin("MENU_OP_RATON", WIDTH, 514, "Mouse options menu")
    frame(s, ORANGE)
    s.add("headings row", panel(3, 8, 683, 100))
    heads = [("left click", mouse_sign(INK, "l")), ("click-type menu", menu_sign(INK)),
             ("right click", mouse_sign(INK, "r")), ("double click", mouse_sign(INK, "l")),
             ("middle click", mouse_sign(INK, "m")), ("drag", drag_sign(INK, True)),
             ("scroll", d.p_scroll(INK, ORANGE))]
    for (x0, x1), (what, body) in zip(COLUMNS[1:], heads):
        s.add(what + " (the program writes its name below)", *group((x0 + x1) / 2, 42, 1.15, body))
    s.add("double click's second press", path("M 424 20 L 434 20 M 429 15 L 429 25", stroke=ORANGE, sw=3))
    for r, (y0, y1) in enumerate(ROWS[1:]):
        s.add("trigger row %d: test area, level buttons" % (r + 1), panel(3, y0 + 1, 134, y1 - 1))
        for x0, x1 in COLUMNS[1:]:
            s.parts.append("  " + option(s, x0 + 2, y0 + 2, x1 - 2, y1 - 2))
    signs = [(137, group(48, 143, 0.9, d.p_eye(INK, WHITE))), (210, group(48, 214, 0.9, mouth_open(INK))),
             (288, group(22, 288, 0.7, clock(INK, 3)))]
    for _, body in signs:
        s.add("trigger sign", *body)
    plus_minus = [(105, "+"), (140, "-"), (179, "+"), (214, "-"), (254, "+"), (293, "-")]
    for y, sign in plus_minus:
        body = [path("M 108 %d L 122 %d" % (y + 15, y + 15), stroke=WHITE, sw=4)]
        if sign == "+":
            body.append(path("M 115 %d L 115 %d" % (y + 8, y + 22), stroke=WHITE, sw=4))
        s.add("level " + sign, face(s, 100, y, 30, 30, GREEN if sign == "+" else BLUE, r=5, sw=2), *body)
    s.add("macros in the click-type menu", option(s, 214, 331, 291, 419),
          *group(262, 385, 0.9, menu_sign(INK)), *group(262, 385, 0.4, d.p_play(ORANGE)))
    s.add("macro editor (the program writes its name)", light_face(s, 27, 379, 78, 29, r=5, sw=2))
    s.add("counters (the program writes them)", panel(316, 336, 605, 396))
    s.add("gesture hold (the program writes its name and the time)", panel(316, 404, 605, 446))
    for x, sign in [(470, "-"), (566, "+")]:
        body = [path("M %d 425 L %d 425" % (x + 8, x + 22), stroke=WHITE, sw=4)]
        if sign == "+":
            body.append(path("M %d 418 L %d 432" % (x + 15, x + 15), stroke=WHITE, sw=4))
        s.add("hold " + sign, face(s, x, 410, 30, 30, GREEN if sign == "+" else BLUE, r=5, sw=2),
              *body)
    s.add("scroll speed (the program writes its name)", panel(608, 336, 683, 446))
    for step, (y0, y1) in enumerate(SCROLL_SPEED_ROWS):
        arrows = []
        for i in range(step + 1):
            x = 660 - 6 * step + 12 * i
            arrows.append(path("M %d %d L %d %d L %d %d" % (x - 4, y0 + 8, x + 4, y0 + 14, x - 4, y0 + 20),
                               stroke=INK, sw=3))
        s.add("scroll speed %d" % (step + 1), light_face(s, 614, y0 + 1, 63, y1 - y0 - 2, r=5, sw=2),
              *arrows)
    s.add("ok and cancel (the program writes the words)",
          light_face(s, 161, 459, 142, 28, r=6, sw=2.5), light_face(s, 410, 459, 143, 28, r=6, sw=2.5))
    s.write()


def pictures():
    picture("OJO_CERRADO", "eyes closed", eye_closed(INK))
    picture("BOCA_OBERTA", "mouth open", mouth_open(INK))
    picture("RATOLI", "left click", mouse_sign(INK, "l"))
    picture("RATOLI_BLANC", "mouse at rest", mouse_sign(INK, ""))
    picture("RATOLI_DRET", "right click", mouse_sign(INK, "r"))
    picture("RATOLI_MIG", "middle click", mouse_sign(INK, "m"))
    picture("RATOLI_DOBLE", "double click", mouse_sign(INK, "l") + [
        path("M 16 -16 L 24 -16 M 20 -20 L 20 -12", stroke=ORANGE, sw=3)], k=1.0)
    picture("DESP_OBERT", "click-type menu open", menu_sign(INK))
    picture("ARRASTRA", "dragging", drag_sign(INK, True))
    picture("ARRASTRA_BLANC", "drag at rest", drag_sign(INK, False))
    picture("DESPLACA", "scrolling", d.p_scroll(INK, ORANGE), k=1.0)
    picture("OK_BLANC", "assigned", d.p_check(GREEN, sw=7), k=0.9)
    for n in range(2, 9):
        picture("RELLOTGE%d" % n, "dwell clock at %d s" % n, clock(INK, n))


def main():
    webcam_menu()
    for n in range(28):
        animation("RELATIVO", n, absolute=False)
        animation("ABSOLUTE", n, absolute=True)
    check_mark()
    system_menu()
    for n in range(3):
        pause_picture(n)
    mouse_menu()
    pictures()


if __name__ == "__main__":
    main()
