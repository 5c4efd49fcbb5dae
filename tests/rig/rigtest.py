"""unittest support for the rig tests: a desktop per test that becomes a skip where a part of the rig
cannot start, a private D-Bus session for the tests that need one, and a main() for ctest (exit
status 77 when every test was skipped; under CI=true a skip fails: a rig that cannot start there is a
broken set-up, not a pass)."""

import contextlib
import os
import shutil
import subprocess
import sys
import unittest

import rig


class RigCase(unittest.TestCase):
    @contextlib.contextmanager
    def desktop(self, **kwargs):
        try:
            desk = rig.Desktop(**kwargs).__enter__()
        except rig.Unavailable as e:
            raise unittest.SkipTest(str(e))
        try:
            yield desk
        except rig.Unavailable as e:
            raise unittest.SkipTest(str(e))
        finally:
            desk.close()

    def assertNear(self, actual, expected, tolerance=1, msg=None):
        """Each number of `actual` within `tolerance` of `expected`."""
        self.assertEqual(len(actual), len(expected), msg)
        for a, e in zip(actual, expected):
            self.assertLessEqual(abs(a - e), tolerance, msg or "%r is not within %d of %r" % (actual, tolerance,
                                                                                           expected))


SKIPPED = 77
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SESSION_MARK = "QUORLANE_RIG_DBUS_SESSION"
# Debian installs the AT-SPI bindings for its own Python.
SYSTEM_PYTHON = "/usr/bin/python3"


def in_ci():
    return os.environ.get("CI") == "true"


def skip(message):
    """Ends the test program as skipped (failed under CI=true)."""
    print(("FAILED under CI=true: " if in_ci() else "skipped: ") + message)
    sys.exit(1 if in_ci() else SKIPPED)


def install():
    """The rig's packages and locales, installed where missing (make test installs them before ctest
    runs; this serves a rig test run on its own)."""
    if subprocess.run([os.path.join(ROOT, "scripts", "install-deps"), "--rig"]).returncode != 0:
        skip("the rig's packages could not be installed (scripts/install-deps --rig)")


def run_in_dbus_session(script):
    """Runs `script` again inside a D-Bus session of its own, with the Python that has the AT-SPI
    bindings; returns at once when it runs there already."""
    if os.environ.get(SESSION_MARK) == "1":
        return
    install()
    if shutil.which("dbus-run-session") is None:
        skip("dbus-run-session is not installed (package dbus-daemon)")
    python = SYSTEM_PYTHON if os.path.exists(SYSTEM_PYTHON) else sys.executable
    env = dict(os.environ, **{SESSION_MARK: "1"})
    os.execvpe("dbus-run-session", ["dbus-run-session", "--", python, os.path.abspath(script)] + sys.argv[1:], env)


def main():
    if "QUORCALC" not in os.environ:
        sys.exit("set QUORCALC to the calculator program (ctest does)")
    install()
    program = unittest.main(exit=False, verbosity=2)
    result = program.result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.skipped and in_ci():
        skip("%d of %d skipped: %s" % (len(result.skipped), result.testsRun,
                                      "; ".join(reason for _, reason in result.skipped)))
    if result.testsRun and len(result.skipped) == result.testsRun:
        sys.exit(SKIPPED)
