"""unittest support for the rig tests: a desktop per test that becomes a skip where a part of the rig
cannot start, and a main() for ctest (exit status 77 when every test was skipped)."""

import contextlib
import os
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


def install():
    """The rig's packages and locales, installed where missing (a skip where they cannot be)."""
    if subprocess.run([os.path.join(ROOT, "scripts", "install-deps"), "--rig"]).returncode != 0:
        print("skipped: the rig's packages could not be installed (scripts/install-deps --rig)")
        sys.exit(SKIPPED)


def main():
    if "QUORCALC" not in os.environ:
        sys.exit("set QUORCALC to the calculator program (ctest does)")
    install()
    program = unittest.main(exit=False, verbosity=2)
    result = program.result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.testsRun and len(result.skipped) == result.testsRun:
        sys.exit(SKIPPED)
