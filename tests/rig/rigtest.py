"""unittest support for the rig tests: a desktop per test that becomes a skip where a part of the rig
cannot start, and a main() for ctest (exit status 77 when every test was skipped). Under CI=true a
skip is a failure: CI must not pass a rig test that did not run."""

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


def in_ci():
    return os.environ.get("CI", "").lower() == "true"


def skip_or_fail(reason):
    """Ends the module: skipped (status 77), or failed under CI=true."""
    print(("FAIL (CI=true, a rig test must run): " if in_ci() else "skipped: ") + reason)
    sys.exit(1 if in_ci() else SKIPPED)


def install():
    """The rig's packages and locales, installed where missing (make test installs them before ctest
    runs; this serves a rig test run on its own)."""
    if subprocess.run([os.path.join(ROOT, "scripts", "install-deps"), "--rig"]).returncode != 0:
        skip_or_fail("the rig's packages could not be installed (scripts/install-deps --rig)")


def main():
    if "QUORCALC" not in os.environ:
        sys.exit("set QUORCALC to the calculator program (ctest does)")
    install()
    program = unittest.main(exit=False, verbosity=2)
    result = program.result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.skipped and in_ci():
        skip_or_fail("%d of %d skipped: %s" % (len(result.skipped), result.testsRun,
                                               "; ".join(reason for _, reason in result.skipped)))
    if result.testsRun and len(result.skipped) == result.testsRun:
        sys.exit(SKIPPED)
