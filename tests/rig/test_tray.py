#!/usr/bin/env python3
"""The notification-area icon at logon: started with "/tray" before or after the panel, the stored
choice kept, the icon appearing with a late panel, a single left click restoring the window."""

import rigtest
from rig import SETTINGS_KEY, wait_until


class TrayAtLogon(rigtest.RigCase):
    def restore_with_a_single_click(self, desk, calc):
        icon = wait_until(calc.tray_icon, 5, "the tray icon")
        x, y, w, h = desk.x.geometry(icon)
        desk.xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)
        wait_until(calc.visible, 5, "the window restored by a click")
        calc.activate()
        calc.type("6*7=")
        self.assertEqual(calc.display(), "42")  # and the keys reach it

    def test_panel_starting_after_the_program(self):
        with self.desktop() as desk:
            desk.write_settings(TrayIcon=1, RunOnStartup=1)
            calc = desk.start_calc(args=["/tray"])  # no notification area yet: the window shows
            desk.start_panel()
            wait_until(calc.tray_icon, 5, "the icon in the late panel")
            calc.close_window()  # hides to the tray now that the icon shows
            wait_until(lambda: not calc.visible(), 5, "the window hidden in the tray")
            self.assertIsNone(calc.process.poll())
            self.restore_with_a_single_click(desk, calc)
            calc.keys("alt+f", "x", delay=60)
            calc.wait_exit()
            stored = calc.settings()[SETTINGS_KEY]
            self.assertEqual(stored["TrayIcon"], "dword:00000001")
            self.assertEqual(stored["RunOnStartup"], "dword:00000001")

    def test_panel_running_before_the_program(self):
        with self.desktop() as desk:
            desk.write_settings(TrayIcon=1, RunOnStartup=1)
            desk.start_panel()
            calc = desk.start_calc(args=["/tray"], wait=False)
            wait_until(calc.tray_icon, 5, "the tray icon")
            self.assertFalse(calc.visible())  # started hidden
            calc.window = None
            self.restore_with_a_single_click(desk, calc)


if __name__ == "__main__":
    rigtest.main()
