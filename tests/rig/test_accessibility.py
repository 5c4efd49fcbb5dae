#!/usr/bin/env python3
"""Screen readers: the real window's accessibility tree walked over AT-SPI, as a screen reader reads
it (keys, display, memory indicator, tape, menus). The program runs with accessibility on inside a
private D-Bus session with its own accessibility bus. What Orca says as the user types is
test_screen_reader.py's."""

import os

import rig
import rigtest


class ScreenReader(rigtest.RigCase):
    def setUp(self):
        try:
            import pyatspi
        except ImportError:
            self.skipTest("the AT-SPI bindings (python3-pyatspi) cannot be imported")
        self.pyatspi = pyatspi
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not os.path.exists(launcher):
            self.skipTest("at-spi2-core is not installed")
        self.launcher = launcher

    def fresh(self, accessible):
        accessible.clear_cache()
        return accessible

    def find(self, root, role, name=None):
        """The first descendant with `role` (and `name`), read afresh."""
        def match(a):
            return a is not None and a.getRole() == role and (name is None or self.fresh(a).name == name)
        found = self.pyatspi.findDescendant(root, match, breadth_first=True)
        if found is None:
            self.fail("no %s named %r" % (role, name))
        return self.fresh(found)

    def text(self, accessible):
        return self.fresh(accessible).queryText().getText(0, -1)

    def test_keys_display_memory_tape_and_menus_read_out(self):
        pyatspi = self.pyatspi
        with self.desktop() as desk:
            bus = os.environ.get("DBUS_SESSION_BUS_ADDRESS")
            desk._spawn([self.launcher, "--launch-immediately"], env=desk.env(DBUS_SESSION_BUS_ADDRESS=bus))
            calc = desk.start_calc(DBUS_SESSION_BUS_ADDRESS=bus, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

            def application():
                try:
                    desktop = pyatspi.Registry.getDesktop(0)
                    for app in desktop:
                        if app is not None and app.get_process_id() == calc.pid:
                            return app
                except Exception as e:  # the registry is still starting
                    if "ServiceUnknown" not in str(e) and "NoReply" not in str(e):
                        raise
                return None
            try:
                app = rig.wait_until(application, what="the program on the accessibility bus")
            except TimeoutError:
                self.skipTest("at-spi2-core did not start here: no application reached its registry")
            window = self.find(app, pyatspi.ROLE_FRAME, rig.TITLE)

            for name, description in (("Multiply", "Key: *"), ("Square root", "Key: @"), ("Memory add", "Key: Ctrl+A")):
                self.assertEqual(self.find(window, pyatspi.ROLE_PUSH_BUTTON, name).description, description)

            calc.activate()
            calc.keys("1", "2", "plus", "3", "Return", "ctrl+a")
            display = self.find(window, pyatspi.ROLE_TEXT, "Display")
            self.assertEqual(rig.wait_until(lambda: self.text(display).strip() == "15" and "15", what="the display"),
                             "15")
            self.assertEqual(display.queryValue().currentValue, 15.0)
            self.find(window, pyatspi.ROLE_LABEL, "Memory = 15")

            tape = self.text(self.find(window, pyatspi.ROLE_TEXT, "History tape"))
            self.assertEqual([line.strip() for line in tape.split("\n") if line.strip()],
                             ["12", "3 +", "-" * 26, "15 =", "15 M+"], tape)

            menu_bar = self.find(window, pyatspi.ROLE_MENU_BAR)
            item = self.find(menu_bar, pyatspi.ROLE_MENU_ITEM, "Print...")
            self.assertEqual(item.queryAction().getKeyBinding(0), "Ctrl+P")


if __name__ == "__main__":
    rigtest.run_in_dbus_session(__file__)
    rigtest.main()
