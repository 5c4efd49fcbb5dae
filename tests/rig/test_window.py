#!/usr/bin/env python3
"""The window under a reparenting window manager: placement restored exactly at every start, exact
size limits, the work area, maximize and restore, secondary windows' captions and places, and no
highlighted selection left behind by the copy commands."""

import os
import signal
import time

import rigtest
from rig import TITLE, settled, wait_until
from xlib import Display

DESIGN = (636, 485, 510, 315)  # outer placement of a fresh window
HIGHLIGHT = (48, 140, 198)  # the selection colour of Qt's Fusion palette


def size_hints(desk, window):
    """WM_NORMAL_HINTS as (minimum width, height), (maximum width, height) of the client."""
    h = desk.x.property(window, "WM_NORMAL_HINTS")
    return (h[5], h[6]), (h[7], h[8])


def outer_limits(calc):
    left, right, top, bottom = calc.frame_extents()
    (min_w, min_h), (max_w, max_h) = size_hints(calc.desk, calc.window)
    frame = (left + right, top + bottom)
    return (min_w + frame[0], min_h + frame[1]), (max_w + frame[0], max_h + frame[1])


class Placement(rigtest.RigCase):
    def restarts(self, desk, count=3):
        places = []
        for _ in range(count):
            calc = desk.start_calc()
            places.append(calc.settled_outer())
            calc.close_window()
            calc.wait_exit()
        return places

    @staticmethod
    def move_and_close(calc):
        """The user's size and place, stored by the close: returns the outer rectangle."""
        calc.desk.xdotool("windowsize", calc.window, 600, 350)
        calc.desk.xdotool("windowmove", calc.window, 100, 120)
        moved = settled(calc.outer, quiet=0.8)
        calc.close_window()
        calc.wait_exit()
        return moved

    def check_placement_kept(self, wm):
        with self.desktop(wm=wm) as desk:
            fresh = self.restarts(desk)
            if wm:
                self.assertEqual(fresh[0], DESIGN)
            for place in fresh[1:]:
                self.assertNear(place, fresh[0])
            moved = self.move_and_close(desk.start_calc())
            for place in self.restarts(desk):
                self.assertNear(place, moved)

    def start_with_a_late_frame(self, desk):
        """Starts the program with the window manager stopped from the program's frame extents
        request until well after the program stopped waiting for the answer."""
        with Display(desk.display_name) as listener:
            listener.watch_requests()
            os.kill(desk.wm.pid, signal.SIGSTOP)
            try:
                calc = desk.start_calc(wait=False)
                wait_until(lambda: "_NET_REQUEST_FRAME_EXTENTS" in listener.client_messages(),
                           what="the frame extents request")
                time.sleep(1.5)  # the program waits 1 s
            finally:
                os.kill(desk.wm.pid, signal.SIGCONT)

        def mapped():
            # openbox may sleep on after the stop with the requests read already: messages it
            # ignores wake it.
            desk.x.client_message(desk.x.root, "QUORLANE_RIG_WAKE", [0])
            return calc.find_window(TITLE)
        calc.window = wait_until(mapped, what="the window", interval=0.1)
        return calc

    @staticmethod
    def start_with_a_busy_window_manager(desk):
        """Starts the program and stops the window manager from its answer to the frame extents
        request for half a second: it then frames and maps the window in one batch."""
        with Display(desk.display_name) as listener:
            listener.watch_requests()
            calc = desk.start_calc(wait=False)

            def requested():
                return next((w for name, w in listener.client_messages_with_windows()
                             if name == "_NET_REQUEST_FRAME_EXTENTS"), None)
            window = wait_until(requested, what="the frame extents request", interval=0.001)
            wait_until(lambda: listener.property(window, "_NET_FRAME_EXTENTS"), what="the answer",
                       interval=0.0005)
            os.kill(desk.wm.pid, signal.SIGSTOP)
            try:
                time.sleep(0.5)
            finally:
                os.kill(desk.wm.pid, signal.SIGCONT)
        calc.wait_window()
        return calc

    @staticmethod
    def stored_placement(calc):
        return [values for values in calc.settings().values() if "Total Controls" in values]

    def check_placements(self, start):
        # Started by `start`, the window comes up at the design placement and at a stored one, and
        # stores what it stores under a window manager that answers in time.
        with self.desktop() as desk:
            calc = start(desk)
            self.assertEqual(calc.settled_outer(quiet=0.8), DESIGN)
            calc.close_window()
            calc.wait_exit()
            calc = desk.start_calc()
            moved = self.move_and_close(calc)
            stored = self.stored_placement(calc)
            calc = start(desk)
            self.assertEqual(calc.settled_outer(quiet=0.8), moved)
            calc.close_window()
            calc.wait_exit()
            self.assertEqual(self.stored_placement(calc), stored)

    def test_a_frame_known_late_is_made_good(self):
        self.check_placements(self.start_with_a_late_frame)

    def test_a_busy_window_manager_changes_nothing(self):
        self.check_placements(self.start_with_a_busy_window_manager)

    def test_under_a_window_manager(self):
        self.check_placement_kept(wm=True)

    def test_without_a_window_manager(self):
        self.check_placement_kept(wm=False)

    def test_sizes_exact_from_the_first_show(self):
        with self.desktop() as desk:
            calc = desk.start_calc()
            settled(calc.outer)
            self.assertEqual(outer_limits(calc)[0], (472, 291))
            calc.close_window()
            calc.wait_exit()
            desk.write_settings(Tape=0)
            calc = desk.start_calc()
            self.assertEqual(calc.settled_outer()[2:], (270, 315))
            self.assertEqual(outer_limits(calc)[0], (249, 291))


class ResetSize(rigtest.RigCase):
    @staticmethod
    def client_pixels(calc):
        x, y, w, h = calc.geometry()
        return calc.desk.x.pixels(calc.window, 0, 0, w, h)

    def test_gives_the_first_start_and_is_kept_however_the_program_ends(self):
        # After the window manager's resizes, Reset Size shows exactly what a first start shows, and
        # the next start comes back at that size whether the close button or File > Exit ended it.
        for exit_keys in ((), ("alt+f", "x")):
            with self.subTest(exit=exit_keys or "close button"), self.desktop() as desk:
                calc = desk.start_calc()
                self.assertEqual(calc.settled_outer(quiet=0.8), DESIGN)
                first = self.client_pixels(calc)
                calc.activate()
                for width, height in ((1298, 735), (700, 433), (1100, 680), (1298, 735)):
                    desk.xdotool("windowsize", calc.window, width, height)
                    settled(calc.outer, quiet=0.5)
                calc.keys("alt+e", "r", delay=60)
                reset = calc.settled_outer(quiet=0.8)
                self.assertEqual(reset[2:], DESIGN[2:])
                calc.sync()
                self.assertTrue(self.client_pixels(calc) == first, "Reset Size differs from a first start")
                if exit_keys:
                    calc.keys(*exit_keys, delay=60)
                else:
                    calc.close_window()
                calc.wait_exit()
                calc = desk.start_calc()
                self.assertEqual(calc.settled_outer(quiet=0.8), reset)
                calc.close_window()
                calc.wait_exit()


class WorkAreaAndMaximize(rigtest.RigCase):
    def test_a_panel_coming_and_going_changes_nothing(self):
        with self.desktop() as desk:
            calc = desk.start_calc()
            before = calc.settled_outer()
            desk.start_panel(strut=True)  # the work area shrinks
            self.assertEqual(calc.settled_outer(quiet=1.0), before)
            desk.stop_panel()
            self.assertEqual(calc.settled_outer(quiet=1.0), before)

    def test_maximize_stays_on_screen_and_restore_goes_back(self):
        with self.desktop() as desk:
            desk.start_panel(strut=True)  # a work area lower than the window's widest proportions
            calc = desk.start_calc()
            # Window managers that read the Motif hints offer no maximize (functions without bit 16).
            self.assertFalse(desk.x.property(calc.window, "_MOTIF_WM_HINTS")[1] & 16)
            before = calc.settled_outer()
            x = desk.x
            maximized = [x.atom("_NET_WM_STATE_MAXIMIZED_VERT"), x.atom("_NET_WM_STATE_MAXIMIZED_HORZ")]
            x.client_message(calc.window, "_NET_WM_STATE", [1] + maximized + [2, 0])
            big = calc.settled_outer(quiet=0.8)
            self.assertIn("_NET_WM_STATE_MAXIMIZED_VERT", calc.states())
            ax, ay, aw, ah = desk.work_area()
            self.assertTrue(ax <= big[0] and ay <= big[1] and big[0] + big[2] <= ax + aw and
                            big[1] + big[3] <= ay + ah, "%r outside the work area" % (big,))
            self.assertAlmostEqual(big[2] / big[3], 510 / 315, delta=0.01)
            x.client_message(calc.window, "_NET_WM_STATE", [0] + maximized + [2, 0])
            self.assertNear(calc.settled_outer(quiet=0.8), before)


class SecondaryWindows(rigtest.RigCase):
    def test_captions_and_the_about_window_centred(self):
        with self.desktop() as desk:
            calc = desk.start_calc()
            calc.activate()
            calc.keys("F1")
            calc.close_window(calc.wait_window("Keyboard Equivalents"))
            calc.activate()
            desk.set_clipboard("abc")
            calc.keys("ctrl+v")
            calc.answer("Information")
            calc.keys("alt+h", "a", delay=60)
            about = calc.wait_window("About Quorlane Calculator")
            x, y, w, h = calc.settled_outer(about)
            self.assertNear((2 * x + w, 2 * y + h), desk.screen, 2)


class Selection(rigtest.RigCase):
    def highlighted(self, calc):
        x, y, w, h = calc.geometry()
        return sum(row.count(HIGHLIGHT) for row in calc.desk.x.pixels(calc.desk.x.root, x, y, w, h))

    def test_copy_leaves_no_highlight(self):
        with self.desktop() as desk:
            calc = desk.start_calc()
            calc.activate()
            calc.type("1234+5=")
            self.assertEqual(calc.display(), "1,239")  # Copy
            time.sleep(0.2)
            self.assertEqual(self.highlighted(calc), 0, "after Copy")
            calc.keys("alt+e", "o", delay=60)  # Copy Tape
            settled(desk.clipboard)
            time.sleep(0.2)
            self.assertEqual(self.highlighted(calc), 0, "after Copy Tape")


if __name__ == "__main__":
    rigtest.main()
