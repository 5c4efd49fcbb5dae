#!/usr/bin/env python3
"""Start time and memory of the calculator beside a bare Qt Widgets program, under Xvfb.

For each program, 7 runs interleaved with the other's: the time from starting the process until its
window is mapped (polled with xdotool), the CPU time the process had used by then and by the time it
is idle (no CPU used for half a second; all threads, from /proc/PID/task/*/schedstat), and its
memory (RSS and PSS from /proc/PID/smaps_rollup) then. Prints median, min and max of each and the
ratios the goals are stated in. Then the same starts counted in instructions under callgrind
(bench/instructions.py), which do not move with the machine's load.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "rig"))
from xvfb import start_xvfb  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import instructions  # noqa: E402


def mapped(title, env):
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"], env=env,
                       capture_output=True, text=True)
    return r.returncode == 0 and r.stdout.strip() != ""


def memory(pid):
    rss = pss = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith("Rss:"):
                rss = int(line.split()[1])
            elif line.startswith("Pss:"):
                pss = int(line.split()[1])
    return rss / 1024.0, pss / 1024.0


def cpu_ms(pid):
    """CPU time of all the process's threads, in ns from the scheduler (clock ticks are 10 ms)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return total / 1e6


def run_once(program, title, env):
    with tempfile.TemporaryDirectory() as runtime, tempfile.TemporaryDirectory() as config:
        os.chmod(runtime, 0o700)
        e = dict(env, XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=config)
        t0 = time.monotonic()
        err = tempfile.TemporaryFile()
        p = subprocess.Popen([program], env=e, stdout=subprocess.DEVNULL, stderr=err)
        try:
            while not mapped(title, e):
                if p.poll() is not None:
                    err.seek(0)
                    raise RuntimeError(f"{program} ended ({p.returncode}) before its window appeared: "
                                       + err.read().decode(errors="replace"))
                if time.monotonic() - t0 > 30:
                    raise RuntimeError(f"{program}: no window after 30 s")
                time.sleep(0.002)  # spare the X server a storm of connections
            elapsed = (time.monotonic() - t0) * 1000.0
            cpu = cpu_ms(p.pid)
            # Idle: no CPU used for half a second (the pictures and the stored placement come later).
            idle, quiet = cpu, 0
            while quiet < 5 and time.monotonic() - t0 < 30:
                time.sleep(0.1)
                now = cpu_ms(p.pid)
                quiet = quiet + 1 if now == idle else 0
                idle = now
            rss, pss = memory(p.pid)
        finally:
            p.terminate()
            p.wait(timeout=10)
        return elapsed, cpu, idle, rss, pss


def summary(values):
    return statistics.median(values), min(values), max(values)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--bare", required=True)
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            print(f"{tool} is missing (scripts/install-deps installs it)", file=sys.stderr)
            return 2

    xvfb, display = start_xvfb()
    if xvfb is None:
        print("Xvfb does not start here", file=sys.stderr)
        return 2
    counted = shutil.which("valgrind") is not None
    try:
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
        programs = [("quorcalc", args.program, "Quorlane Calculator"), ("bare Qt", args.bare, "Bare Qt Window")]
        results = {name: [] for name, _, _ in programs}
        # The X server is ready once a client gets through.
        for _ in range(100):
            if subprocess.run(["xdotool", "getdisplaygeometry"], env=env, capture_output=True).returncode == 0:
                break
            time.sleep(0.05)
        for _ in range(args.runs):
            for name, path, title in programs:
                for attempt in range(3):
                    try:
                        results[name].append(run_once(path, title, env))
                        break
                    except RuntimeError as e:
                        # A refused X connection now and then is the server's doing, not the program's.
                        if "could not connect to display" not in str(e) or attempt == 2:
                            raise
        counts = instructions.startup_table(args.program, args.bare, display)[0] if counted else None
    finally:
        xvfb.terminate()
        xvfb.wait()

    print(f"{args.runs} interleaved runs under Xvfb (median, min, max)\n")
    print("| program | start to window mapped, ms | CPU to the window, ms | CPU to idle, ms | RSS when idle, MiB | "
          "PSS when idle, MiB |")
    print("|---|---|---|---|---|---|")
    med = {}
    for name, _, _ in programs:
        cols = []
        for k in range(5):
            m, lo, hi = summary([r[k] for r in results[name]])
            med[(name, k)] = m
            cols.append(f"{m:.1f} ({lo:.1f}-{hi:.1f})")
        print(f"| {name} | " + " | ".join(cols) + " |")
    ratio = med[("quorcalc", 0)] / med[("bare Qt", 0)]
    cpu_ratio = med[("quorcalc", 1)] / med[("bare Qt", 1)]
    idle_ratio = med[("quorcalc", 2)] / med[("bare Qt", 2)]
    extra = med[("quorcalc", 3)] - med[("bare Qt", 3)]
    print(f"\nCPU to the first window ratio {cpu_ratio:.2f} (goal at most 1.05), CPU to idle ratio {idle_ratio:.2f} "
          f"(goal at most 1.15); start time ratio {ratio:.2f}; RSS difference {extra:+.1f} MiB (goal at most +10)")
    if counts is None:
        print("\nvalgrind is missing: no instruction counts (scripts/install-deps valgrind installs it)")
    else:
        print("\nThe same starts in instructions (callgrind, one run each: the counts repeat within 0.1%):\n")
        print(counts)
    return 0


if __name__ == "__main__":
    sys.exit(main())
