#!/usr/bin/env python3
"""The tape in the real window: kept between runs (the window closed as the window manager closes
it, then started again), a line re-used by a double click, and Copy Without Grouping in a
comma-decimal locale."""

import os

import rig
import rigtest

DESIGN_CLIENT = (502, 269)
TAPE = (268, 8, 226, 233)  # the tape's place in the client area at design size


class Tape(rigtest.RigCase):
    def tape_lines(self, desk, calc):
        """The tape as Edit > Copy Tape puts it on the clipboard."""
        desk.set_clipboard("rig-marker")
        calc.keys("alt+e", "o", delay=60)
        text = rig.wait_until(lambda: (lambda t: t if t not in (None, "rig-marker") else None)(desk.clipboard()),
                              what="the tape on the clipboard")
        return text.split("\r\n")

    def test_kept_reused_and_copied_without_grouping(self):
        with self.desktop() as desk:
            desk.write_settings(KeepTape=1)
            calc = desk.start_calc(lang="de_DE.UTF-8")
            calc.activate()
            calc.keys("1", "2", "3", "4", "KP_Decimal", "5")
            calc.type("+2=")
            self.assertEqual(calc.display(), "1.236,5")
            calc.close_window()
            calc.wait_exit()
            kept = os.path.join(desk.home, ".local", "share", "quorlane", "tape.txt")
            self.assertTrue(os.path.exists(kept))

            calc = desk.start_calc(lang="de_DE.UTF-8")
            calc.activate()
            lines = self.tape_lines(desk, calc)
            self.assertEqual(lines[0], "1.234,5  ")
            self.assertTrue(lines[-1].startswith("Restarted "), lines)

            # A double click on the first line puts its number into the display.
            x, y, w, h = calc.geometry()
            scale = w / DESIGN_CLIENT[0]
            top = h - round(DESIGN_CLIENT[1] * scale)
            # The tape's last lines are in view: scroll to its top first.
            desk.xdotool("mousemove", x + round((TAPE[0] + 60) * scale), y + top + round((TAPE[1] + 10) * scale))
            for _ in range(3):
                desk.xdotool("click", "4")
            desk.xdotool("click", "--repeat", "2", "--delay", "80", "1")
            calc.activate()
            self.assertEqual(calc.display(), "1.234,5")

            desk.set_clipboard("rig-marker")
            calc.keys("ctrl+shift+c")
            self.assertEqual(rig.wait_until(lambda: desk.clipboard() if desk.clipboard() != "rig-marker" else None,
                                            what="the copy"), "1234,5")


class CheckAndCorrect(rigtest.RigCase):
    SEP = "-" * 26

    def german(self, desk, typed):
        """The calculator on a German keyboard and locale, with `typed` typed."""
        desk.set_layout("de")
        calc = desk.start_calc(lang="de_DE.UTF-8")
        calc.activate()
        calc.type(typed)
        return calc

    def edit(self, calc, keys, typed):
        """Opens a tape line's editor with `keys`, types `typed` into it and ends with Enter."""
        calc.keys(*keys, delay=80)
        calc.type(typed)
        calc.keys("Return")

    def test_an_entry_corrected_in_place_and_undone_by_the_keys(self):
        with self.desktop() as desk:
            calc = desk.start_calc()
            calc.activate()
            calc.type("100+3-5=")
            # Tab reaches the tape on its last total; Up to "3 +", F2, a new number, Enter.
            calc.keys("Tab", "Up", "Up", "Up", "F2", delay=60)
            calc.type("4")
            calc.keys("Return")
            self.assertEqual(calc.display(), "99")
            self.assertEqual(Tape.tape_lines(self, desk, calc)[:5], ["100  ", "4 + !", "5 -", self.SEP, "99 = !"])
            calc.keys("ctrl+z")
            self.assertEqual(calc.display(), "98")
            self.assertEqual(Tape.tape_lines(self, desk, calc)[:5], ["100  ", "3 +", "5 -", self.SEP, "98 ="])

    def test_the_tapes_menu_from_the_keyboard_acts_on_the_selected_line(self):
        # The Menu key and Shift+F10 open the tape's menu on the line the arrows selected (Qt put
        # it on the line in the tape's middle); a note typed on a German keyboard keeps its letters.
        with self.desktop() as desk:
            calc = self.german(desk, "1350-50=")
            self.edit(calc, ("Tab", "Up", "Up", "Up", "Menu", "n"), "Miete März")
            self.edit(calc, ("Tab", "Up", "Up", "shift+F10", "n"), "Bar")
            self.assertEqual(Tape.tape_lines(self, desk, calc)[:5],
                             ["Miete März  1.350  ", "Bar  50 -", self.SEP, "1.300 =", " "])

    def test_a_grouped_amount_edited_in_place_in_a_comma_locale(self):
        # The editor starts with the amount as the tape prints it (1.234,5); its last digit changed
        # gives 1.234,6, not 1,2346.
        with self.desktop() as desk:
            calc = self.german(desk, "1234,5+1=")
            self.edit(calc, ("Tab", "Up", "Up", "Up", "F2", "End", "BackSpace"), "6")
            self.assertEqual(calc.display(), "1.235,6")
            self.assertEqual(Tape.tape_lines(self, desk, calc)[:2], ["1.234,6   !", "1 +"])


if __name__ == "__main__":
    rigtest.main()
