#pragma once
// `quorcalc-cli bcd`: decimal requests from a stream, one result line each.
//
// Request: fields separated by TAB. parse A | neg A | add/sub/mul/div A B | sqrt A |
//          fixed A WIDTH PLACES | exp A WIDTH | gen A | fmt MASK A
// Result:  ok<TAB>20 lower-case hex digits (a value, byte 0 first) | ok<TAB>text |
//          error<TAB>CODE<TAB>MESSAGE | usage<TAB>explanation

#include <iosfwd>
#include <string>
#include <string_view>

#include "decimal/StBCD.h"

namespace cli {

// The result line of one request, without the line end; texts are read and written with `separators`.
std::string BcdRequest(std::string_view request, TBcdSeparators separators = {});

// Answers every non-empty input line; returns the exit status (0 once all input is read).
int RunBcd(std::istream& in, std::ostream& out, TBcdSeparators separators = {});

} // namespace cli
