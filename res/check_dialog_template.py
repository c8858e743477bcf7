#!/usr/bin/env python3
"""Checks the compiled resources of the recorder against the dialog's layout table.

Usage: check_dialog_template.py RESOURCES.res

RESOURCES.res is the resource script compiled to the .res format, for example
    i686-w64-mingw32-windres -I res -i res/varnotek.rc -O res -o varnotek.res
The check reads the dialog "VARNOTEK" as Windows will read it: the dialog's style, extended
style, place, font and title, and every control's class, id, text, place and style bits.
It also checks that every icon a control names is an icon resource and that there is no
menu "TOP_MENU". Prints what differs and exits with 1, or prints a summary and exits with 0.
Python 3 standard library only.
"""

import struct
import sys

RT_ICON, RT_MENU, RT_DIALOG, RT_GROUP_ICON = 3, 4, 5, 14

WS_POPUP, WS_VISIBLE, WS_DISABLED = 0x80000000, 0x10000000, 0x08000000
WS_MAXIMIZE, WS_BORDER, WS_VSCROLL = 0x01000000, 0x00800000, 0x00200000
WS_GROUP, WS_TABSTOP, WS_CHILD = 0x00020000, 0x00010000, 0x40000000
DS_SETFONT, DS_CENTER = 0x40, 0x800
ES_READONLY, ES_NUMBER = 0x800, 0x2000
SS_LEFT, SS_ICON, SS_LEFTNOWORDWRAP, SS_TYPEMASK = 0x0, 0x3, 0xC, 0x1F
SS_NOTIFY, SS_SUNKEN = 0x100, 0x1000
BS_TYPEMASK = 0xF
CBS_DROPDOWN, CBS_SORT = 0x2, 0x100

# Button kinds by their BS_ type; the other kinds are told by their class.
BUTTON_TYPES = {"push": 0x0, "check": 0x2, "autocheck": 0x3, "group": 0x7, "autoradio": 0x9}
CLASS_OF = {"push": 0x80, "check": 0x80, "autocheck": 0x80, "group": 0x80, "autoradio": 0x80,
            "edit": 0x81, "label": 0x82, "icon": 0x82, "combo": 0x85}

# The layout: (id, kind, text, (x, y, width, height), flags). None for controls without an
# id. Flags: readonly, border, digits, tabstop, disabled, notify, sunken, hidden (not
# visible at start: the stacked icons that are not the default of their group).
CONTROLS = [
    (900, "icon", "AA_DRICON", (92, 14, 21, 18), {"notify"}),
    (706, "push", "Start Recording", (131, 16, 60, 12), set()),
    (707, "push", "Stop Recording", (200, 16, 60, 12), set()),
    (710, "push", "Help", (269, 16, 41, 12), set()),
    (701, "push", "Quit", (319, 16, 41, 12), set()),
    (880, "icon", "RED_LIGHT", (369, 13, 21, 18), set()),
    (881, "icon", "GREEN_LIGHT", (369, 13, 21, 18), {"hidden"}),
    (882, "icon", "YELLOW_LIGHT", (369, 13, 21, 18), {"hidden"}),
    (124, "label", "IRIG Signal", (392, 19, 37, 8), set()),
    (None, "label", "REPORT:", (90, 41, 33, 10), set()),
    (703, "edit", "", (129, 40, 218, 12), {"readonly", "border"}),
    (None, "label", "TIME:", (358, 41, 18, 10), set()),
    (730, "edit", "", (376, 40, 49, 12), {"readonly", "border"}),
    (None, "label", "FILE NAME:", (90, 58, 38, 10), set()),
    (704, "combo", "", (129, 56, 121, 62), set()),
    (717, "push", "Max File Size", (261, 56, 52, 12), set()),
    (718, "edit", "", (315, 56, 46, 12), {"readonly", "border"}),
    (708, "autocheck", "IRIG-B Input", (376, 57, 51, 9), set()),
    (None, "group", "STACK Format", (90, 74, 336, 51), set()),
    (716, "autoradio", "Binary / Hexadecimal", (138, 84, 82, 12), {"tabstop"}),
    (713, "autoradio", "MDM (Multiplexer Demultiplexer)", (266, 84, 114, 12), {"tabstop"}),
    (715, "autoradio", "EIU (Engine Interface Unit)", (138, 96, 104, 12), {"disabled"}),
    (712, "autoradio", "LDB (Launch Data Bus)", (266, 96, 92, 12), {"disabled"}),
    (714, "autoradio", "MEC (Main Engine Controller)", (138, 109, 106, 12), {"disabled"}),
    (711, "autoradio", "1553 (Military Standard 1553)", (266, 109, 108, 12), {"disabled"}),
    (None, "group", "Search Engine", (90, 133, 336, 135), set()),
    (None, "label", "Bus", (102, 150, None, None), set()),
    (None, "label", "Sync", (102, 166, None, None), set()),
    (None, "label", "Errors", (102, 182, None, None), set()),
    (None, "label", "Bit Pattern", (102, 202, None, None), set()),
]
CONTROLS += [(600 + i, "icon", name, (130, 150, 11, 7), {"notify"} | (set() if i == 0 else {"hidden"}))
             for i, name in enumerate(["JX", "J1", "J2", "J3", "J4"])]
CONTROLS += [(400 + i, "icon", name, (130, 166, 23, 7), {"notify"} | (set() if i == 2 else {"hidden"}))
             for i, name in enumerate(["CMD", "DATA", "ANY"])]
CONTROLS += [(500 + i, "icon", name, (130, 182, 60, 7), {"notify"} | (set() if i == 2 else {"hidden"}))
             for i, name in enumerate(["NO_ERRS", "WITH_ERRS", "DONT_CARE"])]
for base, name in ((100, "ONE"), (200, "ZERO"), (300, "DCARE")):
    CONTROLS += [(base + b, "icon", name, (372 - 10 * b, 202, 10, 8),
                  {"notify", "sunken"} | (set() if base == 300 else {"hidden"})) for b in range(24)]
CONTROLS += [
    (802, "push", "Get Number Of Ocurrences", (202, 146, 96, 12), set()),
    (804, "edit", "", (302, 146, 110, 12), {"readonly", "border"}),
    (129, "label", "Occurance", (256, 164, 38, 8), set()),
    (803, "edit", "", (302, 163, 110, 12), {"border", "tabstop"}),
    (800, "push", "Get Line", (202, 180, 44, 12), set()),
    (805, "push", "Next", (254, 180, 44, 12), set()),
    (801, "edit", "", (302, 180, 110, 12), {"readonly", "border"}),
    (840, "edit", "", (100, 220, 68, 12), {"digits"}),
    (842, "check", "", (172, 222, 8, 8), set()),
    (None, "icon", "GAP", (184, 222, 60, 7), set()),
    (843, "check", "", (248, 222, 8, 8), set()),
    (841, "edit", "", (260, 220, 68, 12), {"digits"}),
    (844, "icon", "GAP_BEFORE", (343, 222, 60, 7), {"notify"}),
    (845, "icon", "GAP_AFTER", (343, 222, 60, 7), {"notify", "hidden"}),
    (None, "label", "Days   Hrs    Mins       Seconds", (172, 239, 104, 8), set()),
    (850, "push", "Find Nearest TTag", (102, 248, 65, 12), set()),
    (852, "edit", "", (170, 248, 20, 12), {"digits"}),
    (853, "edit", "", (191, 248, 20, 12), {"digits"}),
    (854, "edit", "", (211, 248, 20, 12), {"digits"}),
    (855, "edit", "", (232, 248, 20, 12), {"digits"}),
    (None, "icon", "POINT", (255, 254, 5, 5), set()),
    (856, "edit", "", (264, 248, 36, 12), {"digits"}),
    (None, "label", "Found at Line:", (303, 250, 46, 10), set()),
    (851, "edit", "", (349, 248, 63, 12), {"readonly", "digits"}),
    (750, "push", "View", (90, 277, 44, 12), set()),
    (None, "label", "From", (145, 279, 18, 9), set()),
    (709, "edit", "", (167, 277, 111, 12), {"digits"}),
    (751, "edit", "", (290, 277, 111, 12), {"digits"}),
    (None, "label", "Lines", (406, 278, 19, 9), set()),
    (720, "push", "Get File Size", (90, 300, 72, 12), set()),
    (719, "edit", "", (167, 300, 180, 12), {"readonly", "border"}),
    (721, "push", "Convert File", (359, 300, 67, 12), {"tabstop"}),
]


def read_sz_or_ord(data, pos):
    """A name field: 0 (none), 0xFFFF and an ordinal, or a zero-terminated UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, pos)
    if first == 0:
        return None, pos + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def read_resources(data):
    """The entries of a .res file as {(type, name): bytes}; string names in upper case."""
    resources = {}
    pos = 0
    while pos + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, pos)
        kind, p = read_sz_or_ord(data, pos + 8)
        name, p = read_sz_or_ord(data, p)
        if isinstance(name, str):
            name = name.upper()
        body = data[pos + header_size:pos + header_size + size]
        if size:
            resources[(kind, name)] = body
        pos = (pos + header_size + size + 3) & ~3
    return resources


def read_dialog(body):
    """A classic DLGTEMPLATE and its items."""
    style, exstyle, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", body, 0)
    menu, p = read_sz_or_ord(body, 18)
    window_class, p = read_sz_or_ord(body, p)
    title, p = read_sz_or_ord(body, p)
    font = None
    if style & DS_SETFONT:
        (points,) = struct.unpack_from("<H", body, p)
        face, p = read_sz_or_ord(body, p + 2)
        font = (points, face)
    items = []
    for _ in range(count):
        p = (p + 3) & ~3
        istyle, iexstyle, ix, iy, icx, icy, iid = struct.unpack_from("<IIhhhhH", body, p)
        iclass, p = read_sz_or_ord(body, p + 18)
        text, p = read_sz_or_ord(body, p)
        (extra,) = struct.unpack_from("<H", body, p)
        p += 2 + extra
        if isinstance(iclass, str):
            iclass = {"BUTTON": 0x80, "EDIT": 0x81, "STATIC": 0x82, "COMBOBOX": 0x85}.get(iclass.upper(), iclass)
        items.append({"style": istyle, "exstyle": iexstyle, "rect": (ix, iy, icx, icy),
                      "id": None if iid == 0xFFFF else iid, "class": iclass, "text": text or ""})
    return {"style": style, "exstyle": exstyle, "count": count, "rect": (x, y, cx, cy), "menu": menu,
            "class": window_class, "title": title, "font": font, "items": items}


def check_control(expected, item):
    """The differences between one expected control and the compiled one, as texts."""
    cid, kind, text, rect, flags = expected
    problems = []
    style = item["style"]
    if item["class"] != CLASS_OF[kind]:
        problems.append("class %r, expected %#x" % (item["class"], CLASS_OF[kind]))
    if item["text"] != text:
        problems.append("text %r, expected %r" % (item["text"], text))
    if any(e is not None and e != a for e, a in zip(rect, item["rect"])):
        problems.append("place %s, expected %s" % (item["rect"], rect))
    if not style & WS_CHILD:
        problems.append("not WS_CHILD")
    wanted_bits = {
        "visible": (WS_VISIBLE, "hidden" not in flags),
        "disabled": (WS_DISABLED, "disabled" in flags),
        "tabstop": (WS_TABSTOP, "tabstop" in flags),
    }
    if kind == "edit":
        wanted_bits["readonly"] = (ES_READONLY, "readonly" in flags)
        wanted_bits["border"] = (WS_BORDER, "border" in flags)
        wanted_bits["digits"] = (ES_NUMBER, "digits" in flags)
    if kind == "icon":
        wanted_bits["notify"] = (SS_NOTIFY, "notify" in flags)
        wanted_bits["sunken"] = (SS_SUNKEN, "sunken" in flags)
        if style & SS_TYPEMASK != SS_ICON:
            problems.append("static type %#x, expected SS_ICON" % (style & SS_TYPEMASK))
    if kind == "label" and style & SS_TYPEMASK not in (SS_LEFT, SS_LEFTNOWORDWRAP):
        problems.append("label type %#x, expected left-aligned text" % (style & SS_TYPEMASK))
    if kind in BUTTON_TYPES and style & BS_TYPEMASK != BUTTON_TYPES[kind]:
        problems.append("button type %#x, expected %#x" % (style & BS_TYPEMASK, BUTTON_TYPES[kind]))
    if kind == "combo" and (style & 0x3 != CBS_DROPDOWN or not style & CBS_SORT or not style & WS_VSCROLL):
        problems.append("combo box style %#x, expected CBS_DROPDOWN, CBS_SORT and WS_VSCROLL" % style)
    for name, (bit, wanted) in wanted_bits.items():
        if bool(style & bit) != wanted:
            problems.append("%s bit %s" % (name, "missing" if wanted else "set"))
    return problems


def check(data):
    problems = []
    resources = read_resources(data)
    if (RT_DIALOG, "VARNOTEK") not in resources:
        return ["no dialog VARNOTEK"], None
    dialog = read_dialog(resources[(RT_DIALOG, "VARNOTEK")])
    if dialog["style"] != (WS_POPUP | WS_VISIBLE | WS_MAXIMIZE | DS_CENTER | DS_SETFONT):
        problems.append("dialog style %#010x, expected 0x91000840" % dialog["style"])
    if dialog["exstyle"] != 0x00002000:
        problems.append("dialog extended style %#010x, expected 0x00002000" % dialog["exstyle"])
    if dialog["rect"] != (293, 244, 532, 326):
        problems.append("dialog place %s, expected (293, 244, 532, 326)" % (dialog["rect"],))
    if dialog["title"] != "DRAVELIN TORVANEL":
        problems.append("dialog title %r" % dialog["title"])
    if dialog["font"] != (8, "Arial"):
        problems.append("dialog font %s" % (dialog["font"],))
    if dialog["menu"] is not None or dialog["class"] is not None:
        problems.append("dialog has a menu or a class of its own")
    if dialog["count"] != len(CONTROLS):
        problems.append("%d controls, expected %d" % (dialog["count"], len(CONTROLS)))

    # Controls with an id are matched by id; those without by their text.
    by_id = {}
    unnamed = {}
    for item in dialog["items"]:
        if item["id"] is None:
            unnamed.setdefault(item["text"], []).append(item)
        elif item["id"] in by_id:
            problems.append("id %d used twice" % item["id"])
        else:
            by_id[item["id"]] = item
    for expected in CONTROLS:
        cid, _, text = expected[:3]
        if cid is None:
            item = unnamed.get(text, [None]).pop(0) if unnamed.get(text) else None
        else:
            item = by_id.pop(cid, None)
        label = "control %s %r" % (cid if cid is not None else "-", text)
        if item is None:
            problems.append(label + ": missing")
            continue
        problems += ["%s: %s" % (label, p) for p in check_control(expected, item)]
    for cid in sorted(by_id):
        problems.append("control %d is not in the layout" % cid)

    icon_names = {name for kind, name in resources if kind == RT_GROUP_ICON}
    icon_ids = {name for kind, name in resources if kind == RT_ICON}
    for expected in CONTROLS:
        if expected[1] == "icon" and expected[2] not in icon_names:
            problems.append("icon resource %s missing" % expected[2])
    for kind, name in resources:
        if kind != RT_GROUP_ICON:
            continue
        body = resources[(kind, name)]
        (count,) = struct.unpack_from("<H", body, 4)
        for i in range(count):
            image_id = struct.unpack_from("<BBBBHHIH", body, 6 + 14 * i)[7]
            if image_id not in icon_ids:
                problems.append("icon %s: image %d missing" % (name, image_id))
    if "AA_DRICON" not in icon_names:
        problems.append("icon resource AA_DRICON missing")
    if any(kind == RT_MENU for kind, _ in resources):
        problems.append("a menu resource exists (the window class names TOP_MENU, which must not exist)")
    return problems, (dialog, icon_names)


def main(argv):
    if len(argv) != 1:
        print(__doc__.strip().splitlines()[2])
        return 2
    with open(argv[0], "rb") as f:
        problems, found = check(f.read())
    for problem in problems:
        print(problem)
    if problems:
        print("%d difference(s)" % len(problems))
        return 1
    dialog, icon_names = found
    print("dialog VARNOTEK: style %#010x, extended style %#010x, %d controls, %d icon resources; all as laid out"
          % (dialog["style"], dialog["exstyle"], dialog["count"], len(icon_names)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
