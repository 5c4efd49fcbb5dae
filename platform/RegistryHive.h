#pragma once
// One registry hive in memory (a tree of keys holding typed values) and its text form, the classic
// registry export format. Data and text only, no files: Registry.cpp loads and saves hives through
// AtomicFile.h and works on them with this unit.
//
// Text form, one hive per file:
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_CURRENT_USER\Software\Quorlane\Calculator\1.0\Settings]
//     "Color"=dword:0000000a
//     "Path"="C:\\tmp \"x\""
//     "Width"=hex:00,00,00,00,00,00,e0,3f
//
// A key is a section; the root key's own values go under "[HKEY_CURRENT_USER]". Value names are
// quoted ("@" is the unnamed value); in quoted texts a backslash and a double quote are escaped with a
// backslash. Data: "text" (REG_SZ), dword:8 hex digits (REG_DWORD), hex:bytes (REG_BINARY), and
// hex(N):bytes for any other type N. A byte list is written on one line (reading also takes lists
// continued on the next line after ",\"). A REG_SZ holding a line break (CR or LF) is written as
// hex(1): with its bytes, so that every entry stays on its line. A key without values is written only
// when no sub-key's section implies it. Sections are separated by a blank line; the file ends with a
// line break. So a file this unit reads is never written back larger, but for short forms of numbers
// ("dword:1", "hex:1") that are written in full.
//
// Reading accepts CR LF line ends, a UTF-8 byte order mark, text in UTF-16 with its byte order mark
// (as registry export tools write it; it is read as UTF-8), blanks around "=", comment lines starting
// with ";" and the older first line "REGEDIT4". Whatever cannot be read is skipped and the result is
// marked damaged at its first such line: a wrong first line, a line that is neither a section nor a value, a
// section of another root or with an empty or invalid key name (and the values under it), a value before any
// section, a value deletion ("-"), a malformed text or number, and a last line without its line break
// (a file cut short), and in UTF-16 an odd last byte or a lone surrogate. Nothing in the input can make
// reading fail or take more than linear time.
//
// Names of keys and values are compared without regard to ASCII letter case and keep the case they
// were first written with. A key name is not empty and holds no backslash or control character; a
// value name holds no control character. A key exists when it was named or when one of its sub-keys
// was; only keys that were named are kept, so the memory for any file stays linear in its size.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::reghive {

using Bytes = std::vector<std::uint8_t>;

// Registry data types as stored in the file (the numbers of hex(N)).
inline constexpr std::uint32_t TypeNone = 0;
inline constexpr std::uint32_t TypeString = 1;
inline constexpr std::uint32_t TypeBinary = 3;
inline constexpr std::uint32_t TypeDword = 4;

struct Value
{
    std::string name; // as first written
    std::uint32_t type = TypeNone;
    Bytes data; // a DWORD little-endian; a text without terminator

    bool operator==(const Value&) const = default;
};

// ASCII lower case of `text`; other bytes unchanged.
std::string FoldCase(std::string_view text);

// A valid key path: "" or names joined by single backslashes (see above).
bool IsValidKeyPath(std::string_view path);

// A valid value name (empty is the unnamed value).
bool IsValidValueName(std::string_view name);

// Key paths within a hive: components joined by single backslashes, without leading or trailing
// backslash; "" is the hive's root key, which always exists and cannot be deleted.
class Hive
{
public:
    Hive();

    bool KeyExists(std::string_view path) const;

    // Creates the key as named; an existing one keeps its case. False for an invalid path (nothing
    // changes).
    bool CreateKey(std::string_view path);

    // Deletes the key with all its sub-keys and values; false when it does not exist or is the root.
    bool DeleteKey(std::string_view path);

    // The value, or null when the key or the value does not exist.
    const Value* FindValue(std::string_view path, std::string_view name) const;

    // Stores the value in an existing key (false when the key is missing or the name invalid). An
    // existing value of that name keeps its stored name and takes the new type and data.
    bool SetValue(std::string_view path, Value value);

    // The text form under the root section name (e.g. "HKEY_CURRENT_USER").
    std::string Format(std::string_view rootName) const;

private:
    // Orders folded paths so that a key sorts right before its sub-keys (backslash first).
    struct PathLess
    {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Key
    {
        std::string path;                    // as first written
        std::map<std::string, Value> values; // by folded name
    };

    std::map<std::string, Key, PathLess> keys_; // by folded full path
};

struct ParseResult
{
    Hive hive;
    bool damaged = false;
    std::size_t damagedLine = 0; // the first line that could not be read, from 1; 0 when none
};

// Reads the text form of a hive whose sections start with `rootName`.
ParseResult Parse(std::string_view text, std::string_view rootName);

} // namespace platform::reghive
