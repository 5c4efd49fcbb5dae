#!/usr/bin/env python3
"""Screen readers: what Orca says while a blind user works the calculator with the keyboard alone.

Orca runs with its default settings in a private D-Bus session with its own accessibility bus, on the
rig's desktop, and speaks through speech-dispatcher, whose one output module writes every utterance
to a file instead of the sound card. The test types with xdotool and compares what Orca said after
each step with what a user needs to hear: the key echoes Orca makes of its own are left aside, every
other utterance must be the expected one, once. Nothing here touches another Orca: its settings,
speech socket and session bus are the test's own, and its process is not named orca."""

import collections
import os
import re

import rig
import rigtest

AT_SPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
SPEECH_TIMEOUT = 20.0  # Orca on a loaded machine

# Orca started as /usr/bin/orca starts it, minus the refusal to run beside another user's Orca (it
# finds them by process name) and with settings in a folder of its own.
ORCA_LAUNCHER = """import sys
from orca import orca
manager = orca.getSettingsManager()
manager.activate(sys.argv[1], {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
"""

# The keys Orca echoes as the user presses them, by the name xdotool gives them.
ECHOES = {"plus": ["plus", "left shift"], "at": ["at", "left shift"], "percent": ["percent", "left shift"],
          "period": ["dot"], "Return": ["return"], "Escape": ["escape"], "Tab": ["tab"], "slash": ["slash"],
          "shift+Tab": ["left shift", "tab"], "F1": ["F1"], "F2": ["F2"], "alt+h": ["left alt"],
          "alt+e": ["left alt"]}


def echoes(key):
    """What Orca may say for a key pressed, besides what the key makes the program say."""
    if key.startswith("ctrl+"):
        return ["left control"]
    return ECHOES.get(key, [key.lower()])


class Speech:
    """Orca and speech-dispatcher on a rig desktop, in the D-Bus session this process runs in."""

    def __init__(self, desk):
        self.desk = desk
        self.log = os.path.join(desk.dir, "speech.log")
        open(self.log, "w").close()
        bus = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        self.env = desk.env(DBUS_SESSION_BUS_ADDRESS=bus)
        desk._spawn([AT_SPI_LAUNCHER, "--launch-immediately"], env=self.env)

        # speech-dispatcher with one module: the generic one, whose synthesis command appends the
        # text to the log (an audio method must be named, though nothing is played).
        config = os.path.join(desk.dir, "speechd")
        os.makedirs(os.path.join(config, "modules"))
        with open(os.path.join(config, "speechd.conf"), "w") as f:
            f.write('AudioOutputMethod "libao"\nAddModule "log" "sd_generic" "log.conf"\n'
                    'DefaultModule log\nLanguageDefaultModule "en" "log"\n')
        with open(os.path.join(config, "modules", "log.conf"), "w") as f:
            f.write('GenericExecuteSynth "{ printf %%s \\\'$DATA\\\'; echo; } >> %s"\n'
                    'GenericLanguage "en" "en" "utf-8"\nAddVoice "en" "MALE1" "en"\nDefaultVoice "en"\n'
                    % self.log)
        socket = os.path.join(desk.runtime, "speechd.sock")
        desk._spawn(["speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", config,
                     "--communication-method", "unix_socket", "--socket-path", socket, "--log-dir", desk.dir],
                    env=self.env)
        rig.wait_until(lambda: os.path.exists(socket), what="speech-dispatcher's socket")

        launcher = os.path.join(desk.dir, "rig-orca.py")
        with open(launcher, "w") as f:
            f.write(ORCA_LAUNCHER)
        prefs = os.path.join(desk.dir, "orca-settings")
        os.makedirs(prefs)
        self.orca_log = os.path.join(desk.dir, "orca.log")
        with open(self.orca_log, "w") as err:
            desk._spawn([rigtest.SYSTEM_PYTHON, launcher, prefs], env=dict(self.env, SPEECHD_ADDRESS="unix_socket:" +
                                                                         socket), stderr=err)

    def said(self):
        """Every utterance so far, in order."""
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return [line.strip() for line in f.read().splitlines() if line.strip()]

    def wait_for(self, what, since=0, timeout=SPEECH_TIMEOUT):
        """Waits until `what` was said after the first `since` utterances."""
        try:
            rig.wait_until(lambda: what in self.said()[since:], timeout, "Orca to say %r" % what, interval=0.05)
        except TimeoutError:
            raise AssertionError("Orca did not say %r; it said %r\nOrca's messages: %s"
                                 % (what, self.said()[since:], self.orca_messages()))

    def orca_messages(self):
        with open(self.orca_log, encoding="utf-8", errors="replace") as f:
            return f.read()[-2000:]


class ScreenReader(rigtest.RigCase):
    def setUp(self):
        for path, package in ((AT_SPI_LAUNCHER, "at-spi2-core"), ("/usr/bin/orca", "orca"),
                              ("/usr/bin/speech-dispatcher", "speech-dispatcher")):
            if not os.path.exists(path):
                self.skipTest(package + " is not installed")

    def heard(self, keys, since):
        """What Orca said after the first `since` utterances, less one echo of each key in `keys` and
        the echoes of the step before not said yet (Orca may echo a key late, after the program
        answered it)."""
        echoed = collections.Counter(e for key in keys for e in echoes(key)) + self.late_echoes
        heard = []
        for u in self.speech.said()[since:]:
            if echoed[u] > 0:
                echoed[u] -= 1
            else:
                heard.append(u)
        return heard, echoed

    def step(self, keys, expected):
        """Presses `keys` and returns once Orca said as much as `expected` besides their echoes; fails
        when that was anything else, or one of them twice."""
        since = len(self.speech.said())
        for key in keys:
            self.calc.keys(key, delay=40)
        try:
            rig.wait_until(lambda: len(self.heard(keys, since)[0]) >= len(expected), SPEECH_TIMEOUT,
                           "Orca to say %r" % expected, interval=0.05)
        except TimeoutError:
            pass  # the comparison below says what was missing
        self.calc.sync()
        heard, self.late_echoes = self.heard(keys, since)
        # An expected pattern stands for what it matches.
        heard = [e if isinstance(e, re.Pattern) and i < len(heard) and e.fullmatch(heard[i]) else
                 (heard[i] if i < len(heard) else None) for i, e in enumerate(expected)] + heard[len(expected):]
        self.assertEqual(heard, expected, "after %s Orca said %r\nOrca's messages: %s"
                         % (" ".join(keys), self.speech.said()[since:], self.speech.orca_messages()))

    def test_a_blind_user_hears_every_result(self):
        with self.desktop() as desk:
            self.speech = Speech(desk)
            self.late_echoes = collections.Counter()
            # Orca speaks at all: a set-up where it does not fails here, loudly.
            self.speech.wait_for("Screen reader on.")
            self.calc = desk.start_calc(DBUS_SESSION_BUS_ADDRESS=os.environ["DBUS_SESSION_BUS_ADDRESS"])
            since = len(self.speech.said())
            self.calc.activate()
            self.speech.wait_for(rig.TITLE + " frame.", since)
            # The focus is the display, read with its value.
            self.speech.wait_for("Display.", since)
            self.assertEqual(self.speech.said()[since:], [rig.TITLE + " frame.", "0.", "Display."])

            steps = [
                (["1", "2", "plus", "3", "Return"], ["15"]),
                (["1", "0", "0", "slash", "0", "Return"], ["Division by zero error"]),
                (["Escape"], ["0"]),
                (["9", "at"], ["3"]),
                (["8", "r"], ["0.125"]),
                (["2", "0", "0", "plus", "5", "percent"], ["10"]),
                (["Escape"], ["0"]),
                # Whole, with its grouping: a number, not digits.
                (["1", "2", "3", "4", "period", "5", "plus", "1", "0", "0", "0", "Return"], ["2,234.5"]),
                (["5", "Return"], ["5"]),  # a total equal to the entry
                (["4", "2", "ctrl+m"], ["Memory = 42"]),
                (["Escape"], ["0"]),
                (["ctrl+r"], ["42"]),
                (["ctrl+l"], ["Memory empty"]),
            ]
            for keys, expected in steps:
                self.step(keys, expected)
            desk.set_clipboard("1,234,567.5")
            self.step(["ctrl+v"], ["1,234,567.5"])
            # Edit > Paste from the menu: read once, as the focus comes back (it was read twice).
            desk.set_clipboard("25")
            self.step(["alt+e"], ["Copy."])
            self.step(["p"], ["25.", "Display."])

            # The tape, from its last total line by line; keys typed there still reach the calculator
            # and bring the focus back to the display, as Shift+Tab and Esc do. (One step for each key
            # that makes Orca speak: a key pressed while it speaks may cut it short.)
            self.step(["Escape"], ["0"])
            in_tape = ["History tape read only text.", "5 ="]
            self.step(["Tab"], in_tape)
            self.step(["Up"], ["26 dash characters"])
            self.step(["Up"], ["5"])
            self.step(["7"], ["7.", "Display."])
            self.step(["Tab"], in_tape)
            self.step(["shift+Tab"], ["7.", "Display."])
            self.step(["Tab"], in_tape)
            self.step(["Escape"], ["7.", "Display."])  # the display is not cleared

            # Keyboard Equivalents: its rows by name, Esc closes it, F1 brings the same one back.
            self.step(["F1"], ["Keyboard Equivalents dialog.", "Close push button."])
            self.step(["Tab"], ["Buttons and their keys.", "List with 26 items.", "Digits 0 to 9: 0 to 9."])
            rows = ["Double zero: Z.", "Triple zero: X.", "Decimal point: period.", "Change sign: F9.",
                    "Non-add: number sign.", "Divide: slash.", "Multiply: asterisk.", "Subtract: minus.", "Add: plus.", "Equals: Enter.",
                    "Square root: at sign."]
            for row in rows:
                self.step(["Down"], [row])
            self.step(["Escape"], [rig.TITLE + " frame.", "7.", "Display."])
            self.step(["F1"], ["Keyboard Equivalents dialog.", "Buttons and their keys.", "List with 26 items.",
                               "Square root: at sign."])
            x = desk.x
            helps = [w for w in x.all_windows() if x.property(w, "_NET_WM_PID") == [self.calc.pid] and
                     x.text(w) == "Keyboard Equivalents"]
            self.assertEqual(len(helps), 1, "F1 opened another window")
            self.step(["Escape"], [rig.TITLE + " frame.", "7.", "Display."])

            # About: read with its copyright line, Tab keeps to OK, Esc closes it.
            self.step(["alt+h"], ["Keyboard Equivalents."])
            self.step(["a"], [re.compile(r"About Quorlane Calculator dialog Copyright .*"), "OK push button."])
            self.step(["Tab", "Escape"], [rig.TITLE + " frame.", "7.", "Display."])

            # Check and correct by ear: F2 names its editor (it was read as "5 selected 5", no name),
            # and so does Add Note from the tape's menu opened with the Menu key (it was silent).
            self.step(["Tab"], in_tape)
            self.step(["Up"], ["26 dash characters"])
            self.step(["Up"], ["5"])
            self.step(["F2"], ["Correct entry text.", "selected.", "5"])
            self.step(["6"], ["Selection deleted."])
            self.step(["Return"], ["7.", "Display."])  # once
            self.step(["Tab"], ["History tape read only text.", "6 = !"])
            self.step(["Up"], ["26 dash characters"])
            self.step(["Up"], ["6   !"])
            self.step(["Menu"], ["Copy.", rig.TITLE + " frame."])
            self.step(["n"], ["History tape read only text.", "6   !", "Note text."])

            self.assertFalse([u for u in self.speech.said() if "label" in u], "something read as a label")


if __name__ == "__main__":
    rigtest.run_in_dbus_session(__file__)
    rigtest.main()
