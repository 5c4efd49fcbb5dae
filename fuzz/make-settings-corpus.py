#!/usr/bin/env python3
"""Writes the damaged-settings corpus: settings files (user.reg) as a damaged disk, an editor or an
older program may leave them. Each is the program's own file with some values changed: numbers at
and beyond their limits, values of the wrong type, a file cut short or with unreadable lines.

The window tests start the calculator on every file (tests/ui/DamagedSettingsTest.cpp) and the
settings fuzz target takes them as its seeds. The corpus is committed; run this again only to
change it:  fuzz/make-settings-corpus.py fuzz/corpus/settings
"""

import itertools
import random
import struct
import sys
from pathlib import Path

CONTROLS = 35  # registered controls of the main window ("Total Controls")
PLACEMENT = "Software\\Quorlane\\Calculator\\1.0\\frmMain"
SETTINGS = "Software\\Quorlane\\Calculator\\1.0\\Settings"


def dword(v):
    return "dword:%08x" % (v & 0xFFFFFFFF)


def double(v):
    return "hex:" + ",".join("%02x" % b for b in struct.pack("<d", v))


def text(v):
    return '"%s"' % v


def base():
    placement = {
        "Total Controls": dword(CONTROLS),
        "Window State": dword(0),
        "Left": double(0.18),
        "Top": double(0.61),
        "Width": double(0.65),
        "Height": double(0.39),
        "MaxTrackWidth": dword(794),
        "MaxTrackHeight": dword(490),
        "wp length ": dword(44),
        "wp flags": dword(0),
        "wp showCmd": dword(1),
        "wp MinPosX": dword(-1),
        "wp MinPosY": dword(-1),
        "wp MaxPosX": dword(-1),
        "wp MaxPosY": dword(-1),
        "wp NormPosLeft": dword(145),
        "wp NormPosTop": dword(485),
        "wp NormPosRight": dword(655),
        "wp NormPosBottom": dword(800),
    }
    for i in range(CONTROLS):
        placement["Visible %d" % i] = text("1")
    settings = {
        "FirstRun": dword(0),
        "Flat": dword(0),
        "Tape": dword(1),
        "OnTop": dword(0),
        "TrayIcon": dword(0),
        "RunOnStartup": dword(0),
        "Color": dword(0),
    }
    return placement, settings


def render(placement, settings):
    out = "Windows Registry Editor Version 5.00\n"
    for key, values in ((PLACEMENT, placement), (SETTINGS, settings)):
        if values is None:
            continue
        out += "\n[HKEY_CURRENT_USER\\%s]\n" % key
        for name, data in values.items():
            out += '"%s"=%s\n' % (name, data)
    return out


FRACTIONS = [1e300, -1e300, float("inf"), float("-inf"), float("nan"), 0.0, -0.0, -0.5, 2.0, 16.5,
             1e-300, 5e-324, -17.0, 0.999999]
INTEGERS = [-2**31, 2**31 - 1, -1, 0, 1, -100, -101, 100, 65535, 2**30]
WRONG = [text("0.5"), text(""), dword(1), "hex:00", "hex:", "hex(7):61,00,00,00", "hex(2):25,58,25",
         double(0.5)[:-3]]


def variants():
    yield "sound", base()
    # Each placement fraction alone at every damaged value, and of every wrong type.
    for name in ("Left", "Top", "Width", "Height"):
        for i, v in enumerate(FRACTIONS):
            p, s = base()
            p[name] = double(v)
            yield "%s-%d" % (name.lower(), i), (p, s)
        for i, w in enumerate(WRONG):
            p, s = base()
            p[name] = w
            yield "%s-type-%d" % (name.lower(), i), (p, s)
    # Every integer of the placement at its limits.
    integers = ["Window State", "MaxTrackWidth", "MaxTrackHeight"] + [
        n for n in base()[0] if n.startswith("wp ")]
    for name in integers:
        for i, v in enumerate(INTEGERS):
            p, s = base()
            p[name] = dword(v)
            yield "%s-%d" % (name.replace(" ", "").lower(), i), (p, s)
    # The normal rectangle as a whole at the limits.
    for i, (l, t, r, b) in enumerate(itertools.product([-2**31, 0, 2**31 - 1], repeat=4)):
        if i % 3:
            continue
        p, s = base()
        p["wp NormPosLeft"], p["wp NormPosTop"] = dword(l), dword(t)
        p["wp NormPosRight"], p["wp NormPosBottom"] = dword(r), dword(b)
        yield "normrect-%d" % i, (p, s)
    # Control counts and visibility.
    for i, v in enumerate([0, CONTROLS - 1, CONTROLS + 1, -1]):
        p, s = base()
        p["Total Controls"] = dword(v)
        yield "controls-%d" % i, (p, s)
    p, s = base()
    for i in range(CONTROLS):
        p["Visible %d" % i] = text("0")
    yield "all-hidden", (p, s)
    for i, w in enumerate([text("x"), dword(0), "hex:01", text("-1"), text("99999999999")]):
        p, s = base()
        p["Visible 0"] = p["Visible 7"] = w
        yield "visible-type-%d" % i, (p, s)
    # Options: numbers at the limits and wrong types, alone.
    for name in ("FirstRun", "Flat", "Tape", "OnTop", "TrayIcon", "RunOnStartup", "Color"):
        for i, v in enumerate(INTEGERS):
            p, s = base()
            s[name] = dword(v)
            yield "%s-%d" % (name.lower(), i), (p, s)
        for i, w in enumerate(WRONG):
            p, s = base()
            s[name] = w
            yield "%s-type-%d" % (name.lower(), i), (p, s)
    p, s = base()
    s["TrayIcon"] = s["RunOnStartup"] = s["OnTop"] = s["Flat"] = dword(1)
    yield "all-options-on", (p, s)
    yield "no-placement", (None, base()[1])
    yield "no-settings", (base()[0], None)
    # Random mixtures of the above.
    rng = random.Random(13)
    for n in range(60):
        p, s = base()
        for _ in range(rng.randint(2, 8)):
            target = rng.choice([p, s])
            name = rng.choice(list(target))
            target[name] = rng.choice(
                [double(rng.choice(FRACTIONS)), dword(rng.choice(INTEGERS)), rng.choice(WRONG)])
        yield "mixed-%02d" % n, (p, s)


def damaged_texts(sound):
    """Damage of the file itself."""
    yield "cut-short", sound[: len(sound) // 2]
    yield "cut-in-a-value", sound[: sound.index('"Left"') + 12]
    yield "crlf", sound.replace("\n", "\r\n")
    yield "bom", "\ufeff" + sound
    yield "no-header", sound.split("\n", 1)[1]
    yield "garbage-lines", sound.replace('"Width"', "\x00\xff garbage\n\"Width\"")
    yield "long-key-name", sound + "\n[HKEY_CURRENT_USER\\" + "k" * 300 + "]\n\"v\"=dword:1\n"
    yield "deep-key", sound + "\n[HKEY_CURRENT_USER\\" + "\\".join(["d"] * 40) + "]\n"
    yield "duplicate-values", sound + '\n[HKEY_CURRENT_USER\\%s]\n"Left"=%s\n' % (PLACEMENT, double(1e300))
    yield "wrapped-hex", sound.replace(double(0.18), "hex:33,33,33,\\\n  33,33,33,c7,3f")
    yield "dangling-continuation", sound.replace(double(0.18), "hex:33,33,33,\\")


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "fuzz/corpus/settings")
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.glob("*.reg"):
        old.unlink()
    count = 0
    for name, (p, s) in variants():
        (folder / (name + ".reg")).write_bytes(render(p, s).encode("latin-1"))
        count += 1
    sound = render(*base())
    for name, data in damaged_texts(sound):
        (folder / (name + ".reg")).write_bytes(data.encode("utf-8", "surrogatepass"))
        count += 1
    print("%d files in %s" % (count, folder))


if __name__ == "__main__":
    main()
