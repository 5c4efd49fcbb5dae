#!/usr/bin/env python3
"""The rig's skip policy: a rig test module whose tests skip (a part of the rig could not start) ends
with status 77, which ctest reports as skipped, and under CI=true with status 1, a failure."""

import os
import subprocess
import sys
import tempfile

MODULE = '''
import rigtest

class Skips(rigtest.RigCase):
    def test_a_part_missing(self):
        with self.desktop(wm=False):
            raise rigtest.rig.Unavailable("Xvfb did not start")

if __name__ == "__main__":
    rigtest.main()
'''


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    failures = []
    with tempfile.TemporaryDirectory(prefix="quorlane-skip-") as folder:
        module = os.path.join(folder, "test_skips.py")
        with open(module, "w") as f:
            f.write(MODULE)
        for ci, expected in (("", 77), ("true", 1)):
            env = dict(os.environ, CI=ci, PYTHONPATH=here, QUORCALC="/bin/false")
            r = subprocess.run([sys.executable, module], env=env, capture_output=True, text=True, timeout=120)
            if r.returncode != expected:
                failures.append("CI=%r: status %d, want %d\n%s%s" % (ci, r.returncode, expected, r.stdout, r.stderr))
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
