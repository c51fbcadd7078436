"""The macro editor's skins: its background and every tool's face, each with
its disabled form. Drawn with draw_skins.py's palette and helpers; called
from draw_skins.main()."""

import draw_skins as d
from draw_skins import COLOUR, INK, PAPER, BACK, RULE, WHITE, Skin, rect, circle, path, group, face

DISABLED = "#A7B0BC"  # a tool that does nothing in this mode
DISABLED_INK_DARK = "#8A94A2"
TOOL_W, TOOL_H = 52, 40


def p_document(c, back):
    return [
        path("M -11 -16 L 5 -16 L 13 -8 L 13 16 L -11 16 Z", fill=back, stroke=c, sw=3.5),
        path("M 5 -16 L 5 -8 L 13 -8", stroke=c, sw=3),
    ]


def p_new_profile(c, back, plus):
    return p_document(c, back) + [
        circle(9, 9, 9, fill=plus),
        path("M 9 3.5 L 9 14.5 M 3.5 9 L 14.5 9", stroke=WHITE, sw=3.2),
    ]


def p_delete_profile(c, back, cross):
    return p_document(c, back) + [
        circle(9, 9, 9, fill=cross),
        path("M 5 5 L 13 13 M 13 5 L 5 13", stroke=WHITE, sw=3.2),
    ]


def p_padlock(c, body, closed):
    """A padlock, its shackle closed or swung open to the right."""
    if closed:
        shackle = [path("M -8 -3 L -8 -9 A 8 8 0 0 1 8 -9 L 8 -3", stroke=c, sw=4)]
    else:
        shackle = ['<g transform="translate(14 -4)">',
                   "  " + path("M -8 -3 L -8 -9 A 8 8 0 0 1 8 -9", stroke=c, sw=4), "</g>"]
    return shackle + [rect(-12, -3, 24, 19, fill=body, stroke=c, sw=3, r=3), circle(0, 5, 2.8, fill=c)]


def p_folder(c, back):
    return [
        path("M -17 -12 L -6 -12 L -2 -8 L 17 -8 L 17 14 L -17 14 Z", fill=back, stroke=c, sw=3.2),
        path("M -17 -3 L 17 -3", stroke=c, sw=2.5),
    ]


def p_run(c, back):
    return [
        rect(-17, -14, 34, 28, fill=back, stroke=c, sw=3, r=3),
        rect(-17, -14, 34, 7, fill=c, r=2),
        path("M -10 -1 L -3 4 L -10 9", stroke=c, sw=3),
        path("M 0 9 L 9 9", stroke=c, sw=3),
    ]


def p_hourglass(c, sand):
    return [
        path("M -10 -16 L 10 -16 M -10 16 L 10 16", stroke=c, sw=3.5),
        path("M -8 -15 L 8 -15 L 8 -10 L 1.5 0 L 8 10 L 8 15 L -8 15 L -8 10 L -1.5 0 L -8 -10 Z",
             fill="none", stroke=c, sw=3),
        path("M -5 -8 L 5 -8 L 0 -1 Z", fill=sand),
        path("M -5.5 13 L 5.5 13 L 0 7 Z", fill=sand),
    ]


def p_clipboard(c, back):
    return [
        rect(-12, -13, 24, 29, fill=back, stroke=c, sw=3, r=3),
        rect(-6, -17, 12, 7, fill=c, r=2),
        path("M -6 -2 L 6 -2 M -6 4 L 6 4 M -6 10 L 2 10", stroke=c, sw=2.6),
    ]


def tool(name, colour, draw, k=0.9):
    """A tool face of the editor and, when asked, its disabled form."""
    s = Skin(name, TOOL_W, TOOL_H, "Macro editor tool " + name)
    s.add("face", face(s, 0, 0, TOOL_W, TOOL_H, colour, r=6, sw=2.5))
    s.add("sign", *group(TOOL_W / 2, TOOL_H / 2, k, draw(WHITE, colour)))
    s.write()


def tool_pair(name, disabled_name, colour, draw, k=0.9):
    tool(name, COLOUR[colour] if colour in COLOUR else colour, draw, k)
    s = Skin(disabled_name, TOOL_W, TOOL_H, "Macro editor tool " + name + ", not available")
    s.add("face", d.rect(1.25, 1.25, TOOL_W - 2.5, TOOL_H - 2.5, fill="#CDD3DB", stroke=DISABLED, sw=2.5, r=6))
    s.add("sign", *group(TOOL_W / 2, TOOL_H / 2, k, draw(DISABLED_INK_DARK, "#CDD3DB")))
    s.write()


def check_box(name, selected):
    s = Skin(name, 25, 25, "Macro editor choice, " + ("chosen" if selected else "not chosen"))
    if selected:
        s.add("chosen", rect(1, 1, 23, 23, fill=COLOUR["green"], stroke=INK, sw=2, r=5),
              *group(12.5, 13, 0.5, d.p_check(WHITE, sw=8)))
    else:
        s.add("not chosen", rect(1, 1, 23, 23, fill=WHITE, stroke=INK, sw=2, r=5))
    s.write()


def background(name, active):
    frame = COLOUR["blue"] if active else RULE
    s = Skin(name, 640, 480, "Macro editor" + (" (in use)" if active else ""))
    s.add("background", rect(0, 0, 640, 480, fill=BACK),
          rect(2, 2, 636, 476, fill="none", stroke=frame, sw=4))
    s.add("title band (the program writes the profile's name at x 50)",
          rect(4, 4, 632, 30, fill=d.lighter(frame, 0.75)))
    s.add("grip: the window is dragged from here",
          d.light_face(s, 538, 4, 83, 25, r=5, sw=2),
          *group(579.5, 16.5, 0.42, [
              path("M -20 0 L 20 0 M 0 -20 L 0 20", stroke=INK, sw=5),
              path("M -26 0 L -17 -8 L -17 8 Z M 26 0 L 17 -8 L 17 8 Z M 0 -26 L -8 -17 L 8 -17 Z M 0 26 L -8 17 L 8 17 Z", fill=INK),
          ]))
    s.add("macro column panel", rect(12, 38, 258, 206, fill=d.lighter(BACK, 0.5), stroke=RULE, sw=1.5, r=6))
    s.add("keys and a pointer: the six macros", *group(76, 141, 1.15, [
        rect(-44, -22, 88, 50, fill=WHITE, stroke=INK, sw=3.5, r=6),
        *[rect(-37 + 15 * i, -15, 11, 10, fill=d.lighter(INK, 0.35), r=2) for i in range(5)],
        *[rect(-37 + 15 * i, 0, 11, 10, fill=d.lighter(INK, 0.35), r=2) for i in range(5)],
        rect(-26, 15, 52, 7, fill=d.lighter(INK, 0.35), r=2),
        '<g transform="translate(14 -6) scale(1.2)">',
        "  " + path(d.POINTER, fill=d.LIT, stroke=INK, sw=3),
        "</g>",
    ]))
    s.add("buttons band (the program places OK and cancel here)",
          rect(4, 441, 632, 35, fill=d.lighter(frame, 0.82)))
    s.write()


def run_icon():
    s = Skin("RUN_ICO", 48, 48, "Run a program")
    s.add("sign", *group(24, 24, 1.2, p_run(INK, WHITE)))
    s.write()


def draw():
    background("MACROS", active=False)
    background("MACROS_TRANSP", active=True)
    check_box("ICO_OK", True)
    check_box("ICO_FALSE", False)
    tool("SAVE", COLOUR["green"], lambda c, b: p_new_profile(INK, WHITE, COLOUR["green"]), 0.95)
    tool("DELETEF", COLOUR["red"], lambda c, b: p_delete_profile(INK, WHITE, COLOUR["red"]), 0.95)
    tool_pair("ERASE", "ERASE_DIS", "slate", lambda c, b: d.p_eraser(c, b), 0.8)
    tool_pair("RESTORE", "RESTORE_dis", "blue", lambda c, b: d.p_restart(c), 0.85)
    tool_pair("CANDADO_ABIERTO", "CANDADO_ABIERTO_DIS", "teal", lambda c, b: p_padlock(c, b, False))
    tool("CANDADO", COLOUR["red"], lambda c, b: p_padlock(WHITE, COLOUR["red"], True))
    tool_pair("OPEN_FILE", "OPEN_FILE_DIS", "orange", lambda c, b: p_folder(c, b))
    tool_pair("RUN", "RUN_DIS", "teal", lambda c, b: p_run(c, b))
    tool_pair("TEMPS", "TEMPS_DIS", "blue", lambda c, b: p_hourglass(c, d.LIT))
    tool_pair("COPY", "COPY_DIS", "orange", lambda c, b: p_clipboard(c, b))
    run_icon()
