#!/usr/bin/env python3
"""Dark desktops: the real window under Qt's two dark set-ups users meet (qt6ct with Fusion and a
dark colour scheme; the GTK platform theme with Adwaita:dark). The key captions and the keyboard
equivalents are measured from the screen's pixels."""

import collections
import os

import rig
import rigtest

DESIGN_CLIENT = (502, 269)
# Keys of each caption colour of the Default scheme, at their design places in the client area.
KEYS = {"btnCE": (91, 44, 80, 30), "btnMC": (8, 84, 38, 30), "btn7": (56, 84, 38, 30)}
HELP_PANEL = (0, 0, 406, 299)


def luminance(rgb):
    def linear(c):
        c /= 255.0
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


def measure(rows):
    """(background, contrast of the farthest pixel against it)."""
    counts = collections.Counter(p for row in rows for p in row)
    background = counts.most_common(1)[0][0]
    return background, max(contrast(background, p) for p in counts)


class DarkDesktop(rigtest.RigCase):
    def check(self, desk, **env):
        calc = desk.start_calc(**env)
        x, y, w, h = calc.geometry()
        scale = w / DESIGN_CLIENT[0]
        top = h - round(DESIGN_CLIENT[1] * scale)  # the menu bar is above the design's client area
        for name, (left, ktop, width, height) in KEYS.items():
            def key():
                return measure(desk.x.pixels(calc.window, round(left * scale) + 4, top + round(ktop * scale) + 4,
                                             round(width * scale) - 8, round(height * scale) - 8))
            # A window is mapped before it is drawn: wait for the caption to appear on the face.
            rig.wait_until(lambda: key()[1] > 1.0, what="the key %s drawn" % name)
            face, ratio = key()
            self.assertLess(luminance(face), 0.2, "%s: the desktop's dark theme was not applied" % name)
            self.assertGreaterEqual(ratio, 3.0, "%s caption on %s" % (name, face))
        calc.activate()
        calc.keys("F1")
        help_window = calc.wait_window("Keyboard Equivalents")
        rig.wait_until(lambda: measure(desk.x.pixels(help_window, 8, 8, 390, 249))[1] > 1.0,
                       what="the keyboard equivalents drawn")
        left, ptop, width, height = HELP_PANEL
        background, ratio = measure(desk.x.pixels(help_window, left + 4, ptop + 4, width - 8, height - 8))
        self.assertGreaterEqual(ratio, 4.5, "keyboard equivalents on %s" % (background,))

    def test_qt6ct_fusion_with_a_dark_colour_scheme(self):
        scheme = "/usr/share/qt6ct/colors/darker.conf"
        if not os.path.exists(scheme):
            self.skipTest("qt6ct's colour schemes are not installed")
        with self.desktop() as desk:
            os.makedirs(os.path.join(desk.config, "qt6ct"), exist_ok=True)
            with open(os.path.join(desk.config, "qt6ct", "qt6ct.conf"), "w") as f:
                f.write("[Appearance]\nstyle=Fusion\ncustom_palette=true\ncolor_scheme_path=%s\n" % scheme)
            self.check(desk, QT_QPA_PLATFORMTHEME="qt6ct")

    def test_gtk_platform_theme_with_adwaita_dark(self):
        with self.desktop() as desk:
            self.check(desk, QT_QPA_PLATFORMTHEME="gtk3", GTK_THEME="Adwaita:dark")


if __name__ == "__main__":
    rigtest.main()
