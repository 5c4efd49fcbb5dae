#!/usr/bin/env python3
"""Instruction counts of the rows the performance goals are stated in, from valgrind's callgrind.

Instructions do not move with the machine's load: the same binary gives the same count within a few
hundredths of a per cent, where CPU time moves by ten or twenty per cent on a shared machine.

  instructions.py startup --program quorcalc --bare bare-qt-window
      from exec to the first map of the window, to the first painted frame and to idle (the process
      has used no CPU for two seconds; it is then ended by SIGUSR1, which neither program handles),
      under Xvfb, the same way for both programs.
  instructions.py keys --bench bench_keys
      a digit key and an operator key in the real window on the xcb platform, after 0, 10,000 and
      100,000 keys (bench_keys collects them apart).
  instructions.py tape --bench bench_tape
      Copy Tape at 1,000,000 lines, per line.
"""

import argparse
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "rig"))
from xvfb import start_xvfb  # noqa: E402


def parts(prefix):
    """The dumps of one callgrind run, in order: (trigger, instructions)."""
    found = []
    for name in glob.glob(glob.escape(prefix) + "*"):
        with open(name, errors="replace") as f:
            text = f.read()
        number = re.search(r"^part: (\d+)", text, re.M)
        trigger = re.search(r"^desc: Trigger: (.*)$", text, re.M)
        total = re.search(r"^summary: (\d+)", text, re.M)
        if trigger and total:
            found.append((int(number.group(1)) if number else 0, trigger.group(1), int(total.group(1))))
    return [(trigger, total) for _, trigger, total in sorted(found)]


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def callgrind(command, env, options, until_idle=False, timeout=3600):
    """Runs `command` under callgrind; returns its dumps. With `until_idle` the process is ended by
    SIGUSR1 once it has used no CPU for two seconds (and no sooner than five seconds after start)."""
    with tempfile.TemporaryDirectory() as out:
        prefix = os.path.join(out, "callgrind.out")
        process = subprocess.Popen(["valgrind", "--tool=callgrind", f"--callgrind-out-file={prefix}.%p"] + options
                                   + command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        start = time.monotonic()
        if until_idle:
            last, quiet_since = -1, time.monotonic()
            while process.poll() is None:
                time.sleep(0.25)
                ticks = cpu_ticks(process.pid)
                now = time.monotonic()
                if ticks != last:
                    last, quiet_since = ticks, now
                elif now - start > 5 and now - quiet_since > 2:
                    process.send_signal(signal.SIGUSR1)
                    break
                if now - start > timeout:
                    process.kill()
                    raise RuntimeError(f"{command[0]}: still busy after {timeout} s")
        _, err = process.communicate(timeout=timeout)
        if not until_idle and process.returncode != 0:
            raise RuntimeError(f"{command[0]} failed ({process.returncode}): {err.decode(errors='replace')[-2000:]}")
        return parts(f"{prefix}.{process.pid}")


def private_env(display):
    """An environment of its own per run: no stored options, a private runtime folder."""
    base = tempfile.mkdtemp(prefix="quorlane-bench-")
    runtime = os.path.join(base, "runtime")
    os.mkdir(runtime, 0o700)
    return dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime,
                XDG_CONFIG_HOME=os.path.join(base, "config"), XDG_DATA_HOME=os.path.join(base, "data")), base


def with_display(action):
    for tool in ("Xvfb", "valgrind"):
        if shutil.which(tool) is None:
            raise RuntimeError(f"{tool} is missing (scripts/install-deps installs it)")
    xvfb, display = start_xvfb()
    if xvfb is None:
        raise RuntimeError("Xvfb does not start here")
    try:
        return action(display)
    finally:
        xvfb.terminate()
        xvfb.wait()


def startup_counts(program, display):
    """Instructions from exec to the first map, the first painted frame and idle."""
    for attempt in range(3):
        env, base = private_env(display)
        try:
            dumps = callgrind([program], env, ["--dump-before=xcb_map_window", "--dump-before=QBackingStore::flush*"],
                              until_idle=True)
        finally:
            shutil.rmtree(base, ignore_errors=True)
        total, marks = 0, {}
        for trigger, count in dumps:
            total += count
            for mark, name in (("map", "xcb_map_window"), ("frame", "QBackingStore::flush")):
                if name in trigger and mark not in marks:
                    marks[mark] = total
        if "map" in marks and "frame" in marks:
            return {"map": marks["map"], "frame": marks["frame"], "idle": total}
        # A refused X connection now and then is the server's doing, not the program's.
    raise RuntimeError(f"{program}: no window was mapped and painted under callgrind")


def startup_table(program, bare, display):
    calc = startup_counts(program, display)
    reference = startup_counts(bare, display)
    rows = [("exec to the first map of the window", "map", 1.05), ("exec to the first painted frame", "frame", None),
            ("exec to idle (no CPU for 2 s, then SIGUSR1)", "idle", 1.15)]
    lines = ["| instructions | quorcalc | bare Qt window | ratio | goal |", "|---|---:|---:|---:|---|"]
    ratios = {}
    for name, key, goal in rows:
        ratio = calc[key] / reference[key]
        ratios[key] = ratio
        lines.append(f"| {name} | {calc[key] / 1e6:.1f} M | {reference[key] / 1e6:.1f} M | {ratio:.3f} | "
                     + (f"at most {goal:.2f}" if goal else "") + " |")
    return "\n".join(lines), ratios


def keys_table(bench, display):
    env, base = private_env(display)
    try:
        dumps = callgrind([bench], env, ["--instr-atstart=no", "--collect-atstart=no"])
    finally:
        shutil.rmtree(base, ignore_errors=True)
    rows = {}
    for trigger, count in dumps:
        m = re.search(r"(digits|operators) after (\d+) x (\d+)", trigger)
        if m:
            rows.setdefault(int(m.group(2)), {})[m.group(1)] = count / int(m.group(3))
    if not rows:
        raise RuntimeError("bench_keys dumped no counts")
    lines = ["| keys typed before | instructions per digit key | per operator key | goal |", "|---:|---:|---:|---|"]
    for point in sorted(rows):
        lines.append(f"| {point:,} | {rows[point]['digits'] / 1e6:.3f} M | {rows[point]['operators'] / 1e6:.3f} M | "
                     "at most 0.6 M each |")
    return "\n".join(lines)


def tape_table(bench, lines_count):
    env = dict(os.environ)
    dumps = callgrind([bench, "--instructions", str(lines_count)], env, ["--instr-atstart=no", "--collect-atstart=no"])
    lines = ["| Copy Tape | instructions | per line | goal |", "|---|---:|---:|---|"]
    for trigger, count in dumps:
        m = re.search(r"copy tape of (\d+) lines", trigger)
        if m:
            n = int(m.group(1))
            lines.append(f"| {n:,} lines | {count / 1e6:.1f} M | {count / n:.0f} | at most 100 a line |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="what", required=True)
    s = sub.add_parser("startup")
    s.add_argument("--program", required=True)
    s.add_argument("--bare", required=True)
    k = sub.add_parser("keys")
    k.add_argument("--bench", required=True)
    t = sub.add_parser("tape")
    t.add_argument("--bench", required=True)
    t.add_argument("--lines", type=int, default=1000000)
    args = parser.parse_args()
    try:
        if args.what == "startup":
            print(with_display(lambda d: startup_table(args.program, args.bare, d))[0])
        elif args.what == "keys":
            print(with_display(lambda d: keys_table(args.bench, d)))
        else:
            print(tape_table(args.bench, args.lines))
    except RuntimeError as e:
        print(e, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
