#!/usr/bin/env python3
"""The installed calculator, as a user gets it from `cmake --install`.

Installs the build into a DESTDIR whose path holds a blank, $, " and a backquote; checks the file list;
runs --version, --help and a start without a display from there; starts the installed program on the
offscreen platform, then under Xvfb: its window shows with the program's icon and window class, and
Options > Run on Startup writes an autostart entry that names the installed file and that session
starters accept.
"""

import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "rig"))
from xvfb import start_xvfb  # noqa: E402

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}:\n  got  {got!r}\n  want {want!r}")


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise RuntimeError(f"timed out after {seconds} s waiting for {what}")


def expected_files(app_id, libdir):
    icons = [f"usr/share/icons/hicolor/{s}x{s}/apps/{app_id}.png" for s in (16, 24, 32, 48, 64, 128, 256)]
    return sorted(icons + [
        "usr/bin/quorcalc",
        "usr/bin/quorcalc-cli",
        f"usr/{libdir}/quorlane-calculator/modules/libquorlane-print.so",  # loaded when the user prints
        f"usr/share/applications/{app_id}.desktop",
        "usr/share/doc/quorlane-calculator/changelog.gz",
        "usr/share/doc/quorlane-calculator/copyright",
        f"usr/share/icons/hicolor/scalable/apps/{app_id}.svg",
        "usr/share/man/man1/quorcalc-cli.1.gz",
        "usr/share/man/man1/quorcalc.1.gz",
        f"usr/share/metainfo/{app_id}.metainfo.xml",
    ])


def exec_argument(path):
    """A program path as the desktop-entry rules put it into an Exec line in the file."""
    quoted = ""
    for c in path:
        if c in '"`$':
            quoted += "\\\\" + c
        elif c == "\\":
            quoted += "\\\\\\\\"
        elif c == "%":
            quoted += "%%"
        else:
            quoted += c
    return f'"{quoted}"'


def png_rgba(path):
    """Pixels of an 8-bit RGBA PNG (as rsvg-convert writes them): a list of rows of (r, g, b, a)."""
    data = open(path, "rb").read()
    pos, chunks, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks += body
        pos += 12 + length
    width, height, depth, colour = header[:4]
    if (depth, colour) != (8, 6):
        raise RuntimeError(f"{path}: not 8-bit RGBA")
    raw, stride, rows, previous = zlib.decompress(chunks), width * 4, [], bytes(width * 4)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = previous[i]
            c = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * 4:x * 4 + 4]) for x in range(width)])
        previous = bytes(line)
    return rows


def window_icon(window, env, size):
    """The size x size image of the window's _NET_WM_ICON, as rows of (r, g, b, a)."""
    out = subprocess.run(["xprop", "-id", window, "-notype", "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON"],
                         env=env, capture_output=True, text=True, timeout=10).stdout
    values = [int(v) for v in out.split("=", 1)[1].replace(",", " ").split()] if "=" in out else []
    i = 0
    while i + 2 <= len(values):
        w, h = values[i], values[i + 1]
        if (w, h) == (size, size):
            pixels = values[i + 2:i + 2 + w * h]
            return [[((p >> 16) & 255, (p >> 8) & 255, p & 255, (p >> 24) & 255) for p in pixels[y * w:(y + 1) * w]]
                    for y in range(h)]
        i += 2 + w * h
    return None


def difference(a, b):
    """Mean difference of two images per channel, colours weighted by their cover."""
    total = count = 0
    for row_a, row_b in zip(a, b):
        for pa, pb in zip(row_a, row_b):
            total += abs(pa[3] - pb[3]) + sum(abs(x * pa[3] - y * pb[3]) / 255 for x, y in zip(pa[:3], pb[:3]))
            count += 4
    return total / count


def isolated_env(root, **extra):
    home = os.path.join(root, "home")
    runtime = os.path.join(root, "runtime")
    os.makedirs(home, exist_ok=True)
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CACHE_HOME=os.path.join(home, "cache"), XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8",
               QUORLANE_AUTOSTART_SYSTEM_DIR=os.path.join(root, "xdg-autostart"),
               QUORLANE_AUTOSTART_USER_DIR=os.path.join(home, ".config", "autostart"))
    env.update(extra)
    return env


def stop(process):
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def check_commands(bin_dir, version, root):
    env = isolated_env(root)
    quorcalc, cli = os.path.join(bin_dir, "quorcalc"), os.path.join(bin_dir, "quorcalc-cli")
    for program, name in ((quorcalc, "quorcalc"), (cli, "quorcalc-cli")):
        r = subprocess.run([program, "--version"], env=env, capture_output=True, text=True, timeout=30)
        check(f"{name} --version", (r.returncode, r.stdout.splitlines()[:1], r.stderr),
              (0, [f"{name} (Quorlane Calculator) {version}"], ""))
    r = subprocess.run([quorcalc, "--help"], env=env, capture_output=True, text=True, timeout=30)
    check("quorcalc --help", (r.returncode, "/tray" in r.stdout and "--version" in r.stdout), (0, True))
    # No display named, and one that cannot be reached: one line on stderr, status 1, no abort.
    unreachable = os.path.join(root, "no-such-x-socket") + ":0"
    for what, extra in (("no display", {}), ("unreachable display", {"DISPLAY": unreachable})):
        r = subprocess.run([quorcalc], env=dict(env, **extra), capture_output=True, text=True, timeout=30)
        check(f"{what}: status, stdout, lines on stderr", (r.returncode, r.stdout, len(r.stderr.splitlines())),
              (1, "", 1))
    # An unknown option (or argument) is named with a usage line and status 2, with or without a display.
    for args in (["--bogus"], ["/tray", "extra"], ["-style"], ["-platform=offscreen"]):
        for what, extra in (("no display", {}), ("offscreen", {"QT_QPA_PLATFORM": "offscreen"})):
            r = subprocess.run([quorcalc] + args, env=dict(env, **extra), capture_output=True, text=True, timeout=30)
            check(f"quorcalc {' '.join(args)} ({what})",
                  (r.returncode, r.stdout, r.stderr.splitlines()[-1:] and r.stderr.splitlines()[-1].startswith("usage:")),
                  (2, "", True))


def check_offscreen(quorcalc, root):
    env = isolated_env(root, QT_QPA_PLATFORM="offscreen")
    # "/tray" and the toolkit's own options are taken as before.
    first = subprocess.Popen([quorcalc, "/tray", "-style", "Fusion", "--reverse", "-platform", "offscreen"], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # The single-instance marker appears in the runtime folder once the program is up; a second
        # start then finds it and ends at once, while the first keeps running with its window.
        wait_for(lambda: first.poll() is not None or os.listdir(env["XDG_RUNTIME_DIR"]),
                 30, "the installed program to start on the offscreen platform")
        time.sleep(0.5)
        check("offscreen: still running", first.poll(), None)
        second = subprocess.run([quorcalc], env=env, capture_output=True, timeout=30)
        check("offscreen: a second start ends", second.returncode, 0)
        check("offscreen: still running after the second start", first.poll(), None)
    finally:
        stop(first)


def check_window(quorcalc, dest, app_id, root):
    xvfb, display = start_xvfb()
    if xvfb is None:
        print("SKIP: Xvfb does not start here; the window was not checked")
        return
    env = isolated_env(root, DISPLAY=display)
    program = None
    try:
        program = subprocess.Popen([quorcalc], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def find_window():
            if program.poll() is not None:
                raise RuntimeError(f"the installed program ended ({program.returncode}) before showing its window")
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Quorlane Calculator$"], env=env,
                               capture_output=True, text=True)
            return r.stdout.split()[0] if r.returncode == 0 and r.stdout.strip() else None

        window = wait_for(find_window, 30, "the calculator window under Xvfb")
        out = subprocess.run(["xprop", "-id", window, "WM_CLASS"], env=env, capture_output=True, text=True).stdout
        check("WM_CLASS", out.strip(), f'WM_CLASS(STRING) = "quorcalc", "{app_id}"')

        # The window's icon is the installed one (drawn by Qt from the same SVG).
        installed = png_rgba(os.path.join(dest, f"usr/share/icons/hicolor/32x32/apps/{app_id}.png"))
        shown = wait_for(lambda: window_icon(window, env, 32), 10, "the window's 32 x 32 icon")
        if difference(shown, installed) > 8:
            failures.append(f"the window's icon differs from the installed icon ({difference(shown, installed):.1f})")

        # Options > Run on Startup from the installed program: the user's own entry (even where the
        # system folder could be written) names the installed file, to run and to look for.
        # A slow machine may open the menu after the R arrives (which the keypad then takes): try
        # again with more time for the menu.
        os.makedirs(env["QUORLANE_AUTOSTART_SYSTEM_DIR"], exist_ok=True)
        entry = os.path.join(env["QUORLANE_AUTOSTART_USER_DIR"], f"{app_id}.desktop")
        for delay in (0.3, 1.0, 2.0):
            subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, timeout=10)
            subprocess.run(["xdotool", "key", "alt+o"], env=env, timeout=10)
            time.sleep(delay)
            subprocess.run(["xdotool", "key", "r"], env=env, timeout=10)
            try:
                wait_for(lambda: os.path.exists(entry), 3, "the autostart entry")
                break
            except RuntimeError:
                subprocess.run(["xdotool", "key", "Escape"], env=env, timeout=10)
        wait_for(lambda: os.path.exists(entry), 1, "the autostart entry after Options > Run on Startup")
        lines = open(entry, encoding="utf-8").read().splitlines()
        exec_lines = [line for line in lines if line.startswith("Exec=")]
        check("autostart Exec", exec_lines, ["Exec=" + exec_argument(quorcalc) + " /tray"])
        check("autostart TryExec", [line for line in lines if line.startswith("TryExec=")],
              ["TryExec=" + quorcalc.replace("\\", "\\\\")])
        check("system autostart folder", os.listdir(env["QUORLANE_AUTOSTART_SYSTEM_DIR"]), [])
        check_autostart_accepted(entry, root)
    finally:
        stop(program)
        stop(xvfb)


def check_autostart_accepted(entry, root):
    generator = "/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator"
    if not os.path.exists(generator):
        return
    config = os.path.join(root, "generator-config")
    units = os.path.join(root, "units")
    os.makedirs(os.path.join(config, "autostart"), exist_ok=True)
    os.makedirs(units, exist_ok=True)
    shutil.copy(entry, os.path.join(config, "autostart"))
    env = dict(PATH="/usr/bin:/bin", XDG_CONFIG_HOME=config, XDG_CONFIG_DIRS="/nonexistent")
    subprocess.run([generator, units, units, units], env=env, capture_output=True, timeout=30)
    stem = os.path.basename(entry)[:-len(".desktop")]
    if not os.path.exists(os.path.join(units, f"app-{stem}@autostart.service")):
        failures.append("systemd's autostart generator rejects the entry")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--libdir", required=True)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="quorlane-install-") as root:
        dest = os.path.join(root, 'dest with $HOME "quotes" and `ticks`')
        r = subprocess.run(["cmake", "--install", args.build, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=dest),
                           capture_output=True, text=True, timeout=120)
        if r.returncode != 0:
            print(r.stdout + r.stderr)
            return 1
        found = sorted(os.path.relpath(os.path.join(d, f), dest) for d, _, files in os.walk(dest) for f in files)
        check("installed files", found, expected_files(args.app_id, args.libdir))
        bin_dir = os.path.join(dest, "usr", "bin")
        check_commands(bin_dir, args.version, os.path.join(root, "commands"))
        check_offscreen(os.path.join(bin_dir, "quorcalc"), os.path.join(root, "offscreen"))
        check_window(os.path.join(bin_dir, "quorcalc"), dest, args.app_id, os.path.join(root, "x11"))

    for f in failures:
        print("FAIL:", f)
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
