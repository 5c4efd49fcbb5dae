"""The real-desktop rig: the calculator as a user meets it, for end-to-end tests.

A Desktop is a private X server (Xvfb, found through -displayfd) with, on request, a reparenting
window manager (openbox), a notification area (trayer), a keyboard layout (setxkbmap) and programs
started in an isolated environment (their own HOME, XDG folders and runtime folder, a chosen LANG).
Every process it starts is ended when the Desktop closes. Waits poll the X server instead of sleeping.

    with Desktop(wm=True) as desk:
        calc = desk.start_calc()
        calc.keys("1", "plus", "2", "Return")
        assert calc.display() == "3"

Parts that cannot start raise Unavailable (the tests turn it into a skip with its message).
"""

import os
import shutil
import subprocess
import tempfile
import time

from xlib import Display

TITLE = "Quorlane Calculator"
DEFAULT_TIMEOUT = 10.0


class Unavailable(Exception):
    """A part of the rig cannot start on this machine."""


def wait_until(condition, timeout=DEFAULT_TIMEOUT, what="a condition", interval=0.02):
    """Polls `condition` until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError("timed out waiting for " + what)
        time.sleep(interval)


def settled(read, quiet=0.3, timeout=DEFAULT_TIMEOUT, interval=0.03):
    """Polls `read` until its value has not changed for `quiet` seconds, and returns it."""
    deadline = time.monotonic() + timeout
    value, since = read(), time.monotonic()
    while time.monotonic() - since < quiet:
        if time.monotonic() > deadline:
            raise TimeoutError("the value kept changing: %r" % (value,))
        time.sleep(interval)
        now = read()
        if now != value:
            value, since = now, time.monotonic()
    return value


def require(*tools):
    missing = [t for t in tools if shutil.which(t) is None]
    if missing:
        raise Unavailable("not installed: " + ", ".join(missing) + " (scripts/install-deps installs them)")


def read_registry(path):
    """The values of a registry-export file: {key path: {value name: text as written}}."""
    keys, current = {}, None
    if not os.path.exists(path):
        return keys
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line.startswith("[") and line.endswith("]"):
                current = keys.setdefault(line[1:-1], {})
            elif current is not None and line.startswith('"') and "=" in line:
                name, _, value = line.partition("=")
                current[name.strip('"')] = value
    return keys


SETTINGS_KEY = r"HKEY_CURRENT_USER\Software\Quorlane\Calculator\1.0\Settings"


def registry_text(keys):
    """A registry-export file of {key path: {value name: value}}; ints become dwords, strs strings."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, values in keys.items():
        lines.append("[%s]" % key)
        for name, value in values.items():
            lines.append('"%s"=%s' % (name, "dword:%08x" % value if isinstance(value, int) else '"%s"' % value))
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


class Desktop:
    SCREEN = (1280, 800)

    def __init__(self, wm=True, screen=None, ardelay=None):
        self.screen = screen or self.SCREEN
        self._want_wm = wm
        self._ardelay = ardelay
        self._processes = []
        self.dir = tempfile.mkdtemp(prefix="quorlane-rig-")
        self.home = os.path.join(self.dir, "home")
        self.config = os.path.join(self.home, ".config")
        self.runtime = os.path.join(self.dir, "runtime")
        for d in (self.home, self.config, os.path.join(self.home, ".local", "share"), self.runtime):
            os.makedirs(d, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        self.display_name = None
        self.x = None
        self.panel = None
        self.wm = None

    # ---- the session ----

    def __enter__(self):
        try:
            self._start_x()
            if self._want_wm:
                self.start_wm()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.x is not None:
            self.x.close()
            self.x = None
        for p in reversed(self._processes):
            self._end(p)
            for pipe in (p.stdin, p.stdout, p.stderr):
                if pipe is not None:
                    pipe.close()
        self._processes.clear()
        shutil.rmtree(self.dir, ignore_errors=True)

    @staticmethod
    def _end(process, grace=2.0):
        if process.poll() is not None:
            return
        process.terminate()
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    def _spawn(self, argv, env=None, **kwargs):
        p = subprocess.Popen(argv, env=env or self.env(), stdin=kwargs.pop("stdin", subprocess.DEVNULL),
                             stdout=kwargs.pop("stdout", subprocess.DEVNULL),
                             stderr=kwargs.pop("stderr", subprocess.DEVNULL), **kwargs)
        self._processes.append(p)
        return p

    def env(self, lang="C.UTF-8", **extra):
        """An isolated environment on this display (nothing from the user's session leaks in)."""
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": self.config,
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_DIRS": "/etc/xdg",
            "LANG": lang,
            "LC_ALL": lang,
            "QT_QPA_PLATFORM": "xcb",
        }
        if self.display_name:
            env["DISPLAY"] = self.display_name
        env.update({k: v for k, v in extra.items() if v is not None})
        return env

    def _start_x(self):
        require("Xvfb")
        read_end, write_end = os.pipe()
        argv = ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                "%dx%dx24" % self.screen, "-nolisten", "tcp", "-noreset"]
        if self._ardelay is not None:
            argv += ["-ardelay", str(self._ardelay)]
        self._spawn(argv, env=self.env(), pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise Unavailable("Xvfb did not start")
        self.display_name = ":" + number.decode().strip()
        self.x = Display(self.display_name)

    def start_wm(self):
        """openbox, reparenting with a title bar; returns when it manages the screen."""
        require("openbox")
        self.wm = self._spawn(["openbox", "--sm-disable"])
        wait_until(lambda: self.x.property(self.x.root, "_NET_SUPPORTING_WM_CHECK"), what="openbox")
        wait_until(lambda: self.x.property(self.x.root, "_NET_WORKAREA"), what="openbox's work area")

    def work_area(self):
        area = self.x.property(self.x.root, "_NET_WORKAREA")
        return tuple(area[:4]) if area else (0, 0) + tuple(self.screen)

    def start_panel(self, strut=False):
        """trayer, a notification area at the top right; returns when it owns the tray selection."""
        require("trayer")
        self.panel = self._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                  "--width", "96", "--heighttype", "pixel", "--height", "24",
                                  "--SetDockType", "true", "--SetPartialStrut", "true" if strut else "false",
                                  "--expand", "false", "--transparent", "false"])
        wait_until(lambda: self.x.selection_owner("_NET_SYSTEM_TRAY_S0"), what="trayer")
        if strut:
            full = (0, 0) + tuple(self.screen)
            wait_until(lambda: self.work_area() != full, what="the work area without the panel")
        return self.panel

    def stop_panel(self):
        if self.panel is not None:
            self._end(self.panel)
            self.panel = None
            wait_until(lambda: not self.x.selection_owner("_NET_SYSTEM_TRAY_S0"), what="trayer to go")
            if self._want_wm:
                full = (0, 0) + tuple(self.screen)
                wait_until(lambda: self.work_area() == full, what="the whole screen as work area")

    def set_layout(self, layout):
        require("setxkbmap")
        subprocess.run(["setxkbmap", "-display", self.display_name, layout], check=True, env=self.env())

    # ---- tools on this display ----

    def xdotool(self, *args, check=True):
        require("xdotool")
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(), check=check,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                              timeout=DEFAULT_TIMEOUT).stdout

    def set_clipboard(self, text):
        """Puts `text` on the clipboard; xclip serves it until another program takes the clipboard."""
        require("xclip")
        p = self._spawn(["xclip", "-selection", "clipboard", "-i", "-quiet"], stdin=subprocess.PIPE)
        p.stdin.write(text.encode())
        p.stdin.close()
        wait_until(lambda: self.clipboard() == text, what="xclip to own the clipboard")

    def clipboard(self):
        require("xclip")
        r = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env(), stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=DEFAULT_TIMEOUT)
        return r.stdout.decode("utf-8", "replace") if r.returncode == 0 else None

    def active_window(self):
        active = self.x.property(self.x.root, "_NET_ACTIVE_WINDOW")
        return active[0] if active else None

    def windows_of(self, pid):
        """The top-level client windows of a process (those with _NET_WM_PID = pid): the windows the
        window manager manages (WM_STATE), or without one the children of the root."""
        managed = self.x.property(self.x.root, "_NET_SUPPORTING_WM_CHECK") is not None
        candidates = self.x.all_windows() if managed else self.x.children(self.x.root)
        return [w for w in candidates if self.x.property(w, "_NET_WM_PID") == [pid] and
                (not managed or self.x.property(w, "WM_STATE") is not None)]

    def write_settings(self, **options):
        """Stores options as a previous run would have: write_settings(TrayIcon=1, Tape=0)."""
        folder = os.path.join(self.config, "quorlane")
        os.makedirs(folder, exist_ok=True)
        values = {"FirstRun": 0, "Flat": 0, "Tape": 1, "OnTop": 0, "TrayIcon": 0, "RunOnStartup": 0, "Color": 0}
        values.update(options)
        with open(os.path.join(folder, "user.reg"), "w", encoding="utf-8", newline="") as f:
            f.write(registry_text({SETTINGS_KEY: values}))

    def start_calc(self, program=None, args=(), lang="C.UTF-8", wait=True, **env):
        calc = Calc(self, program or os.environ["QUORCALC"], args, lang, env)
        if wait:
            calc.wait_window()
        return calc


class Calc:
    """The calculator program on a Desktop."""

    def __init__(self, desk, program, args, lang, env):
        self.desk = desk
        # The program's messages go to a file (a pipe nobody reads could fill and stop it).
        self.log = tempfile.NamedTemporaryFile(prefix="calc-", suffix=".log", dir=desk.dir, delete=False)
        self.process = desk._spawn([program] + list(args), env=desk.env(lang, **env), stderr=self.log)
        self.log.close()
        self.pid = self.process.pid
        self.window = None

    # ---- windows ----

    def find_window(self, title):
        for w in self.desk.windows_of(self.pid):
            if self.desk.x.text(w) == title and self.desk.x.viewable(w):
                return w
        return None

    def wait_window(self, title=TITLE, timeout=5.0):
        def found():
            if self.process.poll() is not None:
                raise RuntimeError("the program ended: " + self.stderr())
            return self.find_window(title)
        w = wait_until(found, timeout, "the window " + repr(title))
        if title == TITLE:
            self.window = w
        return w

    def stderr(self):
        with open(self.log.name, encoding="utf-8", errors="replace") as f:
            return f.read()

    def geometry(self, window=None):
        """The client area (x, y, width, height) on the screen."""
        return self.desk.x.geometry(window or self.window)

    def frame_extents(self, window=None):
        """(left, right, top, bottom) of the window manager's frame; zeros without one."""
        e = self.desk.x.property(window or self.window, "_NET_FRAME_EXTENTS")
        return tuple(e) if e else (0, 0, 0, 0)

    def outer(self, window=None):
        """The window with its frame: (x, y, width, height)."""
        x, y, w, h = self.geometry(window)
        left, right, top, bottom = self.frame_extents(window)
        return (x - left, y - top, w + left + right, h + top + bottom)

    def settled_outer(self, window=None, quiet=0.4):
        return settled(lambda: (self.outer(window), self.frame_extents(window)), quiet)[0]

    def states(self, window=None):
        return self.desk.x.atoms(window or self.window, "_NET_WM_STATE")

    def visible(self):
        """Whether the main window is on the screen (found first when the program started hidden)."""
        if self.window is None:
            self.window = self.find_window(TITLE)
        return self.window is not None and self.desk.x.viewable(self.window)

    def tray_icon(self):
        """The program's icon embedded in the notification area (a small viewable window of the
        program that the window manager does not manage), or None."""
        x = self.desk.x
        top = set(x.children(x.root))
        for w in x.all_windows():
            if w in top or x.property(w, "_NET_WM_PID") != [self.pid] or x.property(w, "WM_STATE") is not None:
                continue
            g = x.geometry(w)
            if g is not None and g[2] <= 64 and g[3] <= 64 and x.viewable(w):
                return w
        return None

    # ---- input ----

    def activate(self, window=None):
        w = window or self.window
        self.desk.x.client_message(w, "_NET_ACTIVE_WINDOW", [2, 0, 0, 0, 0])
        wait_until(lambda: self.desk.active_window() == w, what="the window to be active")

    def keys(self, *names, delay=15):
        """Key strokes as xdotool names them (keysyms with modifiers: "ctrl+c", "shift+8")."""
        self.desk.xdotool("key", "--delay", delay, *names)

    def type(self, text, delay=15):
        """Characters, typed with whatever keys the active layout has for them."""
        self.desk.xdotool("type", "--delay", delay, text)

    def sync(self):
        """Returns once the program has handled the keys sent before. Qt answers a ping as soon as it
        reads it but handles the keys read with it a little later, before it reads what comes next:
        the answer to a second ping, sent after the first answer, follows them."""
        with Display(self.desk.display_name) as x:
            x.watch_requests()
            ping = x.atom("_NET_WM_PING")
            for stamp in (1, 2):
                x.client_message(self.window, "WM_PROTOCOLS", [ping, stamp, self.window, 0, 0], target=self.window)
                wait_until(lambda: any(data[:2] == [ping, stamp] for name, _, data in x.client_messages_with_data()
                                       if name == "WM_PROTOCOLS"), what="the program to answer a ping")

    def display(self, timeout=5.0):
        """The display's text, read as a user would: Ctrl+C, then the clipboard (once a paste still
        on its way has read it)."""
        self.sync()
        marker = "rig-marker-%d" % time.monotonic_ns()
        self.desk.set_clipboard(marker)
        self.keys("ctrl+c")

        def copied():
            text = self.desk.clipboard()
            return text if text not in (None, marker) else None
        try:
            return wait_until(copied, timeout, "the display on the clipboard")
        except TimeoutError:
            return None  # the keys did not reach the program

    def answer(self, title, key="Return"):
        """Answers the box (or closes the window) called `title` with a key, and returns to the
        main window."""
        box = self.wait_window(title)
        self.activate(box)
        self.keys(key)
        # Keys sent before the box is gone could still reach it.
        wait_until(lambda: not self.desk.x.viewable(box), what="the window %r to close" % title)
        self.activate()

    def close_window(self, window=None):
        """What the window manager's close button sends: WM_DELETE_WINDOW."""
        w = window or self.window
        x = self.desk.x
        x.client_message(w, "WM_PROTOCOLS", [x.atom("WM_DELETE_WINDOW"), 0, 0, 0, 0], target=w)

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError("the program did not end")

    def settings(self):
        """The stored options and placement, as {key path: {name: value}}."""
        return read_registry(os.path.join(self.desk.config, "quorlane", "user.reg"))
