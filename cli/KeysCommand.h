#pragma once
// `quorcalc-cli keys`: one calculator engine driven by keys from a stream, one key per line.
//
// Output, in the order things happen:
//   message<TAB>CAPTION<TAB>TEXT   a message box (a CR in TEXT is written as the two characters \r)
//   error<TAB>MESSAGE              an error that reached the general error report
//   after<TAB>KEY<TAB>DISPLAY<TAB>INDICATOR   after every key
//   tape<TAB>LINE                  at the end of input, every tape line in order
//   usage<TAB>...                  an unknown key; processing continues

#include <iosfwd>

#include "decimal/StBCD.h"

namespace cli {

// The engine takes `separators` as the window takes the locale's; `interactive` adds a prompt and a
// short help for a person at a terminal.
int RunKeys(std::istream& in, std::ostream& out, TBcdSeparators separators = {}, bool interactive = false);

} // namespace cli
