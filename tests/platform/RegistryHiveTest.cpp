// The hive tree and its text form: the exact layout written, what reading tolerates, what it skips,
// and a corpus of damaged files (every truncation, every single-bit flip, random garbage) that must
// never crash, must keep what is intact and must read back what it writes.

#include "platform/RegistryHive.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace platform::reghive;
using namespace std::string_literals;

constexpr std::string_view root = "HKEY_CURRENT_USER";
constexpr std::string_view header = "Windows Registry Editor Version 5.00\n";

Value Dword(std::string name, std::uint32_t number)
{
    return {std::move(name), TypeDword,
            Bytes{static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                  static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

Value Text(std::string name, std::string_view text, std::uint32_t type = TypeString)
{
    return {std::move(name), type, Bytes(text.begin(), text.end())};
}

Value Binary(std::string name, Bytes data, std::uint32_t type = TypeBinary)
{
    return {std::move(name), type, std::move(data)};
}

Bytes Counting(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

// Where each value's entry ends in the text (offset after its last line break).
struct Entry
{
    std::string key;
    std::string name;
    std::size_t firstLine; // offset of its first line
    std::size_t end;
};

std::vector<Entry> EntriesOf(std::string_view text)
{
    std::vector<Entry> entries;
    std::string key;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lineEnd = text.find('\n', start);
        const std::string_view line = text.substr(start, lineEnd - start);
        if (line.starts_with('[')) {
            const std::string_view inner = line.substr(1, line.size() - 2);
            const std::size_t slash = inner.find('\\');
            key = slash == std::string_view::npos ? "" : std::string(inner.substr(slash + 1));
        } else if (line.starts_with('"') || line.starts_with('@')) {
            const std::string name =
                line.starts_with('@') ? "" : std::string(line.substr(1, line.find('"', 1) - 1));
            entries.push_back({key, name, start, lineEnd + 1});
        } else if (line.starts_with("  ")) {
            entries.back().end = lineEnd + 1; // a continuation of the last entry
        }
        start = lineEnd + 1;
    }
    return entries;
}

// Every value of the hive, as (key path, value), in the order written.
std::vector<std::pair<std::string, Value>> AllValues(const Hive& hive)
{
    std::vector<std::pair<std::string, Value>> all;
    for (const Entry& entry : EntriesOf(hive.Format(root)))
        all.emplace_back(entry.key, *hive.FindValue(entry.key, entry.name));
    return all;
}

// Reading what was written gives the same hive (the same text again), undamaged.
void ExpectFixedPoint(const Hive& hive, const std::string& context)
{
    const std::string text = hive.Format(root);
    const ParseResult again = Parse(text, root);
    EXPECT_FALSE(again.damaged) << context << "\n" << text;
    EXPECT_EQ(again.hive.Format(root), text) << context;
}

TEST(RegistryHive, WritesTheExactLayout)
{
    Hive hive;
    ASSERT_TRUE(hive.CreateKey("Software\\Quorlane\\Calculator\\1.0\\Settings"));
    ASSERT_TRUE(hive.CreateKey("Software\\Quorlane\\Calculator\\1.0\\frmMain"));
    const std::string settings = "Software\\Quorlane\\Calculator\\1.0\\Settings";
    const std::string frmMain = "Software\\Quorlane\\Calculator\\1.0\\frmMain";
    ASSERT_TRUE(hive.SetValue(settings, Dword("Color", 10)));
    ASSERT_TRUE(hive.SetValue(settings, Dword("Flat", 0xdeadbeef)));
    ASSERT_TRUE(hive.SetValue(settings, Text("Path", "C:\\dir \"q\"")));
    ASSERT_TRUE(hive.SetValue(settings, Text("", "unnamed")));
    ASSERT_TRUE(hive.SetValue(settings, Text("Lines", "a\nb")));
    ASSERT_TRUE(hive.SetValue(settings, Text("Expand", "%X%", 2 /* REG_EXPAND_SZ */)));
    ASSERT_TRUE(hive.SetValue(frmMain, Binary("Blob", Counting(30))));
    ASSERT_TRUE(hive.SetValue(frmMain, Binary("Empty", {})));
    ASSERT_TRUE(hive.SetValue(frmMain, Binary("Multi", {0x61, 0, 0, 0}, 7)));
    ASSERT_TRUE(hive.SetValue(frmMain, Binary("Odd dword", {1, 2}, TypeDword)));
    ASSERT_TRUE(hive.SetValue("", Dword("AtRoot", 1)));

    EXPECT_EQ(hive.Format(root),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER]\n"
              "\"AtRoot\"=dword:00000001\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\frmMain]\n"
              "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,"
              "1b,1c,1d\n"
              "\"Empty\"=hex:\n"
              "\"Multi\"=hex(7):61,00,00,00\n"
              "\"Odd dword\"=hex(4):01,02\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
              "@=\"unnamed\"\n"
              "\"Color\"=dword:0000000a\n"
              "\"Expand\"=hex(2):25,58,25\n"
              "\"Flat\"=dword:deadbeef\n"
              "\"Lines\"=hex(1):61,0a,62\n"
              "\"Path\"=\"C:\\\\dir \\\"q\\\"\"\n");
    ExpectFixedPoint(hive, "layout");
}

// A hive read from a file is written back no larger: byte lists wrapped or not, keys implied by
// their sub-keys, texts with tabs. (A file near the size limit must stay readable after a write.)
TEST(RegistryHive, WritingBackNeverGrowsAFileItRead)
{
    const std::string start = std::string(header) + "\n";
    const std::string bytes29 = "00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,"
                                "18,19,1a,1b,1c";
    const struct
    {
        const char* what;
        std::string text;
    } cases[] = {
        {"one-line byte list", start + "[HKEY_CURRENT_USER\\Other]\n\"Blob\"=hex:" + bytes29 + "\n"},
        {"wrapped byte list",
         start + "[HKEY_CURRENT_USER\\Other]\n\"Blob\"=hex:00,01,02,03,04,\\\n  05,06\n"},
        {"deep key alone", start + "[HKEY_CURRENT_USER\\a\\b\\c\\d\\e\\f]\n\"x\"=dword:00000001\n"},
        {"text with a tab", start + "[HKEY_CURRENT_USER\\a]\n\"t\"=\"1\t2\"\n"},
        {"empty key", start + "[HKEY_CURRENT_USER\\a\\empty]\n"},
    };
    for (const auto& c : cases) {
        const ParseResult parsed = Parse(c.text, root);
        ASSERT_FALSE(parsed.damaged) << c.what;
        EXPECT_LE(parsed.hive.Format(root).size(), c.text.size()) << c.what << "\n"
                                                                  << parsed.hive.Format(root);
        ExpectFixedPoint(parsed.hive, c.what);
    }
}

TEST(RegistryHive, KeysAreCaseInsensitiveAndDeletedWithTheirSubKeysOnly)
{
    Hive hive;
    for (const char* path : {"A\\b\\c", "a b", "ab", "a\\B\\d", "a!"})
        ASSERT_TRUE(hive.CreateKey(path)) << path;
    for (const char* implied : {"a", "A\\B", ""})
        EXPECT_TRUE(hive.KeyExists(implied)) << implied;
    EXPECT_FALSE(hive.KeyExists("a\\b\\c\\e"));
    ASSERT_TRUE(hive.SetValue("A\\B", Dword("x", 1)));
    EXPECT_FALSE(hive.SetValue("A\\x", Dword("x", 1)));
    // A key sorts right before its sub-keys; each keeps the case it was named with.
    EXPECT_EQ(hive.Format(root), std::string(header) +
                                     "\n[HKEY_CURRENT_USER\\A\\B]\n\"x\"=dword:00000001\n"
                                     "\n[HKEY_CURRENT_USER\\A\\b\\c]\n\n[HKEY_CURRENT_USER\\a\\B\\d]\n"
                                     "\n[HKEY_CURRENT_USER\\a b]\n\n[HKEY_CURRENT_USER\\a!]\n"
                                     "\n[HKEY_CURRENT_USER\\ab]\n");
    EXPECT_TRUE(hive.DeleteKey("A"));
    for (const char* gone : {"a", "a\\b", "a\\b\\c", "a\\b\\d"})
        EXPECT_FALSE(hive.KeyExists(gone)) << gone;
    for (const char* kept : {"a b", "ab", "a!"})
        EXPECT_TRUE(hive.KeyExists(kept)) << kept;
    EXPECT_EQ(hive.FindValue("a\\b", "x"), nullptr);
    EXPECT_FALSE(hive.DeleteKey(""));
    EXPECT_FALSE(hive.DeleteKey("a"));
    EXPECT_TRUE(hive.KeyExists(""));
}

TEST(RegistryHive, NameRules)
{
    struct Case
    {
        std::string path;
        bool valid;
    };
    const Case cases[] = {
        {"", true},        {"a", true},      {std::string(300, 'n'), true},
        {"a\\\\b", false}, {"\\a", false},   {"a\\", false},
        {"a\tb", false},   {"a\x7f", false}, {"x]y[z \"q\" \xc3\xa4", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidKeyPath(c.path), c.valid) << c.path;
        Hive hive;
        EXPECT_EQ(hive.CreateKey(c.path), c.valid) << c.path;
        // A section naming the key reads only when the name is valid (the root needs no name).
        const ParseResult parsed =
            Parse(std::string(header) + "\n[HKEY_CURRENT_USER\\" + c.path + "]\n", root);
        EXPECT_EQ(parsed.damaged, !c.valid || c.path.empty()) << c.path;
        if (c.valid && !c.path.empty()) {
            EXPECT_TRUE(parsed.hive.KeyExists(c.path)) << c.path;
        }
    }
    EXPECT_TRUE(IsValidValueName(""));
    EXPECT_TRUE(IsValidValueName(std::string(20000, 'v')));
    EXPECT_FALSE(IsValidValueName("a\rb"));
    Hive hive;
    EXPECT_FALSE(hive.SetValue("", Dword("a\nb", 1)));
    EXPECT_FALSE(hive.SetValue("missing", Dword("a", 1)));
}

// Files as a person might write them: all read without damage.
TEST(RegistryHive, ReadingToleratesHandWrittenForms)
{
    struct Case
    {
        const char* what;
        std::string text;
        Value expected;
    };
    const std::string section = "[HKEY_CURRENT_USER\\K]\n";
    const Case cases[] = {
        {"CR LF",
         "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=dword:00000002\r\n",
         Dword("v", 2)},
        {"byte order mark", "\xEF\xBB\xBF" + std::string(header) + section + "\"v\"=dword:2\n",
         Dword("v", 2)},
        {"REGEDIT4", "REGEDIT4\n\n" + section + "\"v\"=\"x\"\n", Text("v", "x")},
        {"blanks around =", std::string(header) + section + "\"v\" \t=  dword:ABCDEF12 \n",
         Dword("v", 0xabcdef12)},
        {"short dword", std::string(header) + section + "\"v\"=dword:a\n", Dword("v", 10)},
        {"upper case type", std::string(header) + section + "\"v\"=DWORD:1\n", Dword("v", 1)},
        {"indented line", std::string(header) + "  " + section + "\t\"v\"=hex:1,A,ff\n",
         Binary("v", {1, 10, 255})},
        {"blanks in list", std::string(header) + section + "\"v\"=hex: 01 , 02 ,03\n",
         Binary("v", {1, 2, 3})},
        {"comment", std::string(header) + "; a comment\n" + section + ";\"v\"=dword:5\n\"v\"=dword:6\n",
         Dword("v", 6)},
        {"continued list", std::string(header) + section + "\"v\"=hex:01,\\\n  02,\\\n\t03\n",
         Binary("v", {1, 2, 3})},
        {"hex type", std::string(header) + section + "\"v\"=hex(B):01\n", Binary("v", {1}, 11)},
        {"later wins", std::string(header) + section + "\"v\"=dword:1\n\"V\"=dword:2\n", Dword("v", 2)},
        {"section twice",
         std::string(header) + section + "\"w\"=dword:1\n[HKEY_CURRENT_USER\\k]\n\"v\"=\"y\"\n",
         Text("v", "y")},
        {"lower case root", std::string(header) + "[hkey_current_user\\K]\n\"v\"=\"z\"\n", Text("v", "z")},
        {"blanks in text", std::string(header) + section + "\"v\"=\" a\tb \"\n", Text("v", " a\tb ")},
        {"unnamed", std::string(header) + section + "@=\"d\"\n", Text("", "d")},
        {"trailing blanks unterminated", std::string(header) + section + "\"v\"=dword:3\n  ", Dword("v", 3)},
    };
    for (const Case& c : cases) {
        const ParseResult parsed = Parse(c.text, root);
        EXPECT_FALSE(parsed.damaged) << c.what;
        const Value* value = parsed.hive.FindValue("K", c.expected.name);
        ASSERT_NE(value, nullptr) << c.what;
        EXPECT_EQ(value->type, c.expected.type) << c.what;
        EXPECT_EQ(value->data, c.expected.data) << c.what;
    }
}

// One unreadable line among good ones: it is skipped, marked, and the rest is read.
TEST(RegistryHive, UnreadableLinesAreSkippedAndTheRestIsRead)
{
    struct Case
    {
        const char* what;
        std::string line;
    };
    const Case cases[] = {
        {"nine digits", "\"bad\"=dword:123456789"},
        {"not hex", "\"bad\"=dword:12g4"},
        {"no digits", "\"bad\"=dword:"},
        {"unterminated text", "\"bad\"=\"abc"},
        {"unknown escape", "\"bad\"=\"a\\qb\""},
        {"text then more", "\"bad\"=\"a\" x"},
        {"byte too big", "\"bad\"=hex:01,200"},
        {"empty byte", "\"bad\"=hex:01,,02"},
        {"trailing comma", "\"bad\"=hex:01,"},
        {"bad type", "\"bad\"=hex(zz):01"},
        {"type unclosed", "\"bad\"=hex(4:01"},
        {"type without colon", "\"bad\"=hex(4)01"},
        {"deletion", "\"bad\"=-"},
        {"unknown data", "\"bad\"=qword:1"},
        {"no equals", "\"bad\" dword:1"},
        {"unquoted name", "bad=dword:1"},
        {"empty quoted name", "\"\"=dword:1"},
        {"control in name", "\"b\x01"
                            "d\"=dword:1"},
        {"unterminated name", "\"bad=dword:1"},
        {"garbage", "\x00\xff\x80 garbage"s},
        {"lone bracket", "]"},
        {"continuation into a section", "\"bad\"=hex:01,\\\n[HKEY_CURRENT_USER\\K]"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string(header) + "\n[HKEY_CURRENT_USER\\K]\n\"before\"=dword:1\n" +
                                 c.line + "\n\"after\"=dword:2\n";
        const ParseResult parsed = Parse(text, root);
        EXPECT_TRUE(parsed.damaged) << c.what;
        EXPECT_EQ(parsed.hive.FindValue("K", "bad"), nullptr) << c.what;
        ASSERT_NE(parsed.hive.FindValue("K", "before"), nullptr) << c.what;
        ASSERT_NE(parsed.hive.FindValue("K", "after"), nullptr) << c.what;
        EXPECT_EQ(parsed.hive.FindValue("K", "after")->data, Dword("after", 2).data) << c.what;
        EXPECT_EQ(AllValues(parsed.hive).size(), 2u) << c.what;
    }
}

// Sections that cannot be read lose their values, not the following sections'.
TEST(RegistryHive, UnreadableSectionsDropTheirValuesOnly)
{
    const char* sections[] = {
        "[HKEY_LOCAL_MACHINE\\K]", // another hive's root
        "[HKEY_CURRENT_USER\\K\\\\L]", "[HKEY_CURRENT_USER\\]",   "[-HKEY_CURRENT_USER\\K]",
        "[HKEY_CURRENT_USER\\K",       "[HKEY_CURRENT_USERX\\K]", "[]",
    };
    for (const char* section : sections) {
        const std::string text = std::string(header) + "\"early\"=dword:1\n" + section +
                                 "\n\"lost\"=dword:1\n" +
                                 "\"lost2\"=dword:1\n[HKEY_CURRENT_USER\\M]\n\"kept\"=dword:3\n";
        const ParseResult parsed = Parse(text, root);
        EXPECT_TRUE(parsed.damaged) << section;
        const auto all = AllValues(parsed.hive);
        ASSERT_EQ(all.size(), 1u) << section;
        EXPECT_EQ(all[0].first, "M") << section;
        EXPECT_EQ(all[0].second.name, "kept") << section;
    }
    // A byte list cut off before a section does not swallow the section.
    const ParseResult cut = Parse(std::string(header) + "[HKEY_CURRENT_USER\\K]\n\"bad\"=hex:01,\\\n" +
                                      "[HKEY_CURRENT_USER\\L]\n\"v\"=dword:1\n",
                                  root);
    EXPECT_TRUE(cut.damaged);
    EXPECT_NE(cut.hive.FindValue("L", "v"), nullptr);
    EXPECT_EQ(cut.hive.FindValue("K", "v"), nullptr);
    // A missing first line is damage, but the rest is read.
    const ParseResult headless = Parse("[HKEY_CURRENT_USER\\K]\n\"v\"=dword:1\n", root);
    EXPECT_TRUE(headless.damaged);
    EXPECT_NE(headless.hive.FindValue("K", "v"), nullptr);
    // Empty input is simply nothing stored.
    EXPECT_FALSE(Parse("", root).damaged);
}

// A sample holding every kind of entry, with value names that no single bit flip turns into one
// another.
Hive SampleHive()
{
    Hive hive;
    const std::string settings = "Software\\Quorlane\\Calculator\\1.0\\Settings";
    const std::string frmMain = "Software\\Quorlane\\Calculator\\1.0\\frmMain";
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    hive.CreateKey(settings);
    hive.CreateKey(frmMain);
    hive.CreateKey(run);
    hive.CreateKey("Software\\Empty Key");
    hive.SetValue("", Dword("RootValue", 7));
    hive.SetValue(settings, Dword("FirstRun", 0));
    hive.SetValue(settings, Dword("Flat", 1));
    hive.SetValue(settings, Dword("Tape", 1));
    hive.SetValue(settings, Dword("OnTop", 0));
    hive.SetValue(settings, Dword("Color", 0x0000000a));
    hive.SetValue(frmMain, Dword("Total Controls", 41));
    hive.SetValue(frmMain, Binary("Left", {0, 0, 0, 0, 0, 0, 0xd0, 0x3f}));
    hive.SetValue(frmMain, Text("Visible 0", "1"));
    hive.SetValue(frmMain, Binary("BlobOfBytes", Counting(60)));
    hive.SetValue(frmMain, Text("Escaped", "C:\\x \"y\""));
    hive.SetValue(frmMain, Text("Two lines of text", "line one\nline two, somewhat longer than one row"));
    hive.SetValue(frmMain, Binary("Kind7", {0x41, 0, 0, 0}, 7));
    hive.SetValue(run, Text("Quorlane Calculator", "/opt/Quorlane Apps/quorcalc /tray"));
    return hive;
}

TEST(RegistryHiveCorpus, EveryTruncationKeepsTheCompleteEntriesAndNothingWrong)
{
    const Hive sample = SampleHive();
    const std::string text = sample.Format(root);
    const std::vector<Entry> entries = EntriesOf(text);
    ASSERT_EQ(entries.size(), AllValues(sample).size());
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const std::string_view prefix = std::string_view(text).substr(0, length);
        const ParseResult parsed = Parse(prefix, root);
        const std::string context = "length " + std::to_string(length);
        // Complete entries are there with their values.
        for (const Entry& entry : entries) {
            const Value* value = parsed.hive.FindValue(entry.key, entry.name);
            if (entry.end <= length) {
                ASSERT_NE(value, nullptr) << context << " " << entry.name;
                EXPECT_EQ(*value, *sample.FindValue(entry.key, entry.name)) << context << " " << entry.name;
            } else {
                EXPECT_EQ(value, nullptr) << context << " " << entry.name; // never a cut-off value
            }
        }
        // Cut inside a line, or inside an entry of several lines: damaged; at a clean line end: not.
        const bool midLine = length > 0 && text[length - 1] != '\n';
        const bool midEntry = std::any_of(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.firstLine < length && length < e.end;
        });
        EXPECT_EQ(parsed.damaged, midLine || midEntry) << context;
        ExpectFixedPoint(parsed.hive, context);
    }
}

TEST(RegistryHiveCorpus, EverySingleBitFlipLeavesTheOtherLinesIntact)
{
    const Hive sample = SampleHive();
    const std::string text = sample.Format(root);
    const std::vector<Entry> entries = EntriesOf(text);
    const auto totalValues = AllValues(sample).size();
    std::size_t checked = 0;
    for (std::size_t position = 0; position < text.size(); ++position) {
        const std::size_t lineStart = text.rfind('\n', position == 0 ? 0 : position - 1);
        const std::size_t firstOfLine = position == 0 || lineStart == std::string::npos ? 0 : lineStart + 1;
        const bool sectionLine = text[firstOfLine] == '[';
        for (int bit = 0; bit < 8; ++bit) {
            std::string flipped = text;
            flipped[position] = static_cast<char>(flipped[position] ^ (1 << bit));
            const ParseResult parsed = Parse(flipped, root);
            const std::string context = "byte " + std::to_string(position) + " bit " + std::to_string(bit);
            ExpectFixedPoint(parsed.hive, context);
            // Flips that join or split lines, start a continuation or a section, or hit a section
            // line may move values about; all others touch their own entry only.
            const char before = text[position];
            const char after = flipped[position];
            if (sectionLine || before == '\n' || after == '\n' || after == '\\' || after == '[')
                continue;
            ++checked;
            for (const Entry& entry : entries) {
                if (entry.firstLine <= position && position < entry.end)
                    continue; // the flipped entry itself
                const Value* value = parsed.hive.FindValue(entry.key, entry.name);
                ASSERT_NE(value, nullptr) << context << " " << entry.name;
                EXPECT_EQ(*value, *sample.FindValue(entry.key, entry.name)) << context << " " << entry.name;
            }
            EXPECT_LE(AllValues(parsed.hive).size(), totalValues) << context;
        }
    }
    EXPECT_GT(checked, text.size() * 4); // most flips were checked in full
}

// Random bytes and random mixtures of the format's own pieces.
TEST(RegistryHiveCorpus, RandomInputNeverCrashesAndReadsBackWhatItWrites)
{
    // A new seed each run, reported with any failure; QUORLANE_FUZZ_SEED repeats a run.
    const char* given = std::getenv("QUORLANE_FUZZ_SEED");
    const auto seed =
        given ? static_cast<std::uint32_t>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string pieces[] = {
        std::string(header),
        "[HKEY_CURRENT_USER",
        "[HKEY_LOCAL_MACHINE",
        "\\",
        "]",
        "\"",
        "=",
        "@",
        "dword:",
        "hex:",
        "hex(",
        ")",
        ":",
        ",",
        "\\\n",
        "\n",
        "\r\n",
        " ",
        "\t",
        "0",
        "a",
        "F",
        "ff",
        "Key",
        "\\\\",
        "\\\"",
        ";",
        "-",
        std::string(1, '\0'),
        "\xc3\xa4",
        "\x7f",
        "\x01",
    };
    const std::string sample = SampleHive().Format(root);
    for (int round = 0; round < 3000; ++round) {
        std::string input;
        switch (round % 3) {
        case 0: { // bytes
            const std::size_t size = random() % 2048;
            for (std::size_t i = 0; i < size; ++i)
                input += static_cast<char>(random() & 0xff);
            break;
        }
        case 1: { // pieces
            const std::size_t count = random() % 200;
            for (std::size_t i = 0; i < count; ++i)
                input += pieces[random() % std::size(pieces)];
            break;
        }
        default: { // the sample with a few pieces spliced in or bytes cut out
            input = sample;
            for (int edit = 0; edit < 4; ++edit) {
                const std::size_t at = random() % (input.size() + 1);
                if (random() % 2)
                    input.insert(at, pieces[random() % std::size(pieces)]);
                else
                    input.erase(at, random() % 16);
            }
        }
        }
        const ParseResult parsed = Parse(input, root);
        ExpectFixedPoint(parsed.hive, "round " + std::to_string(round));
        if (testing::Test::HasFailure())
            return; // one reported input is enough
    }
}

TEST(RegistryHiveCorpus, LargeInputsReadInLinearTime)
{
    // A megabyte of values, one megabyte-long byte list, and a megabyte of deep section lines.
    std::string manyValues = std::string(header) + "[HKEY_CURRENT_USER\\K]\n";
    for (int i = 0; manyValues.size() < 1'000'000; ++i)
        manyValues += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i % 10) + "\n";
    std::string longList = std::string(header) + "[HKEY_CURRENT_USER\\K]\n\"v\"=hex:00";
    while (longList.size() < 1'000'000)
        longList += ",\\\n  ab,cd";
    longList += "\n";
    // Every section line a new tree 32 levels deep: the most keys a megabyte can name.
    std::string deepSections = std::string(header);
    std::string deepTail;
    for (int i = 1; i < 32; ++i)
        deepTail += "\\" + std::string(30, static_cast<char>('a' + i % 26));
    for (int i = 0; deepSections.size() < 1'000'000; ++i)
        deepSections += "[HKEY_CURRENT_USER\\" + std::to_string(i) + deepTail + "]\n";

    const auto started = std::chrono::steady_clock::now();
    const ParseResult values = Parse(manyValues, root);
    const ParseResult list = Parse(longList, root);
    const ParseResult deep = Parse(deepSections, root);
    const auto elapsed = std::chrono::steady_clock::now() - started;

    EXPECT_FALSE(values.damaged);
    EXPECT_NE(values.hive.FindValue("K", "v50000"), nullptr);
    EXPECT_FALSE(list.damaged);
    ASSERT_NE(list.hive.FindValue("K", "v"), nullptr);
    EXPECT_GT(list.hive.FindValue("K", "v")->data.size(), 190'000u);
    EXPECT_FALSE(deep.damaged);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 20);
}

} // namespace
