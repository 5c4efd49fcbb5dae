#!/usr/bin/env python3
"""The keyboard in the real window: keys reach the calculator whatever happened before (menus,
dialogs), and follow the keyboard layout (US, German, French)."""

import rig
import rigtest


class KeysReachTheWindow(rigtest.RigCase):
    # Keyboard use of the menus, each ending with its menu closed (a command chosen or Esc).
    MENU_USE = [
        ("alt+e", "Escape"),
        ("alt+v", "Escape"),
        ("1", "alt+e", "Escape", "alt+v", "h"),
        ("alt+o", "a", "alt+v", "f"),
        ("alt", "alt+v", "h"),
        ("alt+h", "a", "Return"),  # the about window, closed with its default button
    ]

    def test_after_menu_use_and_dialogs(self):
        for sequence in self.MENU_USE:
            with self.subTest(sequence=sequence), self.desktop() as desk:
                calc = desk.start_calc()
                calc.activate()
                calc.keys(*sequence, delay=60)
                if "alt+h" in sequence:  # back from the about window once it is gone
                    rig.wait_until(lambda: calc.find_window("About Quorlane Calculator") is None,
                                   what="the about window to close")
                    calc.activate()
                calc.keys("Escape", "4", "shift+8", "5", "Return")
                self.assertEqual(calc.display(), "20")
                calc.keys("F1")
                calc.answer("Keyboard Equivalents")  # F1 opened it; Enter closes it
                calc.type("12+30=")
                self.assertEqual(calc.display(), "42")


class KeysFollowTheLayout(rigtest.RigCase):
    # Typed as characters: xdotool picks the keys (and Shift or AltGr) the active layout has for them.
    TYPED = [("8-2=", "6"), ("3*4=", "12"), ("8/2=", "4"), ("2+3=", "5"), ("9@", "3"), ("200+10%=", "220"),
             ("5z", "500"), ("5x", "5,000"), ("4r", "0.25")]
    # Keypad keys are the same on every layout.
    KEYPAD = [("KP_8", "KP_Multiply", "KP_2", "KP_Enter"), "16"]

    def test_us_german_and_french_layouts(self):
        for layout in ("us", "de", "fr"):
            with self.subTest(layout=layout), self.desktop() as desk:
                desk.set_layout(layout)
                calc = desk.start_calc()
                calc.activate()
                for text, expected in self.TYPED:
                    calc.keys("Escape")
                    calc.type(text)
                    self.assertEqual(calc.display(), expected, "%s: %s" % (layout, text))
                calc.keys("Escape", *self.KEYPAD[0])
                self.assertEqual(calc.display(), self.KEYPAD[1], layout)

    def test_us_shift_rows_stay(self):
        # Shift+8 multiplies, Shift+2 takes the square root, Shift+= adds, Shift+minus subtracts.
        with self.desktop() as desk:
            desk.set_layout("us")
            calc = desk.start_calc()
            calc.activate()
            for keys, expected in [(("6", "shift+8", "7", "Return"), "42"), (("1", "6", "shift+2"), "4"),
                                   (("2", "shift+equal", "2", "equal"), "4"), (("9", "shift+minus", "2", "equal"), "7"),
                                   (("9", "ctrl+minus", "3", "KP_Enter"), "6")]:
                calc.keys("Escape", *keys)
                self.assertEqual(calc.display(), expected, keys)


class TheDecimalKeyFollowsTheLocale(rigtest.RigCase):
    # The key that types the locale's decimal separator is the decimal key; where the comma groups
    # digits (US) it does nothing. The period key and the keypad's decimal key stay decimal keys.
    CASES = [
        ("de", "de_DE.UTF-8", [("19,99+5,01=", "25"), ("1.5+1=", "2,5"), ("1,2,5=", "1,25")]),
        ("fr", "fr_FR.UTF-8", [("12,5+1=", "13,5"), ("0,25*4=", "1")]),
        ("us", "en_US.UTF-8", [("1,5=", "15"), ("1.5+1=", "2.5")]),
    ]

    def test_us_german_and_french(self):
        for layout, lang, typed in self.CASES:
            with self.subTest(layout=layout), self.desktop() as desk:
                desk.set_layout(layout)
                calc = desk.start_calc(lang=lang)
                calc.activate()
                for text, expected in typed:
                    calc.keys("Escape")
                    calc.type(text)
                    self.assertEqual(calc.display(), expected, "%s: %s" % (layout, text))
                calc.keys("Escape", "KP_1", "KP_Decimal", "KP_5", "KP_Add", "KP_1", "KP_Enter")
                self.assertEqual(calc.display(), "2.5" if layout == "us" else "2,5", layout)


class AddingMachine(rigtest.RigCase):
    def test_switches_from_the_menus_and_keys_from_the_keyboard(self):
        # Options > Decimal Places > 2, Rounding > Down, Grand Total by the keyboard; S, G and #
        # typed as characters on each layout; then Add (implied decimals, in a comma locale too);
        # the switches are kept for the next start.
        for layout, lang in (("us", "en_US.UTF-8"), ("de", "de_DE.UTF-8")):
            shown = (lambda text: text) if layout == "us" else (lambda text: text.translate(str.maketrans(".,", ",.")))
            with self.subTest(layout=layout), self.desktop() as desk:
                desk.set_layout(layout)
                calc = desk.start_calc(lang=lang)
                calc.activate()
                for keys in (("alt+o", "p", "2"), ("alt+o", "u", "d"), ("alt+o", "g")):
                    calc.keys(*keys, delay=80)
                calc.type("220/6=")
                self.assertEqual(calc.display(), shown("36.66"), layout)
                calc.type("100+20s5=")
                self.assertEqual(calc.display(), shown("125.00"), layout)
                calc.type("4711#g")
                self.assertEqual(calc.display(), shown("161.66"), layout)
                calc.keys("alt+o", "p", "a", delay=80)
                calc.type("1250+4999=")
                self.assertEqual(calc.display(), shown("62.49"), layout)
                # An amount pasted from another program is whole: 1250 is 1,250.00, not 12.50.
                desk.set_clipboard("1250")
                calc.keys("ctrl+v")
                calc.type("+1=")
                self.assertEqual(calc.display(), shown("1,250.01"), layout)
                calc.close_window()
                calc.wait_exit()
                stored = calc.settings()[rig.SETTINGS_KEY]
                self.assertEqual([stored.get(name) for name in ("DecimalPlaces", "Rounding", "GrandTotal")],
                                 ["dword:00000005", "dword:00000002", "dword:00000001"])

if __name__ == "__main__":
    rigtest.main()
