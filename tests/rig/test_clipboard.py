#!/usr/bin/env python3
"""The clipboard in the real window: paste keeps the value in comma-decimal locales, what Copy puts
on the clipboard pastes back, and a value the calculator cannot hold is refused with its message."""

import rigtest

NNBSP, NBSP = "\u202f", "\u00a0"


class Paste(rigtest.RigCase):
    CASES = {
        "C.UTF-8": [("1,234.5", "1,234.5"), (" 2.5 ", "2.5"), ("1 000", "1,000"),
                    ("1.234,56", "1,234.56"), ("12,34", "12.34"), ("\u20ac 12,50", "12.5")],
        "de_DE.UTF-8": [("1234,5", "1.234,5"), ("2,5", "2,5"), ("1.234,5", "1.234,5"), ("-0,25", "-0,25"),
                        ("1234.56", "1.234,56"), ("12,345.67", "12.345,67"), ("$1,299.00", "1.299")],
        "fr_FR.UTF-8": [("1234,5", "1 234,5"), ("1" + NNBSP + "234,5", "1 234,5"), ("1" + NBSP + "234,5", "1 234,5"),
                        ("2,5", "2,5"), ("0.5", "0,5"), ("12,50 \u20ac", "12,5")],
    }

    def test_paste_in_each_locale(self):
        for lang, cases in self.CASES.items():
            with self.subTest(lang=lang), self.desktop() as desk:
                calc = desk.start_calc(lang=lang)
                calc.activate()
                for text, expected in cases:
                    calc.keys("Escape")
                    desk.set_clipboard(text)
                    calc.keys("ctrl+v")
                    self.assertEqual(calc.display(), expected, "%s: paste %r" % (lang, text))

    def test_copy_pastes_back(self):
        # Entries typed on the keypad, copied and pasted back: the same display.
        for lang in ("de_DE.UTF-8", "fr_FR.UTF-8"):
            with self.subTest(lang=lang), self.desktop() as desk:
                calc = desk.start_calc(lang=lang)
                calc.activate()
                for digits in ("1234567.89", "0.5", "98765432109876543"):
                    calc.keys("Escape", *["KP_Decimal" if d == "." else "KP_" + d for d in digits])
                    shown = calc.display()
                    calc.keys("Escape")
                    desk.set_clipboard(shown)
                    calc.keys("ctrl+v")
                    self.assertEqual(calc.display(), shown, lang)

    def test_values_beyond_the_range_are_refused(self):
        with self.desktop() as desk:
            calc = desk.start_calc()
            calc.activate()
            # ...and so is a text that is not one amount, rather than being read as another one.
            for text in ("1e100", "1e555", "-2E64", "1.234,56.7", "1,23,456", "12 apples"):
                calc.keys("Escape", "7")
                desk.set_clipboard(text)
                calc.keys("ctrl+v")
                calc.answer("Information")
                self.assertEqual(calc.display(), "7", text)


if __name__ == "__main__":
    rigtest.main()
