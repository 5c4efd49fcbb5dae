#pragma once
// The record behind a kept tape, as a text file beside it, so that a tape restored at the next start
// can still be corrected: the locale it was made in, the tape it makes (its number of lines and a
// hash of its text as shown), the state it began with, its steps, and the tape's notes and marks.
//
//   Quorlane Calculator record 1
//   locale <decimal> <group>                      (two hexadecimal bytes)
//   tape <lines> <hash>
//   state <field>TAB<field>...                    (the CalcState, in its order)
//   step <kind>TAB<key>TAB<pending>TAB<flags>TAB<id>TAB<lines>TAB<options>TAB<text>[TAB<notice>...]
//   note <step id>TAB<line>TAB<text>
//   mark <step id>TAB<line>
//   end
//
// Texts escape backslash, tab, CR and LF as \\ \t \r \n. A file that is not such a text (cut short,
// garbled, of another version) is no record.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CalcEngine.h"
#include "engine/Corrections.h"

namespace engine {

struct KeptRecord
{
    TBcdSeparators locale;
    std::size_t lines = 0;  // tape lines the record makes
    std::uint64_t hash = 0; // TapeHash of the tape as shown
    CalcState start;
    std::vector<CalcStep> steps;
    std::map<TapeLineKey, std::string> notes;
    std::set<TapeLineKey> marks;
};

// FNV-1a over the lines, each followed by a line feed.
class TapeHash
{
public:
    void Add(std::string_view line);
    std::uint64_t Value() const { return value_; }

private:
    std::uint64_t value_ = 14695981039346656037ULL;
};

std::string SerializeRecord(const KeptRecord& record);
std::optional<KeptRecord> ParseRecord(std::string_view text);

} // namespace engine
