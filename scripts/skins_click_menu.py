"""Draws the click-type menu's skins: CLICK_DESPL (with the macro column)
and CLIC_SIMPLE (without). Called by draw_skins.py.

Each click type has a cell with a pictogram in its upper part; the program
writes the type's name under it and the macro names in the macro column.
"""

from draw_skins import COLOUR, INK, PAPER, RULE, WHITE, BACK, Skin, circle, face, group, light_face
from draw_skins import lighter, p_scroll, path, rect

MOUSE_BODY = "M -13 -4 L -13 8 A 13 13 0 0 0 13 8 L 13 -4 A 13 13 0 0 0 -13 -4 Z"
LEFT_BUTTON = "M -13 -3 L -13 -4 A 13 13 0 0 1 0 -17 L 0 -3 Z"
RIGHT_BUTTON = "M 13 -3 L 13 -4 A 13 13 0 0 0 0 -17 L 0 -3 Z"


def p_mouse_with(c, lit, button):
    """A mouse seen from above with one part lit: 'left', 'right' or 'middle'."""
    out = []
    if button == "left":
        out.append(path(LEFT_BUTTON, fill=lit))
    elif button == "right":
        out.append(path(RIGHT_BUTTON, fill=lit))
    out += [
        path(MOUSE_BODY, stroke=c, sw=3.5),
        path("M -13 -3 L 13 -3", stroke=c, sw=3),
        path("M 0 -17 L 0 -3", stroke=c, sw=3),
    ]
    if button == "middle":
        out.append(rect(-3.5, -14, 7, 12, fill=lit, stroke=c, sw=2, r=3.5))
    return out


def p_double(c, lit):
    """The left button and two ripples: click twice."""
    out = group(-5, 3, 0.9, p_mouse_with(c, lit, "left"))
    out += [
        path("M 10 -14 A 9 9 0 0 1 16 -4", stroke=lit, sw=3),
        path("M 13 -20 A 16 16 0 0 1 22 -4", stroke=lit, sw=3),
    ]
    return out


def p_drag(c):
    """A four-way arrow: hold the button and move."""
    out = [path("M -17 0 L 17 0 M 0 -17 L 0 17", stroke=c, sw=3.5)]
    for d in ("M -20 0 L -13 -6 L -13 6 Z", "M 20 0 L 13 -6 L 13 6 Z",
              "M 0 -20 L -6 -13 L 6 -13 Z", "M 0 20 L -6 13 L 6 13 Z"):
        out.append(path(d, fill=c, stroke=c, sw=1.5))
    return out


def p_hold(c, lit):
    """The left button and a small clock: press and hold."""
    out = group(-6, 2, 0.85, p_mouse_with(c, lit, "left"))
    out += [
        circle(12, -9, 8.5, fill=WHITE, stroke=c, sw=2.5),
        path("M 12 -14 L 12 -9 L 16 -7", stroke=c, sw=2.2),
    ]
    return out


# (left, top, right, bottom) of each plain cell, as the menu's hit table has them.
CELLS = [
    ("double click", (0, 0, 70, 68), lambda c, l: p_double(c, l)),
    ("drag", (70, 0, 140, 68), lambda c, l: p_drag(c)),
    ("right click", (0, 68, 70, 136), lambda c, l: p_mouse_with(c, l, "right")),
    ("left click", (70, 68, 140, 136), lambda c, l: p_mouse_with(c, l, "left")),
    ("timed press", (0, 136, 70, 200), lambda c, l: p_hold(c, l)),
    ("middle click", (70, 136, 140, 200), lambda c, l: p_mouse_with(c, l, "middle")),
]
# The scroll row under the click types, as wide as they are.
SCROLL_CELL = (0, 200, 140, 250)
HEIGHT = 251
MACRO_CELLS = [(0, 38), (38, 68), (68, 102), (102, 136), (136, 170), (170, 200)]


def click_menu(name, with_macros):
    width = 231 if with_macros else 140
    s = Skin(name, width, HEIGHT, "Click-type menu" + (" with macros" if with_macros else ""))
    s.add("background and frame", rect(0, 0, width, HEIGHT, fill=BACK),
          rect(1, 1, width - 2, HEIGHT - 2, fill="none", stroke=INK, sw=2))
    lit = COLOUR["orange"]
    for what, (x0, y0, x1, y1), draw in CELLS:
        # The program writes the name in the lowest 18 units of the cell.
        s.add(what + " (the program writes its name under the picture)",
              light_face(s, x0 + 2, y0 + 2, x1 - x0 - 4, y1 - y0 - 4, r=6, sw=2),
              *group((x0 + x1) / 2, y0 + 24, 0.82, draw(INK, lit)))
    x0, y0, x1, y1 = SCROLL_CELL
    # The pictogram on the left, the program's word on the right half.
    s.add("scroll (the program writes its name beside the picture)",
          light_face(s, x0 + 2, y0 + 2, x1 - x0 - 4, y1 - y0 - 4, r=6, sw=2),
          *group(x0 + 28, (y0 + y1) / 2, 0.9, p_scroll(INK, lit)))
    if with_macros:
        band = lighter(COLOUR["teal"], 0.82)
        s.add("macro column", rect(140, 0, 91, HEIGHT, fill=band),
              rect(140, 0, 2, HEIGHT, fill=RULE))
        for i, (y0, y1) in enumerate(MACRO_CELLS):
            s.add("macro %d (the program writes its name)" % (i + 1),
                  rect(144, y0 + 2.5, 84, y1 - y0 - 5, fill=PAPER, stroke=COLOUR["teal"],
                       sw=1.5, r=5))
        s.add("frame again, over the column", rect(1, 1, width - 2, HEIGHT - 2, fill="none",
                                                   stroke=INK, sw=2))
    s.write()


def draw():
    click_menu("CLICK_DESPL", with_macros=True)
    click_menu("CLIC_SIMPLE", with_macros=False)
