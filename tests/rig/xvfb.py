"""A private X server for scripts that need only a display: Xvfb on a free display number."""

import os
import subprocess


def start_xvfb(screen="1280x1024x24"):
    """Starts Xvfb; returns (process, ":N"), or (None, None) when it does not start."""
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", screen, "-nolisten", "tcp"],
                            pass_fds=(w,), stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        display = f.readline().strip()
    if not display:
        xvfb.kill()
        xvfb.wait()
        return None, None
    return xvfb, ":" + display
