#pragma once
// The separators of the process's LC_NUMERIC locale (the program calls setlocale(LC_ALL, "") at
// start), for the command-line driver, which reads them once at start.
//
// Both separators are single 8-bit characters. A locale without a thousands separator gives ",";
// a separator that is not one 8-bit character (a UTF-8 narrow no-break space, say) is taken as a
// blank.

namespace base {

// The locale's decimal separator, else ".".
char LocaleDecimalSeparator();

// The locale's thousands separator, else ",".
char LocaleThousandSeparator();

// The conversion rule for a separator text taken from a locale database, exposed for tests:
// empty gives `fallback`, one byte gives that byte, anything longer gives a blank.
char SeparatorFromLocaleText(const char* text, char fallback);

} // namespace base
